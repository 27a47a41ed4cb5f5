// Loading and saving 1,048,576 samples per channel in the text curve format:
// one value per line, and two columns as numpy.savetxt writes them with '%g'.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "curve/channel.h"
#include "formats/text_curve.h"

namespace {

constexpr int kSamples = 1048576;

std::string BenchPath(const char* name) {
  return std::string("/tmp/ps_bench_") + std::to_string(getpid()) + "_" + name;
}

void FillSine(ChannelSet* set) {
  ChannelSet_Init(set, 65536);
  for (int i = 0; i < kSamples; ++i) ChannelSet_SetSample(set, 0, i, std::sin(i * 0.001));
  set->Channel[0].dXStep = 1.0 / 8000.0;
}

// Loads a file of kSamples lines, each written by line(f, i), holding
// `channels` channels, over and over.
void LoadLines(benchmark::State& state, const char* name, int channels, void (*line)(FILE*, int)) {
  std::string path = BenchPath(name);
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    state.SkipWithError("cannot create the input file");
    return;
  }
  for (int i = 0; i < kSamples; ++i) line(f, i);
  std::fclose(f);
  static ChannelSet set;
  ChannelSet_Init(&set, 65536);
  for (auto _ : state) {
    int rc = TextCurve_Read(path.c_str(), &set, 0);
    benchmark::DoNotOptimize(rc);
    benchmark::DoNotOptimize(set.Channel[channels - 1].pdSamples[kSamples - 1]);
  }
  state.SetItemsProcessed(state.iterations() * channels * kSamples);
  ChannelSet_FreeAll(&set);
  std::remove(path.c_str());
}

// One value per line, no header: the plainest text a user hands in.
void BM_TextCurve_LoadOneValuePerLine(benchmark::State& state) {
  LoadLines(state, "load.txt", 1, [](FILE* f, int i) { std::fprintf(f, "%d\r\n", (i * 37) % 65535 - 32767); });
}
BENCHMARK(BM_TextCurve_LoadOneValuePerLine)->Unit(benchmark::kMillisecond);

// Two columns of "%g" values parted by a blank, as numpy.savetxt(fmt='%g') writes them.
void BM_TextCurve_LoadTwoColumns(benchmark::State& state) {
  LoadLines(state, "columns.txt", 2,
            [](FILE* f, int i) { std::fprintf(f, "%g %g\n", 2.5 * std::sin(i * 0.7), -1.5 * std::cos(i * 0.013)); });
}
BENCHMARK(BM_TextCurve_LoadTwoColumns)->Unit(benchmark::kMillisecond);

void SaveAs(benchmark::State& state, int saveType, int nch = 1) {
  static ChannelSet set;
  FillSine(&set);
  for (int i = 0; nch > 1 && i < kSamples; ++i) ChannelSet_SetSample(&set, 1, i, std::cos(i * 0.0007));
  std::string path = BenchPath("save.txt");
  for (auto _ : state) {
    int rc = TextCurve_Write(path.c_str(), &set, 0, nch, saveType);
    benchmark::DoNotOptimize(rc);
  }
  state.SetItemsProcessed(state.iterations() * nch * kSamples);
  ChannelSet_FreeAll(&set);
  std::remove(path.c_str());
}

void BM_TextCurve_SaveInt16(benchmark::State& state) { SaveAs(state, SAVE_TYPE_INT16); }
void BM_TextCurve_SaveFloat(benchmark::State& state) { SaveAs(state, SAVE_TYPE_FLOAT); }
BENCHMARK(BM_TextCurve_SaveInt16)->Unit(benchmark::kMillisecond);
void BM_TextCurve_SaveFloatTwoChannels(benchmark::State& state) { SaveAs(state, SAVE_TYPE_FLOAT, 2); }
BENCHMARK(BM_TextCurve_SaveFloat)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TextCurve_SaveFloatTwoChannels)->Unit(benchmark::kMillisecond);

}  // namespace
