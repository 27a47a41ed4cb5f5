// Window procedure of the main window: routes each message to its handler,
// turns menu, accelerator and button commands into operations through one
// dispatcher, and keeps the "Modified" indicator current on a 100 ms timer.
// A message for a window without a record (during creation, after
// destruction) gets the default handling or result 0.
#include <algorithm>
#include <cstdint>

#include "shell/plotwin.h"
#include "winutil/winapi.h"
#include "winutil/window_utils.h"

namespace {

int s_iModifiedShown;  // last iModified written by the timer
int s_iInTimer;        // re-entrancy guard of the timer handler

}  // namespace

void PlotWin_OnTimer(AppState* app, int) {
  if (!app || s_iInTimer) return;
  s_iInTimer = 1;
  int v = app->iModified;
  if (v != s_iModifiedShown) {
    s_iModifiedShown = v;
    WinUtil_SetStatusText(app->hwndStatus, STATUS_PART_INFO, 0, v ? "Modified" : "");
  }
  s_iInTimer = 0;
}

int PlotWin_OnKeyDown(AppState*, HWND hwnd, int key, LPARAM) {
  if (key == VK_ESCAPE) {
    HWND owner = Win_GetParent(hwnd);
    if (owner) Win_SetFocus(owner);
  }
  return 0;
}

int PlotWin_OnCommand(AppState* app, int, int id, HWND) {
  if (!app) return 0;
  switch (id) {
    case IDM_EXIT: Win_SendMessage(app->hwndMain, WM_CLOSE, 0, 0); break;
    default:
      if (id >= IDM_CHANNEL_FIRST && id < IDM_CHANNEL_FIRST + MAX_CHANNELS) {
        // Also for a channel not in use: the menu shows the flag once it is.
        app->Channels.Channel[id - IDM_CHANNEL_FIRST].iVisible ^= 1;
        app->Graph.iViewChanged = 1;
      }
      break;  // F9, F7, F2 and unknown ids: nothing
  }
  if (app->Graph.iViewChanged) Graph_Invalidate(app, 0);
  return 0;
}

LRESULT PlotWin_WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  AppState* app = Graph_FromWindow(hwnd);
  auto x = static_cast<int>(LOWORD(static_cast<std::uintptr_t>(lp)));
  auto y = static_cast<int>(HIWORD(static_cast<std::uintptr_t>(lp)));
  switch (msg) {
    case WM_CREATE: {
      RECT rc{};
      Win_GetClientRect(hwnd, &rc);
      Win_SetTimer(hwnd, PLOTWIN_TIMER_ID, PLOTWIN_TIMER_MS, nullptr);
      return 0;
    }
    case WM_DESTROY: return PlotWin_OnDestroy(app, hwnd);
    case WM_SIZE:
      if (app && app->hwndStatus) Win_SendMessage(app->hwndStatus, WM_SIZE, wp, lp);
      return PlotWin_OnSize(app, static_cast<int>(LOWORD(wp)), x, y);
    case WM_SETFOCUS: return 0;
    case WM_PAINT: return app ? Graph_Paint(app, hwnd) : 0;
    case WM_CLOSE: Win_DestroyWindow(hwnd); return 0;
    case WM_KEYDOWN:
      if (!app) return Win_DefWindowProc(hwnd, msg, wp, lp);
      return PlotWin_OnKeyDown(app, hwnd, static_cast<int>(wp), lp);
    case WM_COMMAND:
      return PlotWin_OnCommand(app, static_cast<int>(HIWORD(wp)), static_cast<int>(LOWORD(wp)),
                               reinterpret_cast<HWND>(lp));
    case WM_TIMER: PlotWin_OnTimer(app, static_cast<int>(LOWORD(wp))); return 0;
    case WM_INITMENU: return PlotWin_UpdateMenus(app);
    default: return Win_DefWindowProc(hwnd, msg, wp, lp);
  }
}
