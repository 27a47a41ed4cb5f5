#pragma once
// Layer-internal interface between the message queue (toolkit-free) and the
// toolkit side of the window layer.  Nothing outside the layer includes this.

#include "winutil/wintypes.h"

// Key-message lParam bits of the modifiers held when the key was pressed.
constexpr LPARAM WINQ_KEY_SHIFT_BIT = LPARAM(1) << 25;
constexpr LPARAM WINQ_KEY_CONTROL_BIT = LPARAM(1) << 26;
constexpr LPARAM WINQ_KEY_ALT_BIT = LPARAM(1) << 29;

// Runs the toolkit's pending events; wait = 1 sleeps until at least one arrives.
void WinToolkit_ProcessEvents(int wait);

// Dispatches every queued message except WM_QUIT; returns 0 when WM_QUIT is pending.
int WinQueue_DispatchAll(void);
// 1 when a message of that window, number and wParam is queued.
int WinQueue_Contains(HWND hwnd, UINT message, WPARAM wp);
// Removes the queued messages of a window (message 0: all of them; otherwise
// only that number with that wParam).
void WinQueue_Remove(HWND hwnd, UINT message, WPARAM wp);
