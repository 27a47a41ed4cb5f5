// Markers, the readout of every channel, value zoom, lanes and sample marks:
// arithmetic on the application record that the window-bound handlers in
// graph_measure.cpp and the paint show.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "curve/safe_int.h"
#include "graph/graph_hit.h"
#include "graph/graph_measure.h"
#include "shell/app_state.h"

namespace {

// Appends printf output to text (size bytes), cut to fit.
template <typename... Args>
void Append(char* text, int size, const char* format, Args... args) {
  size_t used = std::strlen(text);
  if (used + 1 < static_cast<size_t>(size)) std::snprintf(text + used, static_cast<size_t>(size) - used, format, args...);
}

// 1 when channel c is in use, visible and holds samples.
bool Shown(const AppState* app, int c) {
  const CurveChannel& ch = app->Channels.Channel[c];
  return c < app->Channels.iChannelsInUse && ch.iVisible && ch.iNrOfSamples > 0;
}

}  // namespace

int Graph_NearestIndex(const AppState* app, int c, double x) {
  if (!app || !Channel_IsIndex(c)) return -1;
  const CurveChannel& ch = app->Channels.Channel[c];
  int n = ch.iNrOfSamples < ch.iAllocated ? ch.iNrOfSamples : ch.iAllocated;
  if (n <= 0 || !ch.pdSamples || !(ch.dXStep > 0.0) || x != x) return -1;
  double r = std::floor((x - ch.dXOrigin) / ch.dXStep + 0.5);
  if (!(r > 0.0)) return 0;
  return r >= n - 1 ? n - 1 : Double_ToInt(r);
}

void Graph_SetMarkerX(AppState* app, int m, double x) {
  if (!app || (m != GRAPH_MARKER_A && m != GRAPH_MARKER_B) || x != x) return;
  app->Graph.dMarkerX[m] = x;
  app->Graph.iMarkers |= 1 << m;
  app->Graph.iViewChanged = 1;
}

int Graph_ClearMarkers(AppState* app) {
  if (!app || !app->Graph.iMarkers) return 0;
  app->Graph.iMarkers = 0;
  app->Graph.iViewChanged = 1;
  return 1;
}

int Graph_FormatMarkers(const AppState* app, char* text, int size) {
  if (!text || size <= 0) return 0;
  text[0] = 0;
  if (!app || app->Graph.iMarkers != 3) return 0;
  double xa = app->Graph.dMarkerX[GRAPH_MARKER_A], xb = app->Graph.dMarkerX[GRAPH_MARKER_B];
  double dx = xb - xa;
  Append(text, size, "\xce\x94x:%lg, 1/\xce\x94x:%lg", dx, 1.0 / dx);
  int a = Graph_ActiveChannel(app);
  int ia = Graph_NearestIndex(app, a, xa), ib = Graph_NearestIndex(app, a, xb);
  if (ia >= 0 && ib >= 0) {
    const double* s = app->Channels.Channel[a].pdSamples;
    Append(text, size, ", \xce\x94y%d:%lg", a + 1, s[ib] - s[ia]);
  }
  return 1;
}

int Graph_FormatTip(AppState* app, int x, int y, GraphTip* tip) {
  if (!tip) return 0;
  tip->iLines = 0;
  if (!app || Graph_HitTest(app, x, y, nullptr, nullptr) != GRAPH_PART_PLOT) return 0;
  double xv = Graph_PixelToX(app, 0, x);
  std::snprintf(tip->szLine[0], GRAPH_TIP_LINE_LEN, "x: %lg", xv);
  tip->crLine[0] = RGB(0, 0, 0);
  tip->iLines = 1;
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    if (!Shown(app, c)) continue;
    int i = Graph_NearestIndex(app, c, xv);
    if (i < 0) continue;
    const CurveChannel& ch = app->Channels.Channel[c];
    std::snprintf(tip->szLine[tip->iLines], GRAPH_TIP_LINE_LEN, "%.60s: %lg  [%d]", ch.szName, ch.pdSamples[i], i);
    tip->crLine[tip->iLines] = GRAPH_CHANNEL_COLORS[c];
    ++tip->iLines;
  }
  return tip->iLines;
}

int Graph_ZoomYRange(const AppState* app, int c, double anchor, double factor, double* y0, double* y1) {
  if (!app || !(factor > 0.0) || !std::isfinite(anchor)) return 0;
  double lo = 0.0, hi = 0.0;
  Graph_GetViewY(app, c, &lo, &hi);
  if (!(hi > lo) || !std::isfinite(hi - lo)) return 0;
  double a = anchor - (anchor - lo) * factor, b = anchor + (hi - anchor) * factor;
  // Keep a span that the mappings can still divide by.
  if (!(b - a > 1e-12 * (std::fabs(a) + std::fabs(b))) || !std::isfinite(b - a)) return 0;
  if (y0) *y0 = a;
  if (y1) *y1 = b;
  return 1;
}

int Graph_FitYRange(const AppState* app, int c, double* y0, double* y1) {
  if (!app || !Channel_IsIndex(c)) return 0;
  const CurveChannel& ch = app->Channels.Channel[c];
  int n = ch.iNrOfSamples < ch.iAllocated ? ch.iNrOfSamples : ch.iAllocated;
  if (n <= 0 || !ch.pdSamples || !(ch.dXStep > 0.0)) return 0;
  // Samples from the one at the view's start to the one at its end.
  double f0 = std::floor((app->Channels.dXViewMin - ch.dXOrigin) / ch.dXStep);
  double f1 = std::ceil((app->Channels.dXViewMax - ch.dXOrigin) / ch.dXStep);
  if (!(f0 <= n - 1) || !(f1 >= 0.0)) return 0;
  int i0 = f0 < 0.0 ? 0 : Double_ToInt(f0), i1 = f1 > n - 1 ? n - 1 : Double_ToInt(f1);
  double lo = INFINITY, hi = -INFINITY;
  for (int i = i0; i <= i1; ++i) {
    double v = ch.pdSamples[i];
    if (!std::isfinite(v)) continue;
    if (v < lo) lo = v;
    if (v > hi) hi = v;
  }
  if (lo > hi) return 0;
  double m = (hi - lo) * GRAPH_FIT_MARGIN;
  if (!(hi > lo)) m = 1.0;  // a constant: v - 1 .. v + 1, as auto-scaling gives it
  if (y0) *y0 = lo - m;
  if (y1) *y1 = hi + m;
  return 1;
}

int Graph_LayoutLanes(AppState* app) {
  if (!app) return 0;
  Graph& g = app->Graph;
  std::memset(g.rcLane, 0, sizeof g.rcLane);
  if (!g.iStacked) return 0;
  int lanes = 0;
  for (int c = 0; c < MAX_CHANNELS; ++c) lanes += Shown(app, c) ? 1 : 0;
  if (lanes == 0) return 0;
  long long top = g.rcPlot.top, h = static_cast<long long>(g.rcPlot.bottom) - top;
  int k = 0;
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    if (!Shown(app, c)) continue;
    int t = Int64_ToInt(top + h * k / lanes), b = Int64_ToInt(top + h * (k + 1) / lanes);
    // The gap goes off the bottom of every lane but the last.
    if (k + 1 < lanes) b -= GRAPH_LANE_GAP;
    g.rcLane[c] = RECT{g.rcPlot.left, t, g.rcPlot.right, b > t ? b : t};
    ++k;
  }
  return lanes;
}

RECT Graph_ValueRect(const AppState* app, int c) {
  if (!app) return RECT{};
  if (app->Graph.iStacked && Channel_IsIndex(c)) {
    const RECT& r = app->Graph.rcLane[c];
    if (r.bottom > r.top) return r;
  }
  return app->Graph.rcPlot;
}

int Graph_LaneAt(const AppState* app, int y) {
  if (!app || !app->Graph.iStacked) return -1;
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    const RECT& r = app->Graph.rcLane[c];
    if (r.bottom > r.top && y >= r.top && y <= r.bottom) return c;
  }
  return -1;
}

int Graph_MarksSamples(const AppState* app, int c) {
  if (!app || !Channel_IsIndex(c)) return 0;
  const CurveChannel& ch = app->Channels.Channel[c];
  double width = static_cast<double>(app->Graph.rcPlot.right) - app->Graph.rcPlot.left;
  if (!(ch.dXStep > 0.0) || ch.iNrOfSamples <= 0 || width <= 0) return 0;
  double inView = (app->Channels.dXViewMax - app->Channels.dXViewMin) / ch.dXStep;
  return inView < width / GRAPH_SAMPLE_MARK_SPACING ? 1 : 0;
}
