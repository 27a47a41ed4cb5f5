// Statistics of a selection over 2^26 samples (512 MB of doubles) with a few
// NaN: one pass, which must stay under 100 ms.
#include <benchmark/benchmark.h>

#include <limits>
#include <random>
#include <vector>

#include "graph/graph_stats.h"

static void BM_GraphStats_2pow26(benchmark::State& state) {
  const long long n = 1LL << 26;
  std::vector<double> s(static_cast<size_t>(n));
  std::mt19937_64 rng(1);
  std::uniform_real_distribution<double> u(-1.0, 1.0);
  for (double& v : s) v = u(rng);
  for (long long i = 0; i < n; i += 4099) s[static_cast<size_t>(i)] = std::numeric_limits<double>::quiet_NaN();
  GraphStats st{};
  for (auto _ : state) {
    GraphStats_Compute(s.data(), n, 0.0, 1.0 / 48000, -1.0, 1e9, &st);
    benchmark::DoNotOptimize(st);
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_GraphStats_2pow26)->Unit(benchmark::kMillisecond);
