// The edit history around a preset filter of a whole long channel: the step
// (keeping the old samples, the filter, ending the step) and an undo with its
// redo, which swap the step's values with the channel's.  The counter
// history_MB is what the history holds after the step: one copy of the
// channel.  Argument: samples (28,800,000 is ten minutes at 48 kHz).
#include <benchmark/benchmark.h>

#include <cmath>

#include "curve/lowpass.h"
#include "shell/app_state.h"

namespace {

// One channel of a 16-bit sine of n samples, with an empty history.
AppState* Recording(int n) {
  static AppState app;
  static int s_n = 0;
  if (s_n != n) {
    ChannelSet_FreeAll(&app.Channels);
    AppState_InitDefaults(&app);
    ChannelSet_Init(&app.Channels, 16384);
    Channel_Reserve(&app.Channels.Channel[0], n);
    double block[4096];
    for (int i = 0; i < n; i += 4096) {
      int k = n - i < 4096 ? n - i : 4096;
      for (int m = 0; m < k; ++m) block[m] = std::round(std::sin(6.283185307179586 * 440 * (i + m) / 48000) * 32767) / 32768;
      ChannelSet_SetSamples(&app.Channels, 0, i, block, k);
    }
    s_n = n;
  }
  History_Init(&app, 1LL << 31);
  return &app;
}

// A step as the low-pass preset makes it; the step is taken back unmeasured.
void BM_History_PresetStep(benchmark::State& state) {
  AppState* app = Recording(static_cast<int>(state.range(0)));
  CurveChannel* ch = &app->Channels.Channel[0];
  for (auto _ : state) {
    History_Begin(app, "low pass 0.01");
    History_KeepChannel(app, 0);
    if (Channel_LowPass(ch, ch, 0, 0, 0.01, 0.1) != 1) state.SkipWithError("the filter failed");
    History_End(app);
    state.PauseTiming();
    state.counters["history_MB"] = static_cast<double>(app->History.llBytes) / 1e6;
    History_Undo(app, nullptr, 0, nullptr);
    History_Init(app, app->History.llBudget);
    state.ResumeTiming();
  }
}

// An undo and a redo of that step.
void BM_History_UndoRedo(benchmark::State& state) {
  AppState* app = Recording(static_cast<int>(state.range(0)));
  CurveChannel* ch = &app->Channels.Channel[0];
  History_Begin(app, "low pass 0.01");
  History_KeepChannel(app, 0);
  Channel_LowPass(ch, ch, 0, 0, 0.01, 0.1);
  History_End(app);
  for (auto _ : state) {
    if (History_Undo(app, nullptr, 0, nullptr) != 1 || History_Redo(app, nullptr, 0, nullptr) != 1)
      state.SkipWithError("the undo or redo was refused");
  }
  state.counters["history_MB"] = static_cast<double>(app->History.llBytes) / 1e6;
  History_Undo(app, nullptr, 0, nullptr);
  History_Init(app, app->History.llBudget);
}

}  // namespace

BENCHMARK(BM_History_PresetStep)->Arg(1 << 20)->Arg(28800000)->Iterations(2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_History_UndoRedo)->Arg(1 << 20)->Arg(28800000)->Iterations(3)->Unit(benchmark::kMillisecond);
