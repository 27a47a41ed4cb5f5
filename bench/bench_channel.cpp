// Storing samples into the channel set.
#include <benchmark/benchmark.h>

#include <cstring>

#include "curve/channel.h"

// 1,048,576 samples stored in ascending order into a freshly initialised set,
// growing channel 0 from 65536 to the limit.
static void BM_ChannelSet_StoreAscending(benchmark::State& state) {
  static ChannelSet set;
  const int n = static_cast<int>(state.range(0));
  for (auto _ : state) {
    ChannelSet_Init(&set, 65536);
    for (int i = 0; i < n; ++i) ChannelSet_SetSample(&set, 0, i, i * 0.001);
    benchmark::DoNotOptimize(set.Channel[0].pdSamples[n - 1]);
    state.PauseTiming();
    ChannelSet_FreeAll(&set);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_ChannelSet_StoreAscending)->Arg(1048576)->Unit(benchmark::kMillisecond);
