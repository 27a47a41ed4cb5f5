// Automatic scaling of the view to the data, and repaint requests.
#include "graph/graph_hit.h"
#include "shell/app_state.h"
#include "winutil/winapi.h"

// 1 when the channel's stored samples that are numbers all hold one value,
// written to *value.
static int Graph_ConstantValue(const CurveChannel& ch, double* value) {
  int n = ch.iNrOfSamples < ch.iAllocated ? ch.iNrOfSamples : ch.iAllocated;
  if (!ch.pdSamples) return 0;
  int found = 0;
  for (int i = 0; i < n; ++i) {
    double v = ch.pdSamples[i];
    if (v != v) continue;
    if (found && v != *value) return 0;
    *value = v;
    found = 1;
  }
  return found;
}

void Graph_AutoScale(AppState* app) {
  if (!app) return;
  ChannelSet& set = app->Channels;
  int constant[MAX_CHANNELS] = {};
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    CurveChannel& ch = set.Channel[c];
    if (ch.iNrOfSamples <= 0) continue;
    Channel_UpdateRange(&ch);
    if (ch.dDataMin > ch.dDataMax) {
      ch.dDataMin = 0.0;
      ch.dDataMax = 100.0;
    }
    // A flat channel gets a view of one unit either side of its value, so it
    // is drawn in the middle with ticks; its data range stays as it is.
    double v = 0.0;
    if (Graph_ConstantValue(ch, &v)) {
      ch.dViewMin = v - 1.0;
      ch.dViewMax = v + 1.0;
      constant[c] = 1;
    }
  }
  double xlo = 0.0, xhi = 0.0;
  Graph_XExtent(app, &xlo, &xhi);
  ClampInt(&app->Graph.iActiveChannel, 0, MAX_CHANNELS - 1);
  const int a = app->Graph.iActiveChannel;
  const CurveChannel& act = set.Channel[a];
  if (constant[a]) Graph_SetView(app, a, xlo, xhi, act.dViewMin, act.dViewMax);
  else Graph_SetView(app, a, xlo, xhi, act.dDataMin, act.dDataMax);
}

int Graph_Invalidate(AppState* app, int flags) {
  if (!app || !app->hwndMain) return 0;
  if (flags & 1) Graph_AutoScale(app);
  Win_InvalidateRect(app->hwndMain, nullptr, 0);
  return 1;
}
