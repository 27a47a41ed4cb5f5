// Window procedure of the main window: routes each message to its handler,
// turns menu, accelerator and button commands into operations through one
// dispatcher, and keeps the "Modified" indicator current on a 100 ms timer,
// which also writes the crash journal once a change has been on screen long
// enough.
// A message for a window without a record (during creation, after
// destruction) gets the default handling or result 0.
#include <algorithm>
#include <cstdint>

#include "graph/graph_measure.h"
#include "graph/graph_hit.h"
#include "shell/plotwin.h"
#include "winutil/message_queue.h"
#include "winutil/winapi.h"
#include "winutil/window_utils.h"

namespace {

int s_iModifiedShown;  // last iModified the timer wrote into the main window's status bar
int s_iInTimer;        // re-entrancy guard of the timer handler

// Range, page and the position a scroll code asks for; the bar itself is not
// moved here, the handler sets it.
GraphScrollState ScrollStateOf(HWND hwnd, int bar, WPARAM wp) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  Win_GetScrollInfo(hwnd, bar, &si);
  long long page = si.nPage;
  long long top = si.nMax - std::max(page - 1, 0LL);
  long long pos = si.nPos;
  switch (static_cast<int>(LOWORD(wp))) {
    case SB_LINEUP: pos = std::max(pos - 1, static_cast<long long>(si.nMin)); break;
    case SB_LINEDOWN: pos = std::min(pos + 1, top); break;
    case SB_PAGEUP: pos = std::max(pos - page, static_cast<long long>(si.nMin)); break;
    case SB_PAGEDOWN: pos = std::min(pos + page, top); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: pos = HIWORD(wp); break;
    case SB_TOP: pos = si.nMin; break;
    case SB_BOTTOM: pos = top; break;
    default: break;
  }
  // Both bounds come from ints, so the clamped position fits one again.
  pos = std::min(std::max(pos, static_cast<long long>(INT32_MIN)), static_cast<long long>(INT32_MAX));
  GraphScrollState state{};
  state.iMin = si.nMin;
  state.iMax = si.nMax;
  state.iPage = static_cast<int>(std::min(page, static_cast<long long>(INT32_MAX)));
  state.iPos = static_cast<int>(pos);
  return state;
}

LRESULT OnVScroll(AppState* app, HWND hwnd, WPARAM wp, LPARAM lp) {
  HWND bar = lp ? reinterpret_cast<HWND>(lp) : hwnd;
  int i = 0;
  while (i < PARAM_COUNT && app->hwndScroller[i] != bar) ++i;
  if (i < PARAM_COUNT) {
    GraphScrollState state = ScrollStateOf(bar, SB_CTL, wp);
    PlotWin_OnParamScroll(app, i, &state, LOWORD(wp) == SB_ENDSCROLL);
  } else {
    GraphScrollState state = ScrollStateOf(hwnd, SB_VERT, wp);
    Graph_OnVScroll(app, &state);
  }
  return 0;
}

// The wheel reports the pointer on the screen; the graph works in client pixels.
LRESULT OnMouseWheel(AppState* app, HWND hwnd, WPARAM wp, LPARAM lp) {
  POINT pt{static_cast<short>(LOWORD(static_cast<std::uintptr_t>(lp))),
           static_cast<short>(HIWORD(static_cast<std::uintptr_t>(lp)))};
  Win_ScreenToClient(hwnd, &pt);
  return Graph_OnMouseWheel(app, static_cast<int>(LOWORD(wp)), static_cast<short>(HIWORD(wp)), pt.x, pt.y);
}

// Opens the first dropped file (with a record); a path that does not fit the
// file name buffer is ignored.  The drop is released in every case.
void OnDropFiles(AppState* app, HDROP drop) {
  char path[APP_TEXT_LEN] = {0};
  if (app && Win_DragQueryFile(drop, 0, path, sizeof path) > 0) PlotWin_OpenDroppedFile(app, path);
  Win_DragFinish(drop);
}

}  // namespace

void PlotWin_OnTimer(AppState* app, int) {
  if (!app || s_iInTimer) return;
  s_iInTimer = 1;
  int v = app->iModified;
  if (v != s_iModifiedShown) {
    s_iModifiedShown = v;
    WinUtil_SetStatusText(app->hwndStatus, STATUS_PART_INFO, 0, v ? "Modified" : "");
  }
  Journal_Tick(app);
  s_iInTimer = 0;
}

int PlotWin_OnKeyDown(AppState* app, HWND hwnd, int key, LPARAM lp) {
  // Letters with Ctrl or Alt belong to the accelerators and menus.
  bool plain = !(lp & (WINQ_KEY_CONTROL_BIT | WINQ_KEY_ALT_BIT));
  if (plain && (key == 'A' || key == 'B'))
    Graph_SetMarkerAtPointer(app, key == 'A' ? GRAPH_MARKER_A : GRAPH_MARKER_B);
  if (plain && key == 'S') PlotWin_SetStacked(app, !app->Graph.iStacked);
  if (key == VK_ESCAPE && !Graph_OnEscape(app)) {
    HWND owner = Win_GetParent(hwnd);
    if (owner) Win_SetFocus(owner);
  }
  if (app->Graph.iViewChanged) Graph_Invalidate(app, 0);
  return 0;
}

int PlotWin_OnCommand(AppState* app, int, int id, HWND) {
  if (!app) return 0;
  switch (id) {
    case IDM_NEW: PlotWin_CmdNew(app); break;
    case IDM_OPEN: PlotWin_CmdOpen(app); break;
    case IDM_LOAD_NEXT: PlotWin_CmdLoadNextChannel(app); break;
    case IDM_SAVE: PlotWin_CmdSave(app); break;
    case IDM_EXPORT_PICTURE: PlotWin_CmdExportPicture(app); break;
    case IDM_COPY_PICTURE: PlotWin_CmdCopyPicture(app); break;
    case IDM_EXIT: Win_SendMessage(app->hwndMain, WM_CLOSE, 0, 0); break;
    case IDM_UNDO: PlotWin_CmdUndo(app); break;
    case IDM_REDO: PlotWin_CmdRedo(app); break;
    case IDM_CROP: PlotWin_CmdCrop(app); break;
    case IDM_MODE_NOTHING: Graph_SetEditMode(app, EDIT_MODE_SELECT); break;
    case IDM_MODE_POINTS: Graph_SetEditMode(app, EDIT_MODE_POINTS); break;
    case IDM_ZOOM_SELECTION:
    case IDM_POPUP_ZOOM_IN: Graph_ZoomToSelection(app); break;
    case IDM_ZOOM_OUT_ALL:
    case IDM_POPUP_ZOOM_OUT: Graph_ZoomOutCompletely(app); break;
    case IDM_ZOOM_OUT_HALF: Graph_ZoomOutHalf(app); break;
    case IDM_ZOOM_FIT_VALUES: Graph_FitValues(app); break;
    case IDM_ZOOM_STACKED: PlotWin_SetStacked(app, !app->Graph.iStacked); break;
    case IDM_POPUP_ZOOM_BOTH: Graph_ZoomBothAxes(app); break;
    case IDM_POPUP_STATISTICS: Graph_ShowStatistics(app); break;
    case IDM_POPUP_MARKER_A:
    case IDM_POPUP_MARKER_A + 1: Graph_SetMarkerAtPointer(app, id - IDM_POPUP_MARKER_A); break;
    case IDM_LOWPASS_INTERACTIVE: PlotWin_CmdLowPassInteractive(app); break;
    case IDM_ABOUT: PlotWin_ShowAbout(app); break;
    case IDM_HELP: PlotWin_ShowHelp(app); break;
    case IDM_SCROLL_LEFT: Graph_ScrollView(app, -0.1); break;
    case IDM_SCROLL_RIGHT: Graph_ScrollView(app, +0.1); break;
    case IDM_KEY_ZOOM_IN: Graph_ZoomView(app, 1.0 / GRAPH_WHEEL_ZOOM); break;
    case IDM_KEY_ZOOM_OUT: Graph_ZoomView(app, GRAPH_WHEEL_ZOOM); break;
    case IDM_VIEW_START: Graph_ScrollViewToEnd(app, 0); break;
    case IDM_VIEW_END: Graph_ScrollViewToEnd(app, 1); break;
    case IDM_DELETE_HIDDEN: PlotWin_DeleteHiddenChannels(app); break;
    case IDM_POPUP_HIDE: Graph_HideSelection(app); break;
    case IDM_POPUP_NEXT: Graph_NextSelection(app); break;
    case IDC_PANEL_OK: PlotWin_PanelOk(app); break;
    case IDC_PANEL_CANCEL: PlotWin_PanelCancel(app); break;
    default:
      if (id >= IDM_LOWPASS_FIRST && id < IDM_LOWPASS_FIRST + LOWPASS_PRESET_COUNT) {
        PlotWin_LowPassPreset(app, id - IDM_LOWPASS_FIRST);
      } else if (id >= IDM_RECENT_FIRST && id < IDM_RECENT_FIRST + RECENT_FILE_MAX) {
        PlotWin_OpenRecentFile(app, id - IDM_RECENT_FIRST);
      } else if (id >= IDM_CHANNEL_FIRST && id < IDM_CHANNEL_FIRST + MAX_CHANNELS) {
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
      s_iModifiedShown = 0;  // a new window's status bar starts empty, as for no changes
      return 0;
    }
    case WM_DESTROY: return PlotWin_OnDestroy(app, hwnd);
    case WM_SIZE:
      if (app && app->hwndStatus) Win_SendMessage(app->hwndStatus, WM_SIZE, wp, lp);
      return PlotWin_OnSize(app, static_cast<int>(LOWORD(wp)), x, y);
    case WM_SETFOCUS: return 0;
    case WM_PAINT: return app ? Graph_Paint(app, hwnd) : 0;
    case WM_CLOSE:
      if (!app || PlotWin_ConfirmDiscard(app) == 1) Win_DestroyWindow(hwnd);
      return 0;
    case WM_ERASEBKGND: return Graph_OnEraseBackground(app);
    case WM_KEYDOWN:
      if (!app) return Win_DefWindowProc(hwnd, msg, wp, lp);
      return PlotWin_OnKeyDown(app, hwnd, static_cast<int>(wp), lp);
    case WM_COMMAND:
      return PlotWin_OnCommand(app, static_cast<int>(HIWORD(wp)), static_cast<int>(LOWORD(wp)),
                               reinterpret_cast<HWND>(lp));
    case WM_TIMER:
      if (wp == GRAPH_TIP_TIMER_ID) Graph_OnTipTimer(app);
      else PlotWin_OnTimer(app, static_cast<int>(LOWORD(wp)));
      return 0;
    case WM_MOUSELEAVE: Graph_HideTip(app); return 0;
    case WM_HSCROLL:
      if (app) {
        GraphScrollState state = ScrollStateOf(hwnd, SB_HORZ, wp);
        Graph_OnHScroll(app, &state);
      }
      return 0;
    case WM_VSCROLL: return app ? OnVScroll(app, hwnd, wp, lp) : 0;
    case WM_INITMENU: return PlotWin_UpdateMenus(app);
    case WM_MENUSELECT:
      PlotWin_OnMenuSelect(app, static_cast<int>(LOWORD(wp)), static_cast<int>(HIWORD(wp)));
      return 0;
    case WM_MOUSEMOVE: return app ? Graph_OnMouseMove(app, static_cast<int>(wp), x, y) : 0;
    case WM_LBUTTONDOWN: return app ? Graph_OnButtonDown(app, static_cast<int>(wp), x, y) : 0;
    case WM_LBUTTONUP: return app ? Graph_OnButtonUp(app, static_cast<int>(wp | MK_LBUTTON), x, y) : 0;
    case WM_RBUTTONUP: return app ? Graph_OnButtonUp(app, static_cast<int>(wp | MK_RBUTTON), x, y) : 0;
    case WM_MOUSEWHEEL:
      if (!app) return Win_DefWindowProc(hwnd, msg, wp, lp);
      return OnMouseWheel(app, hwnd, wp, lp);
    case WM_DROPFILES:
      OnDropFiles(app, reinterpret_cast<HDROP>(wp));
      return 0;
    default: return Win_DefWindowProc(hwnd, msg, wp, lp);
  }
}
