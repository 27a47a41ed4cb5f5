#pragma once
// The texts a user reads on the screen, as tests read them through the window
// layer: a window's title or a control's text, a status bar part and a menu
// item.  Header only: it is used where the layer is linked.

#include <string>

#include "winutil/winapi.h"

// The title of a window or the text of a control ("" for no window).
inline std::string WindowText(HWND h) {
  char buf[600] = {0};
  Win_GetWindowText(h, buf, sizeof buf);
  return buf;
}

// The text of part of a status bar.
inline std::string StatusPartText(HWND bar, int part) {
  char buf[512] = {0};
  Win_SendMessage(bar, SB_GETTEXTA, static_cast<WPARAM>(part), reinterpret_cast<LPARAM>(buf));
  return buf;
}

// The text of a menu item by command id (or by position); "<missing>" when the
// menu has no such item.
inline std::string MenuItemText(HMENU menu, UINT item, int byPosition = 0) {
  char buf[512] = {0};
  MENUITEMINFOA info{};
  info.cbSize = sizeof info;
  info.fMask = MIIM_TYPE;
  info.dwTypeData = buf;
  info.cch = sizeof buf;
  if (!Win_GetMenuItemInfo(menu, item, byPosition, &info)) return "<missing>";
  return buf;
}
