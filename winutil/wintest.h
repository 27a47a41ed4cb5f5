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
// Runs the toolkit's event processing for about ms milliseconds, dispatching
// queued messages as a message loop would.
void WinTest_RunFor(int ms);
