#pragma once
// Thin helpers over the window-system layer that the shell and the graph use
// instead of calling the layer for sizes, text, lines, menus, the status bar,
// the file dialogs and the popup position.

#include "winutil/wintypes.h"

// Outer height of a window; 0 for a null window or a failed query.
int WinUtil_GetWindowHeight(HWND hwnd);
// Changes a child window's width, keeping position and height; 1 when it
// already has that width, 0 for a null window or one without parent.
int WinUtil_SetWindowWidth(HWND hwnd, int width);
// Width and height of text in the canvas's font; both 1 when measuring fails.
void WinUtil_GetTextExtent(HDC dc, const char* text, int* width, int* height);
// A line from (x1, y1) to (x2, y2) without its end pixel; LineTo's result.
int WinUtil_DrawLine(HDC dc, int x1, int y1, int x2, int y2);
// Sets a menu item's text (by command id, or by position with MF_BYPOSITION),
// formatted printf-style into at most 255 chars; 0 when the item is missing.
int WinUtil_SetMenuItemText(HMENU menu, int item, int flags, const char* format, ...);
// Sets a window's caption; the layer's result.
LRESULT WinUtil_SetWindowText(HWND hwnd, const char* text);
// Creates a status bar with n parts of the given widths; null when creation fails.
HWND WinUtil_CreateStatusBar(HWND parent, int id, HINSTANCE instance, int n, const int* widths);
// Puts text into one part of a status bar; a null bar is ignored.
void WinUtil_SetStatusText(HWND bar, int part, int type, const char* text);
// The open dialog over the name in buffer, starting on the filter list's first
// entry; non-zero when a file was chosen.
int WinUtil_ChooseFileToOpen(HWND owner, HINSTANCE instance, const char* title, char* buffer, int size,
                             const char* filter, const char* defExt);
// The save dialog over the name in buffer with the type of its extension
// preselected; it asks before replacing an existing file.  The chosen 0-based
// type index goes to *typeIndex when given.
int WinUtil_ChooseFileToSave(HWND owner, HINSTANCE instance, const char* title, char* buffer, int size,
                             const char* filter, const char* defExt, int* typeIndex);
// 1-based filter pair whose single pattern matches the extension of name
// (letter case ignored), or 0; at most 10 pairs are looked at.
int WinUtil_FilterIndexOf(const char* filter, const char* name);
// The mouse pointer's screen position for a popup menu; 0 when it cannot be read.
int WinUtil_GetPopupPosition(int* x, int* y);
