// The paint of a full diagram against one plain pass over the same samples:
// eight visible channels of 65,536, 1,048,576 and 67,108,864 samples, drawn
// with Graph_Draw into a 1190 x 800 memory canvas with all of them in view,
// one tenth and one thousandth (the middle of the channels).  BM_PaintWalk
// times the curve walk of the same views alone, the part of the paint that
// reads samples and summaries; the rest is drawing.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "graph/curve_walk.h"
#include "graph/graph.h"
#include "shell/app_state.h"
#include "winutil/winapi.h"

namespace {

// The record with eight visible channels of n noisy sine samples, auto-scaled.
// The last record is kept for the next call with the same n.
AppState* PaintRecord(int n) {
  static AppState app;
  static int made = 0;
  if (made == n) return &app;
  if (made) ChannelSet_FreeAll(&app.Channels);
  made = n;
  AppState_InitDefaults(&app);
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    CurveChannel& ch = app.Channels.Channel[c];
    Channel_Init(&ch, n);
    unsigned seed = 12345u + c;
    for (int i = 0; i < n; ++i) {
      seed = seed * 1664525u + 1013904223u;
      ch.pdSamples[i] = std::sin(i * 0.0007 * (c + 1)) + (seed >> 8) * (0.2 / 16777216.0);
    }
    Channel_SetCount(&ch, n);  // summarises the samples written above
    ch.iVisible = 1;
  }
  app.Channels.iChannelsInUse = MAX_CHANNELS;
  Graph_AutoScale(&app);
  return &app;
}

// A 1190 x 800 memory canvas over the record of n samples (range 0) with the
// middle 1/viewdiv (range 1) in view.
struct PaintView {
  AppState* app;   // the record drawn
  HDC dc;          // the memory canvas
  HBITMAP bmp;     // its image
  HGDIOBJ old;     // the image the canvas had before
};

void PaintView_Open(const benchmark::State& state, PaintView* v) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Win_Init(nullptr, nullptr);
  AppState* app = PaintRecord(static_cast<int>(state.range(0)));
  const double mid = (app->Channels.dXViewMin + app->Channels.dXViewMax) / 2;
  const double half = (app->Channels.dXViewMax - app->Channels.dXViewMin) / 2 / static_cast<double>(state.range(1));
  app->Channels.dXViewMin = mid - half;
  app->Channels.dXViewMax = mid + half;
  v->app = app;
  v->dc = Win_CreateCompatibleDC(nullptr);
  v->bmp = Win_CreateCompatibleBitmap(v->dc, 1190, 800);
  v->old = Win_SelectObject(v->dc, v->bmp);
}

// Frees the canvas and gives the record its full view back.
void PaintView_Close(PaintView* v) {
  Win_SelectObject(v->dc, v->old);
  Win_DeleteObject(v->bmp);
  Win_DeleteDC(v->dc);
  Graph_AutoScale(v->app);
}

void BM_Paint(benchmark::State& state) {
  PaintView view;
  PaintView_Open(state, &view);
  for (auto _ : state) {
    Graph_Draw(view.app, view.dc, 1190, 800);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) / state.range(1) * MAX_CHANNELS);
  PaintView_Close(&view);
}
BENCHMARK(BM_Paint)
    ->ArgsProduct({{65536, 1048576, 67108864}, {1, 10, 1000}})
    ->ArgNames({"n", "viewdiv"})
    ->Unit(benchmark::kMillisecond);

// The curve walk alone (the points of the eight curves, nothing drawn), after
// one paint has laid out the plot: the share of BM_Paint that reads samples.
void BM_PaintWalk(benchmark::State& state) {
  PaintView view;
  PaintView_Open(state, &view);
  Graph_Draw(view.app, view.dc, 1190, 800);
  std::vector<POINT> pts(static_cast<size_t>(CurveWalk_Capacity(view.app)));
  for (auto _ : state) {
    for (int c = 0; c < MAX_CHANNELS; ++c)
      benchmark::DoNotOptimize(CurveWalk_Points(view.app, c, pts.data(), static_cast<int>(pts.size())));
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) / state.range(1) * MAX_CHANNELS);
  PaintView_Close(&view);
}
BENCHMARK(BM_PaintWalk)
    ->ArgsProduct({{1048576, 67108864}, {1, 10, 1000}})
    ->ArgNames({"n", "viewdiv"})
    ->Unit(benchmark::kMillisecond);

// The floor: one pass reading every sample of the eight channels once.
void BM_PaintSumSamples(benchmark::State& state) {
  AppState* app = PaintRecord(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    double sum = 0.0;
    for (const CurveChannel& ch : app->Channels.Channel)
      for (int i = 0; i < ch.iNrOfSamples; ++i) sum += ch.pdSamples[i];
    benchmark::DoNotOptimize(sum);
  }
  state.SetItemsProcessed(state.iterations() * state.range(0) * MAX_CHANNELS);
}
BENCHMARK(BM_PaintSumSamples)->Arg(65536)->Arg(1048576)->Arg(67108864)->Unit(benchmark::kMillisecond);

}  // namespace
