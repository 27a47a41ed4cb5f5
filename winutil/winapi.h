#pragma once
// The window-system layer: windows, messages, the message loop, timers, scroll
// bars and the settings file, with Win32 semantics and numbering.  The shell and
// the graph talk to the platform only through these functions; the toolkit
// behind them lives in winutil/qt.
//
// Text crosses the layer as NUL-terminated single-byte strings in the local
// 8-bit encoding (UTF-8 on Linux).

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
// WS_VISIBLE is given.
HWND Win_CreateWindow(DWORD exStyle, const char* className, const char* title, DWORD style, int x,
                      int y, int w, int h, HWND parent, HMENU menu, HINSTANCE inst, void* param);
// Sends WM_DESTROY and WM_NCDESTROY to the window (children first get theirs),
// then removes it.  Its handle is invalid afterwards.
int Win_DestroyWindow(HWND hwnd);
// 1 while the handle names a live window.
int Win_IsWindow(HWND hwnd);

// Default handling: WM_CLOSE destroys the window; other messages return 0.
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
// windows created as dialogs take messages.
int Win_IsDialogMessage(HWND hwnd, MSG* msg);
// Runs queued work of the toolkit and dispatches all queued messages without
// waiting, for nested modal loops.  Returns 0 when WM_QUIT was met (it stays
// queued), else 1.
int Win_PumpMessages(void);

// Accelerator tables: a key message whose key and modifiers match an entry is
// turned into WM_COMMAND with HIWORD(wParam) = 1 and LOWORD(wParam) = cmd,
// sent to hwnd.
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

// Settings file with private-profile semantics, kept as an INI file of the given
// name in the per-user configuration folder.  A missing file or key gives the
// default; a value below zero, or one that is not a number, reads as 0.
int Profile_GetInt(const char* section, const char* key, int defaultValue, const char* file);
// Writes one key; 0 when the file cannot be written.
int Profile_WriteString(const char* section, const char* key, const char* value, const char* file);
// The full path of the settings file of that name.
int Profile_GetPath(const char* file, char* buffer, int size);
