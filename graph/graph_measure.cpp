// The measuring commands on the screen: the statistics box of the current
// selection, markers A and B (set at the pointer, drawn dashed in every
// lane, their differences in the status readout), the value zoom of the
// wheel and of "Fit values", the stacked view and its setting, and the
// squares of single samples.  The arithmetic is in graph_measure_core.cpp
// and graph_stats_core.cpp.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "graph/graph_hit.h"
#include "graph/graph_measure.h"
#include "graph/graph_stats.h"
#include "shell/app_state.h"
#include "winutil/winapi.h"
#include "winutil/window_utils.h"

namespace {

constexpr int DASH = 4;  // length of a marker's dashes and of the gaps between them, pixels


// Sets channel c's value view, keeping the x view (the vertical bar follows
// when c is the channel it shows).
void SetValueView(AppState* app, int c, double y0, double y1) {
  Graph_SetView(app, c, app->Channels.dXViewMin, app->Channels.dXViewMax, y0, y1);
}

}  // namespace

void Graph_ShowStatistics(AppState* app) {
  if (!app) return;
  int s = app->Graph.iCurrentSelection;
  if (s < 0 || s >= GRAPH_MAX_SELECTIONS || !Selection_IsValid(&app->Graph.Selection[s])) return;
  const GraphSelection& sel = app->Graph.Selection[s];
  char text[GRAPH_STATS_LINE_LEN * (MAX_CHANNELS + 1)];
  std::snprintf(text, sizeof text, "Statistics from x = %lg to %lg\n", sel.dX1, sel.dX2);
  for (int c = 0; c < app->Channels.iChannelsInUse && c < MAX_CHANNELS; ++c) {
    const CurveChannel& ch = app->Channels.Channel[c];
    if (!ch.iVisible) continue;
    GraphStats st;
    GraphStats_OfChannel(&ch, sel.dX1, sel.dX2, &st);
    char line[GRAPH_STATS_LINE_LEN];
    GraphStats_Format(ch.szName, &st, 6, line, sizeof line);
    size_t used = std::strlen(text);
    std::snprintf(text + used, sizeof text - used, "\n%s", line);
  }
  Win_MessageBox(app->hwndMain, text, app->szCaption, MB_OK);
}

int Graph_FormatReadout(AppState* app, int x, int y, char* text, int size) {
  if (!text || size <= 0) return 0;
  int n = Graph_FormatMarkers(app, text, size) ? static_cast<int>(std::strlen(text)) : 0;
  if (n > 0 && n + 3 < size) {
    std::memcpy(text + n, " | ", 4);
    n += 3;
  }
  return Graph_FormatCursorInfo(app, x, y, text + n, size - n);
}

int Graph_SetMarkerAtPointer(AppState* app, int m) {
  if (!app) return 0;
  POINT pt = app->Graph.ptPointer;
  if (Graph_HitTest(app, pt.x, pt.y, nullptr, nullptr) != GRAPH_PART_PLOT) return 0;
  Graph_SetMarkerX(app, m, Graph_PixelToX(app, 0, pt.x));
  Graph_ShowCursorInfo(app, pt.x, pt.y);
  return 1;
}

int Graph_OnEscape(AppState* app) {
  if (!Graph_ClearMarkers(app)) return 0;
  Graph_ShowCursorInfo(app, app->Graph.ptPointer.x, app->Graph.ptPointer.y);
  return 1;
}

void Graph_DrawMarkers(AppState* app, HDC dc) {
  if (!app || !app->Graph.iMarkers) return;
  const RECT& rc = app->Graph.rcPlot;
  const double lo = app->Channels.dXViewMin, hi = app->Channels.dXViewMax;
  Win_SetTextAlign(dc, TA_LEFT | TA_TOP);
  for (int m = GRAPH_MARKER_A; m <= GRAPH_MARKER_B; ++m) {
    double x = app->Graph.dMarkerX[m];
    if (!(app->Graph.iMarkers & (1 << m)) || !(x >= lo && x <= hi)) continue;
    int px = Graph_XToPixel(app, 0, x);
    HPEN pen = Win_CreatePen(PS_SOLID, 1, RGB(0, 0, 0));
    HGDIOBJ old = Win_SelectObject(dc, pen);
    // One line over the whole plot crosses every lane.
    for (int y = rc.top; y < rc.bottom; y += 2 * DASH)
      WinUtil_DrawLine(dc, px, y, px, y + DASH < rc.bottom ? y + DASH : rc.bottom);
    Win_SelectObject(dc, old);
    Win_DeleteObject(pen);
    Win_TextOut(dc, px + 2, rc.top, m == GRAPH_MARKER_A ? "A" : "B", 1);
  }
}

void Graph_DrawSampleMarks(AppState* app, HDC dc, int c) {
  if (!Graph_MarksSamples(app, c)) return;
  const CurveChannel& ch = app->Channels.Channel[c];
  int n = ch.iNrOfSamples < ch.iAllocated ? ch.iNrOfSamples : ch.iAllocated;
  int i0 = Graph_NearestIndex(app, c, app->Channels.dXViewMin);
  int i1 = Graph_NearestIndex(app, c, app->Channels.dXViewMax);
  if (i0 < 0 || i1 < 0 || !ch.pdSamples) return;
  HBRUSH brush = Win_CreateSolidBrush(GRAPH_CHANNEL_COLORS[c]);
  for (int i = i0; i <= i1 && i < n; ++i) {
    double x = Graph_IndexToX(app, c, i);
    if (x < app->Channels.dXViewMin || x > app->Channels.dXViewMax || !std::isfinite(ch.pdSamples[i])) continue;
    int px = Graph_XToPixel(app, c, x), py = Graph_YToPixel(app, c, ch.pdSamples[i]);
    RECT r{px - GRAPH_SAMPLE_MARK_HALF, py - GRAPH_SAMPLE_MARK_HALF, px + GRAPH_SAMPLE_MARK_HALF + 1,
           py + GRAPH_SAMPLE_MARK_HALF + 1};
    Win_FillRect(dc, &r, brush);
  }
  Win_DeleteObject(brush);
}

int Graph_OnValueWheel(AppState* app, int delta, int x, int y) {
  if (!app || delta == 0 || Graph_HitTest(app, x, y, nullptr, nullptr) != GRAPH_PART_PLOT) return 0;
  // Stacked, the lane zoomed becomes the active channel, so that the vertical bar moves it next.
  int lane = Graph_LaneAt(app, y);
  if (lane >= 0 && lane != app->Graph.iActiveChannel) {
    app->Graph.iActiveChannel = lane;
    app->Graph.iViewChanged = 1;
  }
  int c = Graph_ScaleChannelOf(app, Graph_ActiveChannel(app));
  double y0 = 0.0, y1 = 0.0;
  double notches = static_cast<double>(delta) / WHEEL_DELTA;
  // A forward turn zooms in around the value under the pointer.
  if (Graph_ZoomYRange(app, c, Graph_PixelToY(app, c, y), std::pow(GRAPH_WHEEL_ZOOM, -notches), &y0, &y1))
    SetValueView(app, c, y0, y1);
  Graph_ShowCursorInfo(app, x, y);  // the Δy of the markers follows the active channel
  if (app->Graph.iViewChanged) Graph_Invalidate(app, 0);
  return 1;
}

void Graph_FitValues(AppState* app) {
  if (!app) return;
  double ulo = INFINITY, uhi = -INFINITY;
  int a = Graph_ActiveChannel(app);
  for (int c = 0; c < app->Channels.iChannelsInUse && c < MAX_CHANNELS; ++c) {
    double y0 = 0.0, y1 = 0.0;
    if (c == a || !app->Channels.Channel[c].iVisible || !Graph_FitYRange(app, c, &y0, &y1)) continue;
    SetValueView(app, c, y0, y1);
    ulo = std::fmin(ulo, y0);
    uhi = std::fmax(uhi, y1);
  }
  // The active channel last, so that the vertical bar shows it.
  double y0 = 0.0, y1 = 0.0;
  if (app->Channels.Channel[a].iVisible && Graph_FitYRange(app, a, &y0, &y1)) {
    ulo = std::fmin(ulo, y0);
    uhi = std::fmax(uhi, y1);
    if (app->Graph.iStacked) SetValueView(app, a, y0, y1);
  }
  // Not stacked, channel 0's range scales every curve: it takes them all.
  if (!app->Graph.iStacked && ulo < uhi) SetValueView(app, 0, ulo, uhi);
}

void Graph_ZoomBothAxes(AppState* app) {
  if (!app) return;
  int s = app->Graph.iCurrentSelection;
  if (s < 0 || s >= GRAPH_MAX_SELECTIONS || !Selection_IsValid(&app->Graph.Selection[s])) return;
  GraphSelection& sel = app->Graph.Selection[s];
  sel.iVisible = 0;
  Graph_SetView(app, Graph_ScaleChannelOf(app, sel.iChannel), sel.dX1, sel.dX2, sel.dY1, sel.dY2);
  app->Graph.iViewChanged = 1;
}

void Graph_SetStacked(AppState* app, int on) {
  if (!app) return;
  app->Graph.iStacked = on ? 1 : 0;
  app->Graph.iViewChanged = 1;
}

int Graph_LaneAxisWidth(AppState* app, HDC dc, int left, int top, int bottom) {
  if (!app || !app->Graph.iStacked) return 0;
  int widest = 0;
  for (int c = 0; c < app->Channels.iChannelsInUse && c < MAX_CHANNELS; ++c) {
    const CurveChannel& ch = app->Channels.Channel[c];
    if (!ch.iVisible || ch.iNrOfSamples <= 0) continue;
    GraphAxis axis;
    Axis_Init(&axis, AXIS_KIND_LEFT, left, top, left + 10, bottom, ch.dViewMin, ch.dViewMax);
    int w = Axis_LabelWidth(dc, &axis);
    if (w > widest) widest = w;
  }
  return widest;
}

int Graph_DrawLaneAxes(AppState* app, HDC dc, int left) {
  if (!app || !app->Graph.iStacked) return 0;
  const RECT& rc = app->Graph.rcPlot;
  int lanes = 0;
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    const RECT& lane = app->Graph.rcLane[c];
    if (lane.bottom <= lane.top) continue;
    const CurveChannel& ch = app->Channels.Channel[c];
    GraphAxis axis;
    Axis_Init(&axis, AXIS_KIND_LEFT, left, lane.top, rc.left - 1, lane.bottom, ch.dViewMin, ch.dViewMax);
    Axis_LabelWidth(dc, &axis);  // picks the label format
    Axis_Draw(dc, &axis);
    // The separator runs through the gap below every lane but the last.
    if (lane.bottom + GRAPH_LANE_GAP < rc.bottom) {
      HPEN pen = Win_CreatePen(PS_SOLID, 1, RGB(160, 160, 160));
      HGDIOBJ old = Win_SelectObject(dc, pen);
      int y = lane.bottom + (GRAPH_LANE_GAP + 1) / 2;
      WinUtil_DrawLine(dc, left, y, rc.right, y);
      Win_SelectObject(dc, old);
      Win_DeleteObject(pen);
    }
    ++lanes;
  }
  return lanes;
}

namespace {

// Shows the tooltip of client (x, y); hides it where there is none.
void ShowTipAt(AppState* app, int x, int y) {
  GraphTip tip;
  if (!Graph_FormatTip(app, x, y, &tip)) {
    Graph_HideTip(app);
    return;
  }
  const char* lines[GRAPH_TIP_LINES];
  for (int k = 0; k < tip.iLines; ++k) lines[k] = tip.szLine[k];
  app->Graph.iTipShown = Win_ShowTip(app->hwndMain, x, y, lines, tip.crLine, tip.iLines);
}

}  // namespace

void Graph_TrackTip(AppState* app, int x, int y) {
  if (!app) return;
  if (Graph_HitTest(app, x, y, nullptr, nullptr) != GRAPH_PART_PLOT) {
    Graph_HideTip(app);
  } else if (app->Graph.iTipShown) {
    ShowTipAt(app, x, y);
  } else {
    Win_SetTimer(app->hwndMain, GRAPH_TIP_TIMER_ID, GRAPH_TIP_DELAY_MS, nullptr);
  }
}

void Graph_OnTipTimer(AppState* app) {
  if (!app) return;
  Win_KillTimer(app->hwndMain, GRAPH_TIP_TIMER_ID);
  ShowTipAt(app, app->Graph.ptPointer.x, app->Graph.ptPointer.y);
}

void Graph_HideTip(AppState* app) {
  if (!app) return;
  Win_KillTimer(app->hwndMain, GRAPH_TIP_TIMER_ID);
  if (app->Graph.iTipShown) Win_HideTip();
  app->Graph.iTipShown = 0;
}
