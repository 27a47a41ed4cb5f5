#pragma once
// The modal number-input dialog: a window of its own class that asks for one
// integer while its owner is disabled.  Formatting and parsing of the value are
// separate from the window so that they run without a window system.

#include "winutil/wintypes.h"

constexpr int INPUTDLG_HEX = 0x20;          // show the value as "$%04X"
constexpr int INPUTDLG_DIGITS_ONLY = 0x10;  // the edit field takes digits only
constexpr int INPUTDLG_TEXT_LEN = 84;

// The module instance handle, stored by start-up; without it every call is refused.
extern HINSTANCE InputDlg_hInstance;

// Asks for a number: 1 after "Ok" (value parsed from the field), 2 for
// "Cancel" or a refused call (no instance handle, no owner, a dialog already
// open), 0 when closed otherwise or not created.  value changes only on 1.
int InputDlg_AskNumber(HWND owner, const char* caption, const char* line1, const char* line2, int* value,
                       int flags);
// Creates the w x h dialog centred on the screen and runs its modal loop; the
// result as above (2 when refused, 0 when the dialog could not be created).
int InputDlg_Run(HWND owner, int width, int height);
// Window procedure of the class "OrvDlgWindow".
LRESULT InputDlg_WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// Paints the background and the two text lines.
void InputDlg_Paint(HWND hwnd);
// The start text of the field: "$%04X" in hexadecimal mode, else "%d".
void InputDlg_FormatValue(int value, int mode, char* text, int size);
// Parses the field's text ("$" then hexadecimal, else decimal) into *value;
// text without a number leaves it unchanged.  Returns 1 when a number was read.
int InputDlg_ParseValue(const char* text, int* value);
