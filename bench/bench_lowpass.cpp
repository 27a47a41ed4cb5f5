// The low-pass filter and the real transforms it runs.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "curve/channel.h"
#include "curve/fft.h"
#include "curve/lowpass.h"

namespace {

// A reproducible test signal: two sines and a little deterministic noise.
double Bench_Signal(int i) {
  unsigned v = static_cast<unsigned>(i) * 2654435761u;
  return std::sin(i * 0.01) + 0.3 * std::sin(i * 0.7) + (v >> 8) * (1.0 / 16777216.0) - 0.5;
}

// src filled with n samples of the bench signal, dst an empty channel of n.
void Bench_SignalPair(int n, CurveChannel* src, CurveChannel* dst) {
  std::memset(src, 0, sizeof(*src));
  std::memset(dst, 0, sizeof(*dst));
  Channel_Init(src, n);
  Channel_Init(dst, n);
  for (int i = 0; i < n; ++i) Channel_SetSample(src, i, Bench_Signal(i));
}

// One filter run over the whole channel, from the unfiltered copy into the
// shown channel, as the interactive filter does on every scroller move.
void BM_Channel_LowPass(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  CurveChannel src, dst;
  Bench_SignalPair(n, &src, &dst);
  for (auto _ : state) {
    Channel_LowPass(&src, &dst, 0, 0, 0.3, 0.1);
    benchmark::DoNotOptimize(dst.pdSamples[n / 2]);
  }
  state.SetItemsProcessed(state.iterations() * n);
  Channel_Free(&src);
  Channel_Free(&dst);
}
BENCHMARK(BM_Channel_LowPass)->Arg(4096)->Arg(65536)->Arg(1048576)->Arg(16777216)->Unit(benchmark::kMillisecond);

// One setting of the interactive filter: the forward transform is kept while
// the panel is open, so each scroller move costs the shaping, the inverse
// transform and the store.  Beyond 1,048,576 samples the block doubles.
void BM_LowPass_Apply(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  CurveChannel src, dst;
  Bench_SignalPair(n, &src, &dst);
  LowPassSpectrum sp;
  std::memset(&sp, 0, sizeof(sp));
  LowPass_Prepare(&src, 0, 0, &sp);
  for (auto _ : state) {
    LowPass_Apply(&sp, &dst, 0.3, 0.1);
    benchmark::DoNotOptimize(dst.pdSamples[n / 2]);
  }
  state.SetItemsProcessed(state.iterations() * n);
  LowPass_Free(&sp);
  Channel_Free(&src);
  Channel_Free(&dst);
}
BENCHMARK(BM_LowPass_Apply)->Arg(1048576)->Arg(1048577)->Arg(4194304)->Unit(benchmark::kMillisecond);

// A forward and an inverse real transform of n points.
void BM_FFT_RealRoundTrip(benchmark::State& state) {
  const int n = static_cast<int>(state.range(0));
  std::vector<double> signal(n), re(n), im(n);
  for (int i = 0; i < n; ++i) signal[i] = Bench_Signal(i);
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(re.data(), signal.data(), sizeof(double) * n);
    state.ResumeTiming();
    FFT_RealD(n, re.data(), im.data());
    FFT_InverseRealD(n, re.data(), im.data());
    benchmark::DoNotOptimize(re[n / 2]);
  }
  state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_FFT_RealRoundTrip)->Arg(65536)->Arg(1048576)->Unit(benchmark::kMillisecond);

}  // namespace
