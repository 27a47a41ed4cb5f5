// The process the crash-recovery test kills: it loads a file, then changes
// it through the edit history as the editor's commands do (strokes, crops,
// presets, undos, redos), each change staying on screen either briefly or
// for several journal delays, and runs the journal's timer in between.
// After each change it prints "<monotonic ms> <state digest>"; the parent
// kills it with SIGKILL at a random moment.
//
//   history_crash_child STATE_DIR DATA_FILE SEED DELAY_MS
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <random>

#include "curve/lowpass.h"
#include "formats/curve_file.h"
#include "graph/graph_hit.h"
#include "tests/shell/history_state.h"

namespace {

long long MonotonicMs() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return ts.tv_sec * 1000LL + ts.tv_nsec / 1000000;
}

void SleepMs(int ms) {
  timespec ts{ms / 1000, (ms % 1000) * 1000000L};
  nanosleep(&ts, nullptr);
}

void Report(const AppState& app) {
  std::printf("%lld %llu\n", MonotonicMs(), HistoryState_Digest(app));
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) return 2;
  static AppState app;
  AppState_InitDefaults(&app);
  ChannelSet_Init(&app.Channels, 4096);
  AppState_CopyText(app.szDataFile, argv[2]);
  if (LoadCurveFile(&app.Channels, &app.SpectrumHeader, argv[2], 0) != 0) return 3;
  std::mt19937 rng(static_cast<unsigned>(std::atoi(argv[3])));
  Journal_DelayMs = std::atoi(argv[4]);
  History_Init(&app, 64LL << 20);
  Journal_Setup(&app, argv[1]);
  Report(app);
  for (;;) {
    int n = app.Channels.Channel[0].iNrOfSamples;
    int what = static_cast<int>(rng() % 6), changed = 0;
    if (what == 0 && n > 20) {  // a stroke over a few samples
      History_Begin(&app, "point edit");
      int at = static_cast<int>(rng() % static_cast<unsigned>(n - 10));
      for (int k = 0; k < 3; ++k) Graph_StoreRun(&app, 0, at + 2 * k, at + 2 * k + 3, (rng() % 1000) / 7.0);
      changed = History_End(&app) != 0;
    } else if (what == 1 && n > 20) {
      History_Begin(&app, "crop");
      History_CropChannel(&app, 0, 1 + static_cast<int>(rng() % 5), n - 2 - static_cast<int>(rng() % 5));
      changed = History_End(&app) != 0;
    } else if (what == 2) {
      History_Begin(&app, "low pass");
      History_KeepChannel(&app, 0);
      Channel_LowPass(&app.Channels.Channel[0], &app.Channels.Channel[0], 0, 0, (1 + rng() % 9) / 10.0, 0.1);
      changed = History_End(&app) != 0;
    } else if (what == 3 || what == 4) {
      changed = History_Undo(&app, nullptr, 0, nullptr);
    } else {
      changed = History_Redo(&app, nullptr, 0, nullptr);
    }
    if (!changed) continue;
    Report(app);
    // Briefly on screen, or for several delays; the editor's timer runs meanwhile.
    int stay = rng() % 2 ? 2 : 3 * Journal_DelayMs;
    for (long long until = MonotonicMs() + stay; MonotonicMs() < until;) {
      SleepMs(2);
      Journal_Tick(&app);
    }
  }
}
