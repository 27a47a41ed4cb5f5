// Window procedure of the main window and the "Modified" indicator.
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

LRESULT PlotWin_WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  AppState* app = Graph_FromWindow(hwnd);
  switch (msg) {
    case WM_CREATE: {
      RECT rc{};
      Win_GetClientRect(hwnd, &rc);
      Win_SetTimer(hwnd, PLOTWIN_TIMER_ID, PLOTWIN_TIMER_MS, nullptr);
      return 0;
    }
    case WM_DESTROY:
      return PlotWin_OnDestroy(app, hwnd);
    case WM_CLOSE:
      Win_DestroyWindow(hwnd);
      return 0;
    case WM_PAINT:
      return Graph_Paint(app, hwnd);
    case WM_TIMER:
      PlotWin_OnTimer(app, static_cast<int>(LOWORD(wp)));
      return 0;
    default:
      return Win_DefWindowProc(hwnd, msg, wp, lp);
  }
}
