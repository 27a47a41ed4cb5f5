// Wave file speed on a 1,048,576-sample stereo pair: load and 16-bit save.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "curve/channel.h"
#include "formats/wave_file.h"

namespace {

constexpr int kSamples = 1048576;

// A stereo channel set and the WAV file written from it, made once.
struct WaveBenchFiles {
  ChannelSet set;    // two channels of kSamples values
  std::string path;  // the file written from them
  WaveBenchFiles() {
    std::memset(&set, 0, sizeof(set));
    ChannelSet_Init(&set, kSamples);
    for (int c = 0; c < 2; ++c) {
      set.Channel[c].iNrOfSamples = 0;
      for (int i = 0; i < kSamples; ++i) ChannelSet_SetSample(&set, c, i, 0.9 * std::sin(i * 0.001 + c));
      set.Channel[c].dXStep = 1.0 / 44100.0;
    }
    path = "/tmp/plotsmith_bench_" + std::to_string(getpid()) + ".wav";
    WaveFile_Write(path.c_str(), &set, 0, 2);
  }
  ~WaveBenchFiles() {
    std::remove(path.c_str());
    ChannelSet_FreeAll(&set);
  }
};

WaveBenchFiles& Files() {
  static WaveBenchFiles files;
  return files;
}

void BM_WaveFile_LoadStereo16(benchmark::State& state) {
  WaveBenchFiles& f = Files();
  ChannelSet dst;
  std::memset(&dst, 0, sizeof(dst));
  ChannelSet_Init(&dst, kSamples);
  for (auto _ : state) {
    int rc = WaveFile_Read(f.path.c_str(), &dst, 0);
    if (rc != 0 || dst.Channel[1].iNrOfSamples != kSamples) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(dst.Channel[0].pdSamples[kSamples - 1]);
  }
  state.SetItemsProcessed(state.iterations() * 2LL * kSamples);
  ChannelSet_FreeAll(&dst);
}
BENCHMARK(BM_WaveFile_LoadStereo16)->Unit(benchmark::kMillisecond);

void BM_WaveFile_SaveStereo16(benchmark::State& state) {
  WaveBenchFiles& f = Files();
  std::string out = f.path + ".out.wav";
  for (auto _ : state) {
    if (WaveFile_Write(out.c_str(), &f.set, 0, 2) != 0) state.SkipWithError("save failed");
  }
  state.SetItemsProcessed(state.iterations() * 2LL * kSamples);
  std::remove(out.c_str());
}
BENCHMARK(BM_WaveFile_SaveStereo16)->Unit(benchmark::kMillisecond);

}  // namespace
