#pragma once
// The window-system layer: windows, messages, the message loop, timers, scroll
// bars and the settings file, with Win32 semantics and numbering.  The shell and
// the graph talk to the platform only through these functions; the toolkit
// behind them lives in winutil/qt.
//
// Text crosses the layer as NUL-terminated single-byte strings in the local
// 8-bit encoding (UTF-8 on Linux).

#include <cstddef>
#include <cstdint>

#include "winutil/wintypes.h"

// Starts the toolkit once per process (later calls do nothing) and returns the
// module instance handle.  argc/argv may be null.
HINSTANCE Win_Init(int* argc, char** argv);

// Registers a window class by name; 0 when the name is taken or arguments are bad.
int Win_RegisterClass(const WNDCLASSA* wc);
// Removes a registered class; windows of it keep working.
int Win_UnregisterClass(const char* className);

// Creates a window of a registered class.  Top-level windows (no WS_CHILD) get
// their outer rectangle from x, y, w, h and may have an owner in parent; child
// windows are placed in the parent's client area.  WM_NCCREATE, WM_CREATE (the
// handle is passed, but the caller does not have it yet), then WM_SIZE and
// WM_MOVE are sent to the window procedure before this returns.  A result of
// -1 from WM_CREATE destroys the window and returns null.  WS_HSCROLL and
// WS_VSCROLL give the window its own scroll bars.  The window is hidden unless
// WS_VISIBLE is given.  A top-level window shows the menu bar given in menu and
// the class's icon (hIcon names a resource built into the program, such as
// "PROGRAM_ICON").  For a child, menu carries its control id; the classes
// "BUTTON", "EDIT", "SCROLLBAR" and "msctls_statusbar32" are predefined controls
// that notify their parent (WM_COMMAND, WM_VSCROLL with the control in lParam).
// Mouse input in the client area arrives as WM_MOUSEMOVE, WM_LBUTTONDOWN/UP and
// WM_RBUTTONDOWN/UP (MK_* in wParam, MAKELONG(x, y) in lParam) and
// WM_MOUSEWHEEL; a repaint request arrives as WM_ERASEBKGND (when asked to
// erase) followed by WM_PAINT.
HWND Win_CreateWindow(DWORD exStyle, const char* className, const char* title, DWORD style, int x,
                      int y, int w, int h, HWND parent, HMENU menu, HINSTANCE inst, void* param);
// Sends WM_DESTROY and WM_NCDESTROY to the window (children first get theirs),
// then removes it.  Its handle is invalid afterwards.
int Win_DestroyWindow(HWND hwnd);
// 1 while the handle names a live window.
int Win_IsWindow(HWND hwnd);

// Default handling: WM_CLOSE destroys the window, WM_PAINT validates it
// (BeginPaint/EndPaint), WM_SETTEXT / WM_GETTEXT / WM_GETTEXTLENGTH set and
// read the title, WM_NCCREATE and WM_ERASEBKGND give 1; other messages give 0.
LRESULT Win_DefWindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// Calls the window procedure at once and returns its result (0 for a dead window).
LRESULT Win_SendMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// Queues a message for the message loop; hwnd may be null (a thread message).
int Win_PostMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// Queues WM_QUIT with the exit code; the queue hands it out after every other
// message already posted.
void Win_PostQuitMessage(int exitCode);
// Waits for the next queued message (any window when hwnd is null).  Returns
// 0 for WM_QUIT (its wParam is the exit code), 1 for any other message.
int Win_GetMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax);
// Like Win_GetMessage without waiting: 0 when nothing is queued.  remove = 1
// takes the message out of the queue.
int Win_PeekMessage(MSG* msg, HWND hwnd, UINT filterMin, UINT filterMax, UINT remove);
// Character translation of key messages; returns 1 for key messages.
int Win_TranslateMessage(const MSG* msg);
// Hands a queued message to its window procedure; WM_TIMER with a callback
// calls the callback instead.
LRESULT Win_DispatchMessage(const MSG* msg);
// Keyboard navigation of dialog controls; 1 when it took the message.  Only
// WM_KEYDOWN for hwnd or its descendants is looked at: Enter sends WM_COMMAND
// (id, BN_CLICKED) for the focused button, else the BS_DEFPUSHBUTTON child,
// else IDOK when a child has id 1; Esc sends IDCANCEL when a child has id 2;
// Tab (Shift+Tab) moves the focus to the next (previous) visible, enabled
// WS_TABSTOP child.  Any other key, or one without such children, is left to
// the window.
int Win_IsDialogMessage(HWND hwnd, MSG* msg);
// Runs queued work of the toolkit and dispatches all queued messages without
// waiting, for nested modal loops.  Returns 0 when WM_QUIT was met (it stays
// queued), else 1.
int Win_PumpMessages(void);

// Accelerator tables: a key message for hwnd or one of its child windows,
// while hwnd is enabled, whose key and modifiers match an entry is turned into
// WM_COMMAND with HIWORD(wParam) = 1 and LOWORD(wParam) = cmd, sent to hwnd.
// Keys for another top-level window (a dialog) are left alone.
HACCEL Win_CreateAcceleratorTable(const ACCEL* entries, int count);
int Win_DestroyAcceleratorTable(HACCEL accel);
// 1 when the message matched an entry and its command was sent.
int Win_TranslateAccelerator(HWND hwnd, HACCEL accel, const MSG* msg);

// Starts or restarts timer id of the window; WM_TIMER with wParam = id is
// queued every ms milliseconds (at most one pending per timer).  Returns id,
// or 0 on failure.
std::uintptr_t Win_SetTimer(HWND hwnd, std::uintptr_t id, UINT ms, TIMERPROC proc);
int Win_KillTimer(HWND hwnd, std::uintptr_t id);

// Requests a repaint of the client area (the rectangle is advisory).
int Win_InvalidateRect(HWND hwnd, const RECT* rect, int erase);
// Paints at once when a repaint is pending.
int Win_UpdateWindow(HWND hwnd);

// Outer rectangle in screen coordinates (for a child: its rectangle mapped to the screen).
int Win_GetWindowRect(HWND hwnd, RECT* rect);
// Client rectangle: (0, 0, width, height) without menu bar and scroll bars.
int Win_GetClientRect(HWND hwnd, RECT* rect);
// Top-level: outer rectangle on the screen; child: rectangle in the parent's client area.
int Win_MoveWindow(HWND hwnd, int x, int y, int w, int h, int repaint);
// Shows, hides, maximises, minimises or restores; returns 1 when the window
// was visible before.
int Win_ShowWindow(HWND hwnd, int cmd);
int Win_IsWindowVisible(HWND hwnd);
int Win_IsZoomed(HWND hwnd);
int Win_IsIconic(HWND hwnd);
// 1 when child is a WS_CHILD descendant of parent (owned top-level windows are not).
int Win_IsChild(HWND parent, HWND child);
// The parent of a child window, the owner of a top-level window, or null.
HWND Win_GetParent(HWND hwnd);
// Window title (top-level) or control text.
int Win_SetWindowText(HWND hwnd, const char* text);
int Win_GetWindowText(HWND hwnd, char* buffer, int size);

// Scroll information of the window's own bars (SB_HORZ, SB_VERT) or of a
// "SCROLLBAR" control (SB_CTL).  Fields chosen by fMask are set; the page is
// kept within 0 .. max - min + 1 and the position within
// min .. max - max(page - 1, 0).  Returns the resulting position.  A bar never
// moves by itself: user actions arrive as WM_HSCROLL / WM_VSCROLL with the
// scroll code in LOWORD(wParam) and, for SB_THUMBTRACK / SB_THUMBPOSITION, the
// thumb position in HIWORD(wParam); lParam is the control, or 0 for the
// window's own bar.
int Win_SetScrollInfo(HWND hwnd, int bar, const SCROLLINFO* si, int redraw);
// Reports the fields chosen by fMask; 0 when the window has no such bar.
int Win_GetScrollInfo(HWND hwnd, int bar, SCROLLINFO* si);

// Focus, enabling and placement.
// Gives the keyboard focus to the window; returns the window that had it (or null).
HWND Win_SetFocus(HWND hwnd);
// The window that has the keyboard focus, or null.
HWND Win_GetFocus(void);
// Enables or disables input to the window (a disabled top-level window takes no
// mouse or key input); returns 1 when it was disabled before.
int Win_EnableWindow(HWND hwnd, int enable);
int Win_IsWindowEnabled(HWND hwnd);
// The control id given at creation of a child window, 0 otherwise.
int Win_GetDlgCtrlID(HWND hwnd);
// The child of parent with the control id, or null.
HWND Win_GetDlgItem(HWND parent, int id);
// Client coordinates of the window to screen coordinates and back; 0 for a dead window.
int Win_ClientToScreen(HWND hwnd, POINT* pt);
int Win_ScreenToClient(HWND hwnd, POINT* pt);
// The mouse pointer's screen position; 0 when it cannot be read.
int Win_GetCursorPos(POINT* pt);
// SM_CXSCREEN / SM_CYSCREEN: size of the primary screen in pixels.
int Win_GetSystemMetrics(int index);

// Menus.  A menu bar is given to a top-level window at creation; its popups
// open on the user's click, and before any of them opens WM_INITMENU (wParam:
// the bar) is sent to the window.  Highlighting a command item sends
// WM_MENUSELECT (LOWORD(wParam) its id, HIWORD its MF_* state, lParam the menu
// holding it); a popup closing sends it with HIWORD 0xFFFF and lParam 0.  Choosing an item sends WM_COMMAND with
// LOWORD(wParam) = id and HIWORD(wParam) = 0; a command item appended directly
// to the bar is chosen by one click.  Item texts use "&" for the mnemonic
// ("&&" shows one ampersand) and "\t" before a right-aligned shortcut text.
HMENU Win_CreateMenu(void);
HMENU Win_CreatePopupMenu(void);
// Appends an item: MF_STRING (idOrPopup = command id), MF_POPUP (idOrPopup =
// the popup HMENU cast), MF_SEPARATOR; MF_GRAYED and MF_CHECKED may be added.
// 0 for a bad menu or a popup that already has a parent.
int Win_AppendMenu(HMENU menu, UINT flags, std::uintptr_t idOrPopup, const char* text);
// Inserts an item before the one at position (MF_BYPOSITION) or with the
// command id; a position at or past the end appends.  Flags and idOrPopup as
// for Win_AppendMenu.  0 for a bad menu or a missing item.
int Win_InsertMenu(HMENU menu, UINT item, UINT flags, std::uintptr_t idOrPopup, const char* text);
// Removes an item (by MF_BYPOSITION or command) and frees its popup; 0 when not found.
int Win_DeleteMenu(HMENU menu, UINT item, UINT flags);
// Sets or clears the check mark of an item (MF_BYCOMMAND searches submenus
// too); returns the previous MF_CHECKED state, or -1 when there is no such item.
int Win_CheckMenuItem(HMENU menu, UINT item, UINT flags);
// MF_ENABLED or MF_GRAYED; returns the previous state bits, or -1.
int Win_EnableMenuItem(HMENU menu, UINT item, UINT flags);
// Changes text (MIIM_TYPE with MFT_STRING), state (MIIM_STATE) or id (MIIM_ID)
// of an item by command (searching submenus) or by position; 0 when not found.
int Win_SetMenuItemInfo(HMENU menu, UINT item, int byPosition, const MENUITEMINFOA* info);
// Reads what fMask asks for; text into dwTypeData of cch bytes.  0 when not found.
int Win_GetMenuItemInfo(HMENU menu, UINT item, int byPosition, MENUITEMINFOA* info);
// MF_CHECKED / MF_GRAYED bits of an item (by command or position), or -1.
int Win_GetMenuState(HMENU menu, UINT item, UINT flags);
// Number of items, or -1 for a bad menu.
int Win_GetMenuItemCount(HMENU menu);
// Command id of the item at a position; -1 for a popup, a separator or none.
int Win_GetMenuItemID(HMENU menu, int pos);
// The popup of the item at a position, or null.
HMENU Win_GetSubMenu(HMENU menu, int pos);
// The menu bar of a top-level window, or null.
HMENU Win_GetMenu(HWND hwnd);
// Frees a menu that is not attached to a window (with its popups).
int Win_DestroyMenu(HMENU menu);
// Shows a popup menu at a screen position and returns when it closes; the
// chosen command is posted to owner as WM_COMMAND.  Returns 1 when the menu
// was shown, 0 otherwise.
int Win_TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* rect);

// Canvas.  Painting happens between Win_BeginPaint and Win_EndPaint inside
// WM_PAINT, or on a window canvas from Win_GetDC outside painting; both draw
// onto the window's client area and show without a further paint message.
// Memory canvases hold a bitmap; Win_BitBlt copies between canvases.  Lines
// exclude their end pixel, FillRect excludes the right and bottom edges, as
// Win32 does.  Every function accepts a null canvas and then does nothing (0).
HDC Win_BeginPaint(HWND hwnd, PAINTSTRUCT* ps);
int Win_EndPaint(HWND hwnd, const PAINTSTRUCT* ps);
HDC Win_GetDC(HWND hwnd);
int Win_ReleaseDC(HWND hwnd, HDC dc);
// A memory canvas like dc (dc may be null); it draws once a bitmap is selected.
HDC Win_CreateCompatibleDC(HDC dc);
// A w x h bitmap filled black; null for a size below 1 or a failed allocation.
HBITMAP Win_CreateCompatibleBitmap(HDC dc, int w, int h);
int Win_DeleteDC(HDC dc);
// Copies w x h pixels from (sx, sy) of src to (x, y) of dst, clipped to both;
// only SRCCOPY is supported (0 for any other operation).
int Win_BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop);
// Selects a bitmap, pen or brush; returns the object of that kind selected before.
HGDIOBJ Win_SelectObject(HDC dc, HGDIOBJ obj);
// Frees a bitmap, pen or brush that is not selected; stock objects stay.
int Win_DeleteObject(HGDIOBJ obj);
HGDIOBJ Win_GetStockObject(int which);
HBRUSH Win_CreateSolidBrush(COLORREF color);
HPEN Win_CreatePen(int style, int width, COLORREF color);
int Win_FillRect(HDC dc, const RECT* rc, HBRUSH brush);
int Win_MoveToEx(HDC dc, int x, int y, POINT* old);
int Win_LineTo(HDC dc, int x, int y);
// Connects the points with the selected pen; the last point's pixel is not drawn.
int Win_Polyline(HDC dc, const POINT* pts, int count);
// Draws n polylines one after another, polyline k (counts[k] points at
// pts[k]) with pens[k]: the same pixels as selecting each pen and calling
// Win_Polyline in turn, but a pixel that a later polyline covers is written
// once.  The selected pen stays.  0 (nothing drawn) for a bad argument or pen.
int Win_Polylines(HDC dc, const HPEN* pens, const POINT* const* pts, const int* counts, int n);
int Win_SetBkMode(HDC dc, int mode);
COLORREF Win_SetBkColor(HDC dc, COLORREF color);
COLORREF Win_SetTextColor(HDC dc, COLORREF color);
// TA_LEFT | TA_TOP, TA_RIGHT | TA_BASELINE, TA_CENTER | TA_TOP and the other
// combinations; returns the previous alignment.
UINT Win_SetTextAlign(HDC dc, UINT align);
// Draws count bytes of text at (x, y) by the alignment, on the background
// colour when the mode is OPAQUE.
int Win_TextOut(HDC dc, int x, int y, const char* text, int count);
// Width and height of count bytes of text in the canvas's font; 0 on failure.
int Win_GetTextExtentPoint32(HDC dc, const char* text, int count, SIZE* size);
// Inverts a dotted rectangle outline; a second identical call removes it.
int Win_DrawFocusRect(HDC dc, const RECT* rc);
// Colour of one pixel (0x00BBGGRR), or 0xFFFFFFFF outside the canvas.
COLORREF Win_GetPixel(HDC dc, int x, int y);
// A canvas that records what is drawn on it as an SVG document of w x h
// pixels: lines, polylines, rectangles and text stay vectors.  Freed by
// Win_DeleteDC; null for a size below 1.
HDC Win_CreateSvgDC(int w, int h);
// The picture of a memory canvas as file bytes: the SVG document of an SVG
// canvas (its drawing ends here), or the PNG of the bitmap selected into any
// other.  A malloc'd block of *size bytes for the caller to free; null when
// there is nothing to encode or no memory.
char* Win_EncodeCanvas(HDC dc, size_t* size);
// Puts the bitmap on the clipboard as an image; 0 when there is no clipboard.
int Win_CopyBitmapToClipboard(HBITMAP bitmap);
// Writes the bitmap as a PNG file by the safe replacement of the data files
// (formats/safe_write.h): a previous file stays whole on every failure.
// Returns 0, or the result code of the failure (a refusal of SafeWrite_Begin,
// the system error of a failed write, ERROR_WRITE when there is no bitmap
// or it cannot be encoded).
int Win_SaveBitmapPng(HBITMAP bitmap, const char* path);
// Reads a PNG file into a new bitmap; null when it cannot be read.
HBITMAP Win_LoadBitmapPng(const char* path);

// Tooltips.  One tooltip at a time, shown beside a point of a window's client
// area: n lines (UTF-8), line k drawn in colours[k].  Showing again replaces
// the one shown, so a moving pointer is followed.  0 when the window has no
// client area or there is no line.
int Win_ShowTip(HWND hwnd, int x, int y, const char* const* lines, const COLORREF* colours, int n);
// Hides the tooltip; 0 when none was shown.
int Win_HideTip(void);

// Modal services.  The product shows the toolkit's dialogs; tests answer them
// through the seam below instead.
// MB_OK, MB_OKCANCEL, MB_YESNO, MB_YESNOCANCEL with MB_ICON* and MB_DEFBUTTON*;
// returns IDOK, IDCANCEL, IDYES or IDNO (IDCANCEL when closed otherwise).
int Win_MessageBox(HWND owner, const char* text, const char* caption, UINT type);
// The open and save dialogs.  Patterns match without regard to letter case;
// the chosen path (with lpstrDefExt added when it has no extension) goes into
// lpstrFile, the chosen 1-based filter pair into nFilterIndex.  0 when cancelled
// or when the path does not fit nMaxFile.
int Win_GetOpenFileName(OPENFILENAMEA* ofn);
int Win_GetSaveFileName(OPENFILENAMEA* ofn);

// The help window: one window, not modal, showing an HTML page (the subset
// QTextBrowser renders: headings, tables, lists, code); a second call shows the
// new page in it and brings it to the front.  0 when it cannot be shown.
int Win_ShowHelpWindow(HWND owner, const char* title, const char* html);
// The plain text the help window shows (length copied, cut to fit); 0 and an
// empty buffer when it is not open.
int Win_GetHelpWindowText(char* buffer, int size);

// The seam of the modal services: a non-null function answers in place of the
// dialog.  Win_SetModalSeam(null) restores the real dialogs.
struct WinModalSeam {
  // Answers Win_MessageBox: the button id.
  int (*pfnMessageBox)(HWND owner, const char* text, const char* caption, UINT type);
  // Answers the open (save 0) and save (save 1) dialogs: 1 chosen, 0 cancelled.
  int (*pfnFileDialog)(int save, OPENFILENAMEA* ofn);
  // Answers InputDlg_AskNumber: its result, with *value set.
  int (*pfnAskNumber)(HWND owner, const char* caption, const char* line1, const char* line2, int* value,
                      int flags);
  // Answers each report of watched long work (winutil/progress.h): 1 go on, 0 cancel.
  int (*pfnProgress)(HWND owner, const char* title, long long done, long long total);
};
void Win_SetModalSeam(const WinModalSeam* seam);
// The seam in force (all members null when none is set); never null.
const WinModalSeam* Win_GetModalSeam(void);

// Dropping files: after Win_DragAcceptFiles(hwnd, 1) a drop of files on the
// window sends WM_DROPFILES with an HDROP, valid until Win_DragFinish.
void Win_DragAcceptFiles(HWND hwnd, int accept);
// index 0xFFFFFFFF: the number of files; otherwise copies file index into
// buffer (size bytes) and returns its length, 0 when it does not fit.
UINT Win_DragQueryFile(HDROP drop, UINT index, char* buffer, UINT size);
void Win_DragFinish(HDROP drop);

// Settings file with private-profile semantics, kept as an INI file of the given
// name in the per-user configuration folder.  A missing file or key gives the
// default; a value below zero, or one that is not a number, reads as 0.
int Profile_GetInt(const char* section, const char* key, int defaultValue, const char* file);
// Reads one key's text into buffer (size bytes, cut to fit); a missing file or
// key gives defaultValue.  Returns the length copied.
int Profile_GetString(const char* section, const char* key, const char* defaultValue, char* buffer, int size,
                      const char* file);
// Writes one key; 0 when the file cannot be written.
int Profile_WriteString(const char* section, const char* key, const char* value, const char* file);
// The full path of the settings file of that name.
int Profile_GetPath(const char* file, char* buffer, int size);
