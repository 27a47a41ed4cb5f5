#pragma once
// Small helpers over the window-system layer used across the shell and graph.

#include "winutil/wintypes.h"

constexpr UINT SB_SETTEXTA = 0x0401;
constexpr UINT SB_SETPARTS = 0x0404;

// Puts text into one part of a status bar; a null bar is ignored.
void WinUtil_SetStatusText(HWND bar, int part, int type, const char* text);
