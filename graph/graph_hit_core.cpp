// Hit test, selections, readouts and the view arithmetic of the mouse and
// scroll handlers: plain computations on the application record, so that the
// window-bound handlers in graph_mouse.cpp stay thin and all of this can be
// tested without a window.
#include <cmath>
#include <cstdio>
#include <cstring>

#include "graph/graph_hit.h"
#include "shell/app_state.h"

namespace {

// Texts of the hit-test parts, indexed by part code.
constexpr const char* PART_NAMES[] = {"", "Left Axis", "Right Axis", "Legend", "X-Axis", "Graph"};

void CopyText(char* text, int size, const char* src) {
  if (text && size > 0) std::snprintf(text, static_cast<size_t>(size), "%s", src);
}

// Positions a scroll bar can take beyond its first, in double so that no
// range of ints overflows.
double ScrollSteps(const GraphScrollState* state) {
  double page = static_cast<double>(state->iPage) - 1;
  return static_cast<double>(state->iMax) - (page > 0 ? page : 0) - state->iMin;
}

// Places a range of width w that starts at left inside lo .. hi: it starts
// no earlier than lo (also when left is not a number) and, where it would end
// past hi, ends at hi with its start again no earlier than lo; so a range
// wider than lo .. hi becomes lo .. hi.
void FitRange(double left, double w, double lo, double hi, double* x0, double* x1) {
  if (!(left >= lo)) left = lo;
  double right = left + w;
  if (right > hi) {
    right = hi;
    left = right - w;
    if (!(left >= lo)) left = lo;
  }
  if (x0) *x0 = left;
  if (x1) *x1 = right;
}

}  // namespace

int Graph_ActiveChannel(const AppState* app) {
  int a = app ? app->Graph.iActiveChannel : 0;
  return Channel_IsIndex(a) ? a : 0;
}

int Graph_HitTest(AppState* app, int x, int y, char* text, int* channel) {
  if (channel) *channel = -1;
  if (!app) {
    CopyText(text, GRAPH_HIT_TEXT_LEN, "");
    return 0;
  }
  const RECT& rc = app->Graph.rcPlot;
  int part = GRAPH_PART_PLOT;
  if (x < rc.left) part = GRAPH_PART_LEFT_AXIS;
  else if (x > rc.right) part = GRAPH_PART_RIGHT_AXIS;
  else if (y < rc.top) part = GRAPH_PART_LEGEND;
  else if (y > rc.bottom) part = GRAPH_PART_X_AXIS;
  CopyText(text, GRAPH_HIT_TEXT_LEN, PART_NAMES[part]);
  if (part != GRAPH_PART_LEGEND) return part;
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    if (!PointInRect(x, y, &app->Graph.rcLegend[c])) continue;
    if (channel) *channel = c;
    if (text) {
      // "Legend:" and the channel name, cut to the buffer.
      size_t used = std::strlen(text);
      std::snprintf(text + used, GRAPH_HIT_TEXT_LEN - used, ":%s", app->Channels.Channel[c].szName);
    }
    break;
  }
  return part;
}

int Graph_SelectionAt(AppState* app, int x, int y) {
  if (!app) return -1;
  for (int s = 0; s < GRAPH_MAX_SELECTIONS; ++s) {
    const GraphSelection& sel = app->Graph.Selection[s];
    if (!sel.iVisible) continue;
    RECT r = Graph_SelectionRect(app, &sel);
    if (PointInRect(x, y, &r)) return s;
  }
  return -1;
}

RECT Graph_SelectionRect(const AppState* app, const GraphSelection* s) {
  if (!app || !s) return RECT{};
  // Stacked, a selection spans every lane: its x range is what they share.
  if (app->Graph.iStacked)
    return RECT{Graph_XToPixel(app, s->iChannel, s->dX1), app->Graph.rcPlot.top,
                Graph_XToPixel(app, s->iChannel, s->dX2), app->Graph.rcPlot.bottom};
  return RECT{Graph_XToPixel(app, s->iChannel, s->dX1), Graph_YToPixel(app, s->iChannel, s->dY2),
              Graph_XToPixel(app, s->iChannel, s->dX2), Graph_YToPixel(app, s->iChannel, s->dY1)};
}

void Graph_SetSelection(AppState* app, int s, double x1, double x2, double y1, double y2) {
  if (!app || s < 0 || s >= GRAPH_MAX_SELECTIONS) return;
  GraphSelection& sel = app->Graph.Selection[s];
  sel.dX1 = x1 > x2 ? x2 : x1;
  sel.dX2 = x1 > x2 ? x1 : x2;
  sel.dY1 = y1 > y2 ? y2 : y1;
  sel.dY2 = y1 > y2 ? y1 : y2;
  app->Graph.iViewChanged = 1;
}

int Graph_PointAt(AppState* app, int x, int y, int* channel, int* index, double* value) {
  if (!app || !PointInRect(x, y, &app->Graph.rcPlot)) return 0;
  int c = (channel && *channel >= 0 && *channel < MAX_CHANNELS) ? *channel : 0;
  double xv = Graph_PixelToX(app, c, x);
  if (channel) *channel = c;
  if (index) *index = Graph_XToIndex(app, c, xv);
  if (value) *value = Graph_PixelToY(app, c, y);
  return 1;
}

int Graph_FormatCursorInfo(AppState* app, int x, int y, char* text, int size) {
  if (!text || size <= 0) return 0;
  char name[GRAPH_HIT_TEXT_LEN];
  int part = Graph_HitTest(app, x, y, name, nullptr);
  if (part != GRAPH_PART_PLOT) {
    CopyText(text, size, name);
    return part;
  }
  CopyText(text, size, "Invalid Scaling");
  int n = app->Channels.iChannelsInUse < 2 ? app->Channels.iChannelsInUse : 2;
  for (int i = 0; i < n; ++i) {
    const CurveChannel& ch = app->Channels.Channel[i];
    if (ch.iNrOfSamples < 2) continue;
    double xv = Graph_PixelToX(app, i, x);
    int j = Graph_XToIndex(app, i, xv);
    // Only existing samples are read: the index just past the last one has none.
    if (!ch.pdSamples || j < 0 || j >= ch.iNrOfSamples || j >= ch.iAllocated) continue;
    if (i == 0) std::snprintf(text, static_cast<size_t>(size), "X:%lg", xv);
    size_t used = std::strlen(text);
    std::snprintf(text + used, static_cast<size_t>(size) - used, ", Y%d:%lg, i:%d", i + 1, ch.pdSamples[j], j);
  }
  return part;
}

void Graph_FormatMode(int mode, char* text, int size) {
  if (!text || size <= 0) return;
  if (mode == EDIT_MODE_SELECT) CopyText(text, size, "Select");
  else if (mode == EDIT_MODE_POINTS) CopyText(text, size, "Edit Points");
  else std::snprintf(text, static_cast<size_t>(size), "mode%d??", mode);
}

void Graph_XExtent(const AppState* app, double* lo, double* hi) {
  double xlo = 1e100, xhi = -1e100;
  for (int c = 0; app && c < MAX_CHANNELS; ++c) {
    const CurveChannel& ch = app->Channels.Channel[c];
    if (ch.iNrOfSamples <= 0) continue;
    double end = ch.dXOrigin + ch.iNrOfSamples * ch.dXStep;
    if (ch.dXOrigin < xlo) xlo = ch.dXOrigin;
    if (end > xhi) xhi = end;
  }
  if (xlo > xhi) {
    xlo = 0.0;
    xhi = 100.0;
  }
  if (lo) *lo = xlo;
  if (hi) *hi = xhi;
}

int Graph_ZoomXRange(const AppState* app, double anchor, double factor, double* x0, double* x1) {
  if (!app || !(factor > 0.0)) return 0;
  double lo = app->Channels.dXViewMin, hi = app->Channels.dXViewMax;
  double elo = 0.0, ehi = 0.0;
  Graph_XExtent(app, &elo, &ehi);
  double extent = ehi - elo, width = (hi - lo) * factor;
  if (!(hi > lo) || !(extent > 0.0) || !std::isfinite(anchor)) return 0;
  if (factor < 1.0 && !(width >= extent * GRAPH_MIN_ZOOM_WIDTH)) return 0;
  double a = elo, b = ehi;  // a view at least as wide as the extent shows all of it
  // Otherwise the anchor keeps its place, as far as the extent allows.
  if (width < extent) FitRange(anchor - (anchor - lo) * factor, width, elo, ehi, &a, &b);
  if (x0) *x0 = a;
  if (x1) *x1 = b;
  return 1;
}

int Graph_HScrollRange(const AppState* app, const GraphScrollState* state, double* x0, double* x1) {
  if (!app || !state) return 0;
  int a = app->Graph.iActiveChannel;
  if (a < 0 || a >= MAX_CHANNELS) return 0;
  double vis = app->Channels.dXViewMax - app->Channels.dXViewMin;
  if (!(vis > 0.0) || state->iMax <= state->iMin) return 0;
  const CurveChannel& ch = app->Channels.Channel[a];
  double start = ch.dXOrigin, end = ch.dXOrigin + ch.iNrOfSamples * ch.dXStep;
  double steps = ScrollSteps(state);
  double a0 = start;
  if (steps > 0) a0 = start + (end - start - vis) * (static_cast<double>(state->iPos) - state->iMin) / steps;
  FitRange(a0, vis, start, end, x0, x1);
  return 1;
}

int Graph_ScrollXRange(const AppState* app, double f, double* x0, double* x1) {
  if (!app) return 0;
  const ChannelSet& set = app->Channels;
  const CurveChannel& ch = set.Channel[Graph_ActiveChannel(app)];
  double w = std::fabs(set.dXViewMax - set.dXViewMin);
  FitRange(set.dXViewMin + f * w, w, ch.dXOrigin, ch.dXOrigin + ch.iNrOfSamples * ch.dXStep, x0, x1);
  return 1;
}

int Graph_VScrollRange(const AppState* app, const GraphScrollState* state, double* y0, double* y1) {
  if (!app || !state) return 0;
  int a = Graph_ActiveChannel(app);
  double dlo = 0.0, dhi = 0.0, vlo = 0.0, vhi = 0.0;
  Graph_GetDataY(app, a, &dlo, &dhi);
  Graph_GetViewY(app, a, &vlo, &vhi);
  double vis = vhi - vlo;
  if (!(vis > 0.0)) vis = (dhi - dlo) * 0.5;
  if (!(vis > 0.0) || state->iMax <= state->iMin || !(dhi > dlo)) return 0;
  double steps = ScrollSteps(state);
  double dataMax = app->Channels.Channel[a].dDataMax;
  double top = dataMax;
  if (steps > 0) top = dataMax - (dhi - dlo - vis) * (static_cast<double>(state->iPos) - state->iMin) / steps;
  if (top > dataMax) top = dataMax;
  double bottom = top - vis;
  if (bottom < dlo) {
    bottom = dlo;
    top = bottom + vis;
    if (top > dhi) top = dhi;
  }
  if (y0) *y0 = bottom;
  if (y1) *y1 = top;
  return 1;
}

int Graph_EditIndex(const AppState* app, int c, int i) {
  if (!app || c < 0 || c >= MAX_CHANNELS) return -1;
  return (i >= 0 && i < app->Channels.Channel[c].iNrOfSamples) ? i : -1;
}

int Graph_StoreRun(AppState* app, int c, int from, int to, double v) {
  if (!app || c < 0 || c >= MAX_CHANNELS) return 0;
  int stored = 0, step = from <= to ? 1 : -1;
  History_Touch(app, c, from, to);  // the open step keeps what is about to be overwritten
  for (int i = from;; i += step) {
    if (Graph_EditIndex(app, c, i) >= 0 && ChannelSet_SetSample(&app->Channels, c, i, v)) ++stored;
    if (i == to) break;
  }
  if (stored) {
    app->Graph.iViewChanged = 1;
    app->iModified = 1;
  }
  return stored;
}
