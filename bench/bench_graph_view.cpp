// Graph_SetView with unchanged ranges: must cost only the scroll bar queries.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "graph/graph.h"
#include "shell/app_state.h"
#include "winutil/winapi.h"

static LRESULT BenchWndProc(HWND h, UINT m, WPARAM w, LPARAM l) { return Win_DefWindowProc(h, m, w, l); }

static void BM_Graph_SetViewUnchanged(benchmark::State& state) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  HINSTANCE inst = Win_Init(nullptr, nullptr);
  WNDCLASSA wc{};
  wc.lpfnWndProc = BenchWndProc;
  wc.lpszClassName = "BenchGraph";
  Win_RegisterClass(&wc);
  static AppState app;
  AppState_InitDefaults(&app);
  ChannelSet_Init(&app.Channels, 16384);
  for (int i = 0; i < 1000; ++i) ChannelSet_SetSample(&app.Channels, 0, i, i % 7);
  app.hwndMain = Win_CreateWindow(0, "BenchGraph", "bench", WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL,
                                  0, 0, 400, 300, nullptr, nullptr, inst, nullptr);
  Graph_SetView(&app, 0, 250.0, 500.0, 1.0, 5.0);
  for (auto _ : state) {
    for (int k = 0; k < 1000000; ++k) Graph_SetView(&app, 0, 250.0, 500.0, 1.0, 5.0);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * 1000000);
  Win_DestroyWindow(app.hwndMain);
  ChannelSet_FreeAll(&app.Channels);
}
BENCHMARK(BM_Graph_SetViewUnchanged)->Unit(benchmark::kMillisecond);
