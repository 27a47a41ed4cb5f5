// Coordinate mappings of the diagram: plain arithmetic on the application
// record, no window system involved.
#include "curve/safe_int.h"
#include "graph/graph.h"
#include "graph/graph_map.h"
#include "graph/graph_measure.h"
#include "shell/app_state.h"

namespace {

const CurveChannel* ChannelOf(const AppState* app, int channel) {
  if (!app || channel < 0 || channel >= MAX_CHANNELS) return nullptr;
  return &app->Channels.Channel[channel];
}

}  // namespace

double Graph_ClampFraction(double f) { return GraphMap_Clamp01(f); }

// Stacked, every channel shows its own value range in its lane; otherwise
// channel 0's range scales every curve.
int Graph_ScaleChannelOf(const AppState* app, int channel) {
  return app && app->Graph.iStacked && Channel_IsIndex(channel) ? channel : 0;
}

void Graph_GetViewY(const AppState* app, int channel, double* min, double* max) {
  const CurveChannel* ch = ChannelOf(app, Graph_ScaleChannelOf(app, channel));
  if (!ch) return;
  if (min) *min = ch->dViewMin;
  if (max) *max = ch->dViewMax;
}

void Graph_GetDataY(const AppState* app, int channel, double* min, double* max) {
  const CurveChannel* ch = ChannelOf(app, Graph_ScaleChannelOf(app, channel));
  if (!ch) return;
  if (min) *min = ch->dDataMin;
  if (max) *max = ch->dDataMax;
}

GraphLinearMap Graph_XMap(const AppState* app) {
  const double lo = app->Channels.dXViewMin, hi = app->Channels.dXViewMax;
  const RECT& rc = app->Graph.rcPlot;
  return GraphLinearMap{lo, hi - lo, static_cast<double>(rc.right) - rc.left, rc.left, 1};
}

GraphLinearMap Graph_YMap(const AppState* app, int channel) {
  double lo = 0.0, hi = 0.0;
  Graph_GetViewY(app, channel, &lo, &hi);
  const RECT rc = Graph_ValueRect(app, channel);
  return GraphLinearMap{lo, hi - lo, static_cast<double>(rc.bottom) - rc.top, rc.bottom, -1};
}

int Graph_XToPixel(const AppState* app, int, double x) { return app ? GraphMap_Pixel(Graph_XMap(app), x) : 0; }

int Graph_YToPixel(const AppState* app, int channel, double v) {
  return app ? GraphMap_Pixel(Graph_YMap(app, channel), v) : 0;
}

double Graph_PixelToX(const AppState* app, int, int px) {
  if (!app) return 0.0;
  const RECT& rc = app->Graph.rcPlot;
  double w = static_cast<double>(rc.right) - rc.left;
  if (!(w > 0.0)) return app->Channels.dXViewMin;
  double f = Graph_ClampFraction((px - static_cast<double>(rc.left)) / w);
  return app->Channels.dXViewMin + (app->Channels.dXViewMax - app->Channels.dXViewMin) * f;
}

double Graph_PixelToY(const AppState* app, int channel, int py) {
  if (!app) return 0.0;
  double lo = 0.0, hi = 0.0;
  Graph_GetViewY(app, channel, &lo, &hi);
  const RECT rc = Graph_ValueRect(app, channel);
  double h = static_cast<double>(rc.bottom) - rc.top;
  if (!(h > 0.0)) return lo;
  double f = Graph_ClampFraction((static_cast<double>(rc.bottom) - py) / h);
  return lo + (hi - lo) * f;
}

int Graph_XToIndex(const AppState* app, int channel, double x) {
  const CurveChannel* ch = ChannelOf(app, channel);
  if (!ch || !(ch->dXStep > 0.0)) return -1;
  double r = (x - ch->dXOrigin) / ch->dXStep;
  if (!(r >= 0.0)) return -1;  // negative or not a number
  if (r > ch->iNrOfSamples) return -1;
  return Double_ToInt(r);
}

double Graph_IndexToX(const AppState* app, int channel, int index) {
  const CurveChannel* ch = ChannelOf(app, channel);
  if (!ch) return 0.0;
  return ch->dXOrigin + index * ch->dXStep;
}

void Graph_ClampToPlot(const AppState* app, int* x, int* y) {
  if (!app) return;
  const RECT& rc = app->Graph.rcPlot;
  ClampInt(x, rc.left, rc.right);
  ClampInt(y, rc.top, rc.bottom);
}

int PointInRect(int x, int y, const RECT* r) {
  if (!r) return 0;
  return (x >= r->left && x <= r->right && y >= r->top && y <= r->bottom) ? 1 : 0;
}

int Selection_IsValid(const GraphSelection* s) {
  return (s && s->dX1 < s->dX2 && s->dY1 < s->dY2) ? 1 : 0;
}

int Graph_ScrollPage(double full, double vis) {
  const int span = GRAPH_SCROLL_MAX + 1;
  int page = span;
  if (!(vis >= full) && full > 0.0) page = Double_ToInt(span * vis / full + 0.99);
  ClampInt(&page, 1, span);
  return page;
}

int Graph_ScrollPos(int page, double f) {
  return Double_ToInt((GRAPH_SCROLL_MAX + 1 - page) * Graph_ClampFraction(f) + 0.5);
}
