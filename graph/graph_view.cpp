// Setting the visible ranges and keeping the main window's scroll bars in line.
#include "graph/graph_hit.h"
#include "shell/app_state.h"
#include "winutil/winapi.h"

// Sets range, page and position of one bar when page or position differ from
// what the bar shows now; a bar that cannot be queried stays as it is.
static void Graph_SyncBar(HWND hwnd, int bar, int page, int pos) {
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  if (!Win_GetScrollInfo(hwnd, bar, &si)) return;
  if (si.nPos == pos && static_cast<int>(si.nPage) == page) return;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 0;
  si.nMax = GRAPH_SCROLL_MAX;
  si.nPage = static_cast<UINT>(page);
  si.nPos = pos;
  Win_SetScrollInfo(hwnd, bar, &si, 1);
}

// Free travel fraction of a view start within a full extent, 0 when nothing scrolls.
static double Graph_Travel(double full, double vis, double start, double base, int* scrolls) {
  double rest = full - vis;
  *scrolls = rest > 0.0;
  return *scrolls ? (start - base) / rest : 0.0;
}

void Graph_SetView(AppState* app, int c, double x0, double x1, double y0, double y1) {
  if (!app || c < 0 || c >= MAX_CHANNELS) return;
  CurveChannel& ch = app->Channels.Channel[c];
  if (ch.dViewMin != y0 || ch.dViewMax != y1) app->Graph.iViewChanged = 1;
  ch.dViewMin = y0;
  ch.dViewMax = y1;
  ChannelSet& set = app->Channels;
  if (set.dXViewMin != x0 || set.dXViewMax != x1) app->Graph.iViewChanged = 1;
  set.dXViewMin = x0;
  set.dXViewMax = x1;

  const CurveChannel& act = set.Channel[Graph_ActiveChannel(app)];

  int scrolls = 0;
  double full = act.iNrOfSamples * act.dXStep, vis = set.dXViewMax - set.dXViewMin;
  int page = Graph_ScrollPage(full, vis);
  double f = Graph_Travel(full, vis, set.dXViewMin, act.dXOrigin, &scrolls);
  Graph_SyncBar(app->hwndMain, SB_HORZ, page, scrolls ? Graph_ScrollPos(page, f) : 0);

  full = ch.dDataMax - ch.dDataMin;
  vis = ch.dViewMax - ch.dViewMin;
  page = Graph_ScrollPage(full, vis);
  f = Graph_Travel(full, vis, ch.dViewMin, ch.dDataMin, &scrolls);
  Graph_SyncBar(app->hwndMain, SB_VERT, page, scrolls ? Graph_ScrollPos(page, 1.0 - Graph_ClampFraction(f)) : 0);
}

AppState* Graph_FromWindow(HWND hwnd) {
  for (AppState* app : PlotWin_Instances) {
    if (app && app->hwndMain == hwnd) return app;
  }
  return nullptr;
}
