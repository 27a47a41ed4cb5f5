// The crash journal on long channels: the snapshot written at the first
// change after a load (what that change costs on top of its own work), the
// first commit that flushes it to disk, and the start-up that finds and
// rebuilds a journal holding that snapshot and one small step.  The samples
// are 16-bit sines as a recording gives them (so runs of equal values near
// the peaks break the snapshot into many pieces).  Arguments: channels,
// samples per channel.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "shell/app_state.h"

namespace {

// The state of a recording of the given shape, made once per shape.
AppState* Recording(int channels, int n) {
  static AppState app;
  static int s_channels = 0, s_n = 0;
  if (s_channels == channels && s_n == n) return &app;
  ChannelSet_FreeAll(&app.Channels);
  AppState_InitDefaults(&app);
  ChannelSet_Init(&app.Channels, 16384);
  for (int c = 0; c < channels; ++c) {
    Channel_Reserve(&app.Channels.Channel[c], n);
    const double f = 440.0 * (c + 2) / 2;
    double block[4096];
    for (int i = 0; i < n; i += 4096) {
      int k = n - i < 4096 ? n - i : 4096;
      for (int m = 0; m < k; ++m) block[m] = std::round(std::sin(6.283185307179586 * f * (i + m) / 48000) * 32767) / 32768;
      ChannelSet_SetSamples(&app.Channels, c, i, block, k);
    }
  }
  History_Init(&app, 1LL << 30);
  s_channels = channels;
  s_n = n;
  return &app;
}

std::string TempDir() {
  char tmpl[] = "/tmp/psj_bench_XXXXXX";
  return mkdtemp(tmpl) ? tmpl : "/tmp";
}

// Copies a file byte for byte (the journal a crashed run would leave).
int CopyFile(const char* from, const char* to) {
  int in = open(from, O_RDONLY), out = open(to, O_WRONLY | O_CREAT | O_TRUNC, 0600);
  static char buf[1 << 20];
  ssize_t got = 0;
  int ok = in >= 0 && out >= 0;
  while (ok && (got = read(in, buf, sizeof buf)) > 0) ok = write(out, buf, static_cast<size_t>(got)) == got;
  if (in >= 0) close(in);
  if (out >= 0) close(out);
  return ok && got == 0;
}

// The first change after a load: the journal opens with the snapshot.
void BM_Journal_FirstChange(benchmark::State& state) {
  AppState* app = Recording(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  std::string dir = TempDir();
  for (auto _ : state) {
    Journal_Setup(app, dir.c_str());
    Journal_BeforeChange(app);
    state.PauseTiming();
    if (!app->Journal.iFd) state.SkipWithError("the journal did not open");
    Journal_Discard(app);
    state.ResumeTiming();
  }
  Journal_Setup(app, nullptr);
  rmdir(dir.c_str());
}

// The first commit: the snapshot goes to disk before the head names it.
void BM_Journal_FirstCommit(benchmark::State& state) {
  AppState* app = Recording(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  std::string dir = TempDir();
  for (auto _ : state) {
    state.PauseTiming();
    Journal_Setup(app, dir.c_str());
    Journal_BeforeChange(app);
    state.ResumeTiming();
    if (!Journal_Flush(app)) state.SkipWithError("the commit failed");
    state.PauseTiming();
    Journal_Discard(app);
    state.ResumeTiming();
  }
  Journal_Setup(app, nullptr);
  rmdir(dir.c_str());
}

// A start-up after a crash: the journal is found, checked and rebuilt aside.
void BM_Journal_FindAndRebuild(benchmark::State& state) {
  AppState* app = Recording(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  std::string dir = TempDir(), left = TempDir();
  Journal_Setup(app, dir.c_str());
  History_Begin(app, "point edit");
  History_Touch(app, 0, 100, 109);
  for (int i = 100; i < 110; ++i) ChannelSet_SetSample(&app->Channels, 0, i, 0.5);
  History_End(app);
  Journal_Flush(app);
  std::string copy = left + "/journal-1.psj";
  for (auto _ : state) {
    state.PauseTiming();
    if (!CopyFile(app->Journal.szPath, copy.c_str())) state.SkipWithError("cannot copy the journal");
    state.ResumeTiming();
    JournalFound found{};
    if (!Journal_FindOrphan(left.c_str(), &found) || found.iDamaged) state.SkipWithError("the journal was refused");
    Journal_CloseFound(&found);
  }
  History_Undo(app, nullptr, 0, nullptr);
  History_Init(app, 1LL << 30);
  Journal_Setup(app, nullptr);
  rmdir(dir.c_str());
  rmdir(left.c_str());
}

}  // namespace

// 2^24 samples in one channel; ten minutes of 48 kHz stereo.
BENCHMARK(BM_Journal_FirstChange)->Args({1, 1 << 24})->Args({2, 28800000})->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Journal_FirstCommit)->Args({1, 1 << 24})->Args({2, 28800000})->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Journal_FindAndRebuild)->Args({1, 1 << 24})->Args({2, 28800000})->Iterations(3)->Unit(benchmark::kMillisecond);
