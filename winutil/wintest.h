#pragma once
// User actions for tests: each goes through the toolkit's own event path, as a
// real user action would, so that the layer's translation into messages is
// what the tests see.

#include "winutil/wintypes.h"

// A key press (virtual key code, modifiers from FSHIFT/FCONTROL/FALT) on the window.
void WinTest_PressKey(HWND hwnd, int vk, int modifiers);
// The close box of a top-level window (the toolkit's close request).
void WinTest_ClickClose(HWND hwnd);
// A user action on a scroll bar (SB_HORZ, SB_VERT, or SB_CTL for a control):
// code is a scroll code; pos is used for the thumb codes.
void WinTest_ScrollAction(HWND hwnd, int bar, int code, int pos);
// Resizes the client area as the user dragging the frame would.
void WinTest_ResizeClient(HWND hwnd, int width, int height);
// A mouse action on the window's client area (client coordinates):
// WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_RBUTTONDOWN or WM_RBUTTONUP
// as the toolkit's mouse event; keys holds the MK_* buttons and modifiers held.
void WinTest_Mouse(HWND hwnd, UINT message, int keys, int x, int y);
// A wheel turn of delta (120 a notch) over client (x, y), keys as above.
void WinTest_Wheel(HWND hwnd, int keys, int delta, int x, int y);
// Chooses a menu item of the window's menu bar as a user would: the bar's
// popup that holds it opens (WM_INITMENU first), then the item is triggered.
// 0 when the window has no such enabled item.
int WinTest_ChooseMenuItem(HWND hwnd, int id);
// Highlights a menu item of the window's menu bar as the pointer resting on
// it would; 0 when the window has no such item.
int WinTest_HighlightMenuItem(HWND hwnd, int id);
// Chooses an item of the popup menu being shown by Win_TrackPopupMenu (tests
// call it before the popup opens; the next popup shown picks it at once).
void WinTest_ChooseNextPopupItem(int id);
// A click on a "BUTTON" control.
void WinTest_ClickButton(HWND button);
// Types text into the focused control (an "EDIT" control takes only what its
// style allows).
void WinTest_TypeText(HWND hwnd, const char* text);
// Drops the files (paths) on the window as a file manager would.
void WinTest_DropFiles(HWND hwnd, const char* const* paths, int count);
// The next Win_MessageBox shows its real box and is answered at once: id > 0
// clicks the button of that result (IDOK, IDCANCEL, IDYES, IDNO), 0 presses
// Escape, -1 presses Enter (the default button).
void WinTest_AnswerMessageBox(int id);
// The next open or save dialog shows its real dialog and is answered at once:
// filterIndex (1-based, 0 keeps the preselected one) is chosen, then path is
// typed as the file name and accepted; a null path cancels.
void WinTest_AnswerFileDialog(const char* path, int filterIndex);
// The lines of the tooltip being shown, joined by newlines; "" when none is.
// Writes at most size bytes (NUL included) and returns the number of lines.
int WinTest_TipText(char* text, int size);
// The next save dialog is answered as a user who first types name into the
// name field, then picks the filterIndex-th type (1-based) from the type list,
// and then accepts whatever the name field holds.
void WinTest_AnswerSaveDialogTypingFirst(const char* name, int filterIndex);
// Makes the screen images of windows painted from now on use the device pixel
// ratio (1 to 4) as a scaled screen would; 0 goes back to the screen's own.
void WinTest_SetDevicePixelRatio(int ratio);
// The size in device pixels of the image the window's client area shows; 0
// before its first paint.
int WinTest_ScreenImageSize(HWND hwnd, int* width, int* height);
// Closes the help window as its close box would (nothing when it is not open).
void WinTest_CloseHelpWindow(void);
// Runs the toolkit's event processing for about ms milliseconds, dispatching
// queued messages as a message loop would.
void WinTest_RunFor(int ms);
// 1 while the progress window (winutil/progress.h) shows: its title into
// title (size bytes) and its bar in thousandths into *permille (each when given).
int WinTest_ProgressWindow(char* title, int size, int* permille);
// Cancels the progress window being shown as a user would: Escape (escape 1)
// or a click on "Cancel".
void WinTest_CancelProgress(int escape);
