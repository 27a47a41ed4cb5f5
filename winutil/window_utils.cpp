#include "winutil/window_utils.h"

#include "winutil/winapi.h"

void WinUtil_SetStatusText(HWND bar, int part, int type, const char* text) {
  if (!bar) return;
  Win_SendMessage(bar, SB_SETTEXTA, static_cast<WPARAM>((part & 0xFF) | type),
                  reinterpret_cast<LPARAM>(text));
}
