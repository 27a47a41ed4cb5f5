// The paint of the drawing area: panel strip, background, selections, both
// axes, legend and curves, drawn into an off-screen bitmap that is copied to
// the window in one operation.  Graph_Draw lays out and draws into any canvas,
// so the command-line renderer shares it.
#include <cstdlib>
#include <cstring>

#include "graph/axis_core.h"
#include "graph/curve_walk.h"
#include "graph/graph_hit.h"
#include "graph/graph_measure.h"
#include "shell/app_state.h"
#include "winutil/winapi.h"
#include "winutil/window_utils.h"

namespace {

constexpr int LEGEND_NAME_MAX = 80;  // characters of a channel name shown in the legend

void FillWhite(HDC dc, int left, int top, int right, int bottom) {
  RECT rc{left, top, right, bottom};
  Win_FillRect(dc, &rc, static_cast<HBRUSH>(Win_GetStockObject(WHITE_BRUSH)));
}

// The parameter panel strip at the left: white, with the scroller letters.
void DrawPanel(AppState* app, HDC dc, int w, int h) {
  Graph& g = app->Graph;
  g.iPanelWidth = GRAPH_PANEL_WIDTH < w / 2 ? GRAPH_PANEL_WIDTH : w / 2;
  g.rcPlot.left = g.iPanelWidth;
  // The strip is filled at every paint: the off-screen bitmap starts black.
  FillWhite(dc, 0, 0, g.iPanelWidth, h);
  g.iPanelEraseRequest = 0;
  Win_SetBkMode(dc, OPAQUE);
  Win_SetTextAlign(dc, TA_LEFT | TA_TOP);
  for (int i = 0; i < PARAM_COUNT; ++i) {
    const char* letter = app->Param[i].szParamLetter;
    Win_TextOut(dc, 24 * i + 4, 2, letter, static_cast<int>(strnlen(letter, sizeof app->Param[i].szParamLetter)));
  }
}

void DrawSelections(AppState* app, HDC dc) {
  for (const GraphSelection& s : app->Graph.Selection) {
    if (!s.iVisible) continue;
    RECT rc = Graph_SelectionRect(app, &s);
    HBRUSH brush = Win_CreateSolidBrush(s.crFill);
    Win_FillRect(dc, &rc, brush);
    Win_DeleteObject(brush);
  }
}

}  // namespace

void Graph_Draw(AppState* app, HDC dc, int w, int h) {
  if (!app) return;
  Graph& g = app->Graph;
  g.rcPlot = RECT{0, 0, w, h};
  if (w <= GRAPH_MIN_AREA || h <= GRAPH_MIN_AREA) return;
  if (app->iPanelShown) DrawPanel(app, dc, w, h);
  g.iPanelShownAtLastPaint = app->iPanelShown;

  int hQ = 1;
  WinUtil_GetTextExtent(dc, "Q", nullptr, &hQ);
  FillWhite(dc, g.rcPlot.left, g.rcPlot.top, g.rcPlot.right, g.rcPlot.bottom);
  ChannelSet& set = app->Channels;
  if (set.iChannelsInUse > MAX_CHANNELS) set.iChannelsInUse = MAX_CHANNELS;

  double lo = 0.0, hi = 0.0;
  Graph_GetViewY(app, Graph_ActiveChannel(app), &lo, &hi);

  // Value axis strip: from the panel edge to the wider end label plus 10.
  const int plotBottom = h - hQ - 8;
  GraphAxis left;
  Axis_Init(&left, AXIS_KIND_LEFT, g.rcPlot.left, GRAPH_LEGEND_HEIGHT, g.rcPlot.left + 10, plotBottom, lo, hi);
  left.rcStrip.right = g.rcPlot.left + Axis_LabelWidth(dc, &left);
  int laneAxis = Graph_LaneAxisWidth(app, dc, g.rcPlot.left, GRAPH_LEGEND_HEIGHT, plotBottom);
  if (laneAxis > 0) left.rcStrip.right = g.rcPlot.left + laneAxis;
  const bool leftAxisFits = w / 2 > left.rcStrip.right;
  if (leftAxisFits) g.rcPlot.left = left.rcStrip.right + 1;
  g.rcPlot.top = GRAPH_LEGEND_HEIGHT;
  g.rcPlot.bottom = plotBottom;
  Graph_LayoutLanes(app);

  GraphAxis bottom;
  Axis_Init(&bottom, AXIS_KIND_BOTTOM, g.rcPlot.left, g.rcPlot.bottom + 1, g.rcPlot.right, h, set.dXViewMin,
            set.dXViewMax);
  DrawSelections(app, dc);
  if (leftAxisFits && !Graph_DrawLaneAxes(app, dc, left.rcStrip.left)) Axis_Draw(dc, &left);
  Axis_Draw(dc, &bottom);
  Graph_DrawLegend(dc, app, g.rcPlot.left, 0);

  Graph_DrawCurves(app, dc);
  for (int c = 0; c < set.iChannelsInUse; ++c) {
    if (set.Channel[c].iVisible) Graph_DrawSampleMarks(app, dc, c);
  }
  Graph_DrawMarkers(app, dc);
}

int Graph_Paint(AppState* app, HWND hwnd) {
  PAINTSTRUCT ps{};
  HDC screen = Win_BeginPaint(hwnd, &ps);
  if (!app) {
    Win_EndPaint(hwnd, &ps);
    return 0;
  }
  RECT rc{};
  Win_GetClientRect(hwnd, &rc);
  rc.bottom -= WinUtil_GetWindowHeight(app->hwndStatus);
  const int w = rc.right - rc.left, h = rc.bottom - rc.top;
  HDC mem = Win_CreateCompatibleDC(screen);
  HBITMAP bitmap = Win_CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ oldBitmap = Win_SelectObject(mem, bitmap);
  if (bitmap) Graph_Draw(app, mem, w, h);
  else app->Graph.rcPlot = rc;
  Win_BitBlt(screen, rc.left, rc.top, w, h, mem, 0, 0, SRCCOPY);
  Win_SelectObject(mem, oldBitmap);
  Win_DeleteObject(bitmap);
  Win_DeleteDC(mem);
  // The rubber band is drawn by inversion: put it back over the fresh image.
  if (app->Graph.iFocusRectShown) Win_DrawFocusRect(screen, &app->Graph.rcFocus);
  Win_EndPaint(hwnd, &ps);
  app->Graph.iViewChanged = 0;
  return 0;
}

void Graph_DrawLegend(HDC dc, AppState* app, int x, int y) {
  if (!app) return;
  Graph& g = app->Graph;
  std::memset(g.rcLegend, 0, sizeof g.rcLegend);
  Win_SetTextAlign(dc, TA_LEFT | TA_TOP);
  int inUse = app->Channels.iChannelsInUse;
  ClampInt(&inUse, 0, MAX_CHANNELS);
  for (int c = 0; c < inUse; ++c) {
    const CurveChannel& ch = app->Channels.Channel[c];
    if (!ch.iVisible) continue;
    char name[LEGEND_NAME_MAX + 1];
    std::strncpy(name, ch.szName, LEGEND_NAME_MAX);
    name[LEGEND_NAME_MAX] = '\0';
    int tw = 1, th = 1;
    WinUtil_GetTextExtent(dc, name, &tw, &th);
    Win_TextOut(dc, x + 2, y, name, static_cast<int>(std::strlen(name)));
    HPEN pen = Win_CreatePen(PS_SOLID, c == g.iActiveChannel ? 3 : 1, GRAPH_CHANNEL_COLORS[c]);
    HGDIOBJ old = Win_SelectObject(dc, pen);
    WinUtil_DrawLine(dc, x, y + th + 1, x + tw + 4, y + th + 1);
    Win_SelectObject(dc, old);
    Win_DeleteObject(pen);
    g.rcLegend[c] = RECT{x, y, x + tw, y + th + 1};
    x += tw + 8;
  }
}

void Graph_DrawCurves(AppState* app, HDC dc) {
  if (!app) return;
  const ChannelSet& set = app->Channels;
  const int active = app->Graph.iActiveChannel;
  int order[MAX_CHANNELS], n = 0;
  for (int c = 0; c < set.iChannelsInUse && c < MAX_CHANNELS; ++c)
    if (c != active && set.Channel[c].iVisible) order[n++] = c;
  if (Channel_IsIndex(active) && set.Channel[active].iVisible) order[n++] = active;
  if (n == 0) return;
  const int cap = CurveWalk_Capacity(app);
  POINT* pts = static_cast<POINT*>(std::malloc(static_cast<size_t>(cap) * n * sizeof(POINT)));
  if (!pts) return;  // no room for the points: no curve is drawn
  HPEN pens[MAX_CHANNELS];
  const POINT* lines[MAX_CHANNELS];
  int counts[MAX_CHANNELS];
  for (int k = 0; k < n; ++k) {
    POINT* own = pts + static_cast<size_t>(cap) * k;
    lines[k] = own;
    counts[k] = CurveWalk_Points(app, order[k], own, cap);
    pens[k] = Win_CreatePen(PS_SOLID, 1, GRAPH_CHANNEL_COLORS[order[k]]);
  }
  Win_Polylines(dc, pens, lines, counts, n);
  for (int k = 0; k < n; ++k) Win_DeleteObject(pens[k]);
  std::free(pts);
}
