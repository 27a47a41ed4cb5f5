// Wave file speed: load and 16-bit save of a 1,048,576-sample stereo pair,
// and the load of ten minutes of 48 kHz stereo (28,800,000 frames, 115 MB)
// into fresh channels (the storage's first touch included), into channels
// that keep their storage from the load before, and as whole processes:
// `plotsmith-cli info` beside a Python user's load (scipy.io.wavfile.read,
// then astype(float64) / 32767; skipped when /usr/bin/python3 lacks scipy).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "bench/bench_process.h"
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

constexpr uint32_t kLongFrames = 48000u * 600u;

// Ten minutes of 16-bit stereo at 48 kHz (two tones), written once.
struct LongWaveFile {
  std::string path;  // the file
  LongWaveFile() {
    path = "/tmp/plotsmith_bench_long_" + std::to_string(getpid()) + ".wav";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    const uint32_t data = kLongFrames * 4u;
    unsigned char h[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 2, 0,
                           0x80, 0xBB, 0, 0, 0, 0xEE, 2, 0, 4, 0, 16, 0, 'd', 'a', 't', 'a'};
    for (int k = 0; k < 4; ++k) h[4 + k] = static_cast<unsigned char>((data + 36) >> (8 * k));
    for (int k = 0; k < 4; ++k) h[40 + k] = static_cast<unsigned char>(data >> (8 * k));
    std::fwrite(h, 1, sizeof h, f);
    static int16_t frames[2 * 48000];
    for (uint32_t s0 = 0; s0 < kLongFrames; s0 += 48000) {
      for (int i = 0; i < 48000; ++i) {
        double t = (s0 + i) / 48000.0;
        frames[2 * i] = static_cast<int16_t>(std::lround(32767 * std::sin(2 * M_PI * 440 * t)));
        frames[2 * i + 1] = static_cast<int16_t>(std::lround(32767 * std::sin(2 * M_PI * 660 * t)));
      }
      std::fwrite(frames, sizeof frames, 1, f);
    }
    std::fclose(f);
  }
  ~LongWaveFile() { std::remove(path.c_str()); }
};

LongWaveFile& LongFile() {
  static LongWaveFile file;
  return file;
}

// Loads the long file; fresh: into a newly made set each time.
void LoadLong(benchmark::State& state, bool fresh) {
  const std::string& path = LongFile().path;
  static ChannelSet set;
  std::memset(&set, 0, sizeof(set));
  ChannelSet_Init(&set, 65536);
  for (auto _ : state) {
    if (fresh) {
      state.PauseTiming();
      ChannelSet_FreeAll(&set);
      ChannelSet_Init(&set, 65536);
      state.ResumeTiming();
    }
    int rc = WaveFile_Read(path.c_str(), &set, 0);
    if (rc != 0 || set.Channel[1].iNrOfSamples != static_cast<int>(kLongFrames)) state.SkipWithError("load failed");
  }
  state.SetItemsProcessed(state.iterations() * 2LL * kLongFrames);
  ChannelSet_FreeAll(&set);
}

void BM_WaveFile_LoadTenMinutesFresh(benchmark::State& state) { LoadLong(state, true); }
void BM_WaveFile_LoadTenMinutesKeptStorage(benchmark::State& state) { LoadLong(state, false); }
BENCHMARK(BM_WaveFile_LoadTenMinutesFresh)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WaveFile_LoadTenMinutesKeptStorage)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WaveFile_InfoTenMinutes_Plotsmith(benchmark::State& state) {
  BenchProcess_Time(state, {PLOTSMITH_CLI_PATH, "info", LongFile().path});
}
void BM_WaveFile_InfoTenMinutes_ScipyPeer(benchmark::State& state) {
  BenchProcess_Time(state, {"/usr/bin/python3", "-c",
                            "import sys, numpy as np; from scipy.io import wavfile; "
                            "r, d = wavfile.read(sys.argv[1]); x = d.astype(np.float64) / 32767",
                            LongFile().path});
}
BENCHMARK(BM_WaveFile_InfoTenMinutes_Plotsmith)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_WaveFile_InfoTenMinutes_ScipyPeer)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
