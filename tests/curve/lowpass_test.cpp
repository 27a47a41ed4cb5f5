// The low-pass filter: refused arguments, the block size and padding, the
// gain it applies per bin, and bit-for-bit agreement with the reference.

#include "curve/lowpass.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "curve/fft.h"
#include "tests/curve/fft_reference.h"

namespace {

// A source and a destination channel, released after each test.
struct LowPassFixture : ::testing::Test {
  CurveChannel src, dst;  // source and target of the filter
  void SetUp() override {
    std::memset(&src, 0, sizeof(src));
    std::memset(&dst, 0, sizeof(dst));
  }
  void TearDown() override {
    Channel_Free(&src);
    Channel_Free(&dst);
  }
  void Fill(CurveChannel* ch, const std::vector<double>& v) {
    Channel_Free(ch);
    Channel_Init(ch, static_cast<int>(v.size()));
    for (size_t i = 0; i < v.size(); ++i) Channel_SetSample(ch, static_cast<int>(i), v[i]);
  }
  std::vector<double> Samples(const CurveChannel& ch) {
    return std::vector<double>(ch.pdSamples, ch.pdSamples + ch.iNrOfSamples);
  }
  // Filters v into a fresh destination and returns the result.
  std::vector<double> Filter(const std::vector<double>& v, double cutoff, double width) {
    Fill(&src, v);
    Channel_Free(&dst);
    Channel_Init(&dst, 0);
    EXPECT_EQ(Channel_LowPass(&src, &dst, 0, 0, cutoff, width), 1);
    return Samples(dst);
  }
};

std::vector<double> RandomSignal(int n, unsigned seed) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> dist(-1.0, 1.0);
  std::vector<double> v(n);
  for (double& x : v) x = dist(rng);
  return v;
}

// Spectrum (re, im) of a signal whose length is a power of two.
void Spectrum(std::vector<double> x, std::vector<double>* re, std::vector<double>* im) {
  const int n = static_cast<int>(x.size());
  im->assign(n, 0.0);
  FFT_RealD(n, x.data(), im->data());
  *re = x;
}

// The gain the filter applied to bin k of a random signal of n samples (a
// power of two, so no padding).
double MeasuredGain(LowPassFixture* f, int n, double cutoff, double width, int k) {
  const std::vector<double> x = RandomSignal(n, 77);
  std::vector<double> ir, ii, orr, oi;
  Spectrum(x, &ir, &ii);
  Spectrum(f->Filter(x, cutoff, width), &orr, &oi);
  return (orr[k] * ir[k] + oi[k] * ii[k]) / (ir[k] * ir[k] + ii[k] * ii[k]);
}

TEST_F(LowPassFixture, RefusesNullAndTooShortChannels) {
  Fill(&src, {1, 2, 3});
  Fill(&dst, {9, 9, 9, 9, 9});
  EXPECT_EQ(Channel_LowPass(nullptr, &dst, 0, 0, 0.5, 0.1), 0);
  EXPECT_EQ(Channel_LowPass(&src, nullptr, 0, 0, 0.5, 0.1), 0);
  EXPECT_EQ(Channel_LowPass(&src, &dst, 0, 0, 0.5, 0.1), 0);
  EXPECT_EQ(Samples(dst), std::vector<double>(5, 9.0));
  EXPECT_EQ(Samples(src), (std::vector<double>{1, 2, 3}));
}

// Asks the work to stop at its third report (inside the transform).
int StopAtThird(void* context, long long, long long) { return ++*static_cast<int*>(context) != 3; }

// A channel beyond the old limit of 1,048,576 samples filters whole; the
// kept transform of the interactive filter gives the same bits for every
// setting and is made again from changed samples; both halves can be
// stopped; and a filter without work memory (a lowered address-space limit
// in a child process) says so and changes nothing.
TEST_F(LowPassFixture, LongChannelsKeptTransformAndMissingMemory) {
  std::mt19937 rng(3);
  std::vector<double> v(1048576 + 3);
  for (double& x : v) x = std::uniform_real_distribution<double>(-1.0, 1.0)(rng);
  Fill(&src, v);
  LowPassSpectrum sp;
  std::memset(&sp, 0, sizeof sp);
  ASSERT_EQ(LowPass_Prepare(&src, 0, 0, &sp), 1);
  EXPECT_EQ(sp.iN, 2097152);
  for (double cutoff : {0.5, 0.03}) {
    Fill(&dst, {});
    ASSERT_EQ(Channel_LowPass(&src, &dst, 0, 0, cutoff, 0.1), 1);
    std::vector<double> once = Samples(dst);
    Fill(&dst, {});
    ASSERT_EQ(LowPass_Apply(&sp, &dst, cutoff, 0.1), 1);
    ASSERT_EQ(dst.iNrOfSamples, static_cast<int>(v.size()));
    EXPECT_EQ(0, std::memcmp(once.data(), dst.pdSamples, once.size() * sizeof(double))) << cutoff;
  }
  // The source changes: the spectrum is made again from the new samples.
  Channel_SetSample(&src, 5, 100.0);
  ASSERT_EQ(LowPass_Prepare(&src, 0, 0, &sp), 1);
  ASSERT_EQ(LowPass_Apply(&sp, &dst, 0.2, 0.1), 1);
  std::vector<double> kept = Samples(dst);
  ASSERT_EQ(Channel_LowPass(&src, &dst, 0, 0, 0.2, 0.1), 1);
  EXPECT_EQ(kept, Samples(dst));

  // Stopped inside its transform, a filter leaves the target as it was and
  // the spectrum ready; a preparation leaves the spectrum empty.
  int reports = 0;
  WorkProgress watch{StopAtThird, &reports, 0};
  Fill(&dst, v);
  EXPECT_EQ(LowPass_Apply(&sp, &dst, 0.2, 0.1, &watch), LOWPASS_STOPPED);
  EXPECT_EQ(Samples(dst), v);
  EXPECT_NE(sp.pdBins, nullptr);
  reports = 0;
  watch = WorkProgress{StopAtThird, &reports, 0};
  EXPECT_EQ(LowPass_Prepare(&src, 0, 0, &sp, &watch), LOWPASS_STOPPED);
  EXPECT_EQ(sp.pdBins, nullptr);
  EXPECT_EQ(LowPass_Apply(&sp, &dst, 0.2, 0.1), 0);
  LowPass_Free(&sp);
  EXPECT_EQ(sp.pdBins, nullptr);

#if defined(__SANITIZE_ADDRESS__)
  return;  // the sanitizer's allocator aborts instead of failing under an address-space limit
#endif
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    rlimit lim{256u << 20, 256u << 20};  // the 8,388,608-sample channel needs 256 MiB of work memory
    CurveChannel big;
    std::memset(&big, 0, sizeof big);
    std::vector<double> ramp(8388608);
    for (size_t i = 0; i < ramp.size(); ++i) ramp[i] = static_cast<double>(i);
    Channel_StoreSamples(&big, 0, ramp.data(), static_cast<int>(ramp.size()));
    if (setrlimit(RLIMIT_AS, &lim) != 0) _exit(3);
    LowPassSpectrum live;
    std::memset(&live, 0, sizeof live);
    int ok = Channel_LowPass(&big, &big, 0, 0, 0.1, 0.1) == LOWPASS_NO_MEMORY &&
             LowPass_Prepare(&big, 0, 0, &live) == LOWPASS_NO_MEMORY && !live.pdBins && !live.pdWork &&
             std::memcmp(big.pdSamples, ramp.data(), ramp.size() * sizeof(double)) == 0;
    _exit(ok ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

// A record whose count exceeds its storage is refused instead of read beyond
// the array.
TEST_F(LowPassFixture, RefusesInconsistentRecords) {
  Fill(&src, {1, 2, 3, 4, 5});
  src.iNrOfSamples = 50;
  EXPECT_EQ(Channel_LowPass(&src, &dst, 0, 0, 0.5, 0.1), 0);
  src.iNrOfSamples = 5;
  Channel_Free(&src);
  src.iNrOfSamples = 8;  // no storage at all
  EXPECT_EQ(Channel_LowPass(&src, &dst, 0, 0, 0.5, 0.1), 0);
  src.iNrOfSamples = 0;
  EXPECT_EQ(dst.iNrOfSamples, 0);
}

// With cut-off 0 only bin 0 survives, so every output sample is the mean of
// the padded block: that shows the block size and the edge-value padding.
TEST_F(LowPassFixture, CutoffZeroGivesMeanOfPaddedBlock) {
  // 4 samples: block 4, no pad.
  std::vector<double> out = Filter({1, 2, 3, 10}, 0.0, 0.1);
  ASSERT_EQ(out.size(), 4u);
  for (double v : out) EXPECT_NEAR(v, 16.0 / 4, 1e-14);
  // 5 samples: block 8, pad 1: s0 | s0 .. s4 | s4 s4.
  out = Filter({1, 2, 3, 4, 20}, 0.0, 0.1);
  ASSERT_EQ(out.size(), 5u);
  for (double v : out) EXPECT_NEAR(v, (1 + 1 + 2 + 3 + 4 + 20 + 20 + 20) / 8.0, 1e-14);
  // 6 samples: block 8, pad 1: s0 | s0 .. s5 | s5.
  out = Filter({8, 1, 1, 1, 1, 2}, 0.0, 0.1);
  for (double v : out) EXPECT_NEAR(v, (8 + 8 + 1 + 1 + 1 + 1 + 2 + 2) / 8.0, 1e-14);
  // 65536 samples: block 65536, no pad.
  const std::vector<double> x = RandomSignal(65536, 5);
  double sum = 0;
  for (double v : x) sum += v;
  out = Filter(x, 0.0, 0.1);
  ASSERT_EQ(out.size(), 65536u);
  for (size_t i = 0; i < out.size(); i += 4099) EXPECT_NEAR(out[i], sum / 65536, 1e-12);
}

TEST_F(LowPassFixture, RangeRules) {
  const std::vector<double> x = RandomSignal(40, 9);
  const std::vector<double> whole = Filter(x, 0.3, 0.1);
  Fill(&src, x);
  // first = 10, last = 5 means the whole channel, and so does a first at or
  // beyond the last sample once last is cut to the end.
  for (int first : {10, 39, 60}) {
    Channel_Free(&dst);
    Channel_Init(&dst, 0);
    EXPECT_EQ(Channel_LowPass(&src, &dst, first, first == 10 ? 5 : 100, 0.3, 0.1), 1);
    EXPECT_EQ(Samples(dst), whole) << first;
  }
  // A range: only those samples are written, at their own indices, and they
  // equal the filtered range on its own; a negative first counts from 0.
  std::vector<double> part(x.begin() + 5, x.begin() + 25);
  const std::vector<double> alone = Filter(part, 0.3, 0.1);
  Fill(&src, x);
  Fill(&dst, std::vector<double>(40, 7.0));
  EXPECT_EQ(Channel_LowPass(&src, &dst, 5, 24, 0.3, 0.1), 1);
  for (int i = 0; i < 40; ++i) {
    if (i < 5 || i > 24) EXPECT_EQ(dst.pdSamples[i], 7.0) << i;
    else EXPECT_EQ(dst.pdSamples[i], alone[i - 5]) << i;
  }
  std::vector<double> head(x.begin(), x.begin() + 13);
  const std::vector<double> headAlone = Filter(head, 0.3, 0.1);
  Fill(&src, x);
  Channel_Free(&dst);
  Channel_Init(&dst, 0);
  EXPECT_EQ(Channel_LowPass(&src, &dst, -4, 12, 0.3, 0.1), 1);
  EXPECT_EQ(Samples(dst), headAlone);
}

TEST_F(LowPassFixture, InPlaceEqualsSeparateDestination) {
  const std::vector<double> x = RandomSignal(1000, 21);
  const std::vector<double> apart = Filter(x, 0.2, 0.1);
  Fill(&src, x);
  EXPECT_EQ(Channel_LowPass(&src, &src, 0, 0, 0.2, 0.1), 1);
  EXPECT_EQ(Samples(src), apart);
}

// The result goes through the per-sample store, so the destination's count
// grows to the filtered range and its tracked range follows the store's rules:
// a valid range widens, an invalid one restarts at every value.
TEST_F(LowPassFixture, WriteBackFollowsSetSample) {
  const std::vector<double> x = RandomSignal(100, 3);
  Fill(&src, x);
  Channel_Init(&dst, 10);  // too small: the write-back grows it
  dst.dDataMin = -1.0;
  dst.dDataMax = 1.0;
  EXPECT_EQ(Channel_LowPass(&src, &dst, 0, 0, 0.5, 0.1), 1);
  EXPECT_EQ(dst.iNrOfSamples, 100);
  EXPECT_GE(dst.iAllocated, 100);
  CurveChannel replay;
  std::memset(&replay, 0, sizeof(replay));
  replay.dDataMin = -1.0;
  replay.dDataMax = 1.0;
  for (int i = 0; i < 100; ++i) Channel_SetSample(&replay, i, dst.pdSamples[i]);
  EXPECT_EQ(dst.dDataMin, replay.dDataMin);
  EXPECT_EQ(dst.dDataMax, replay.dDataMax);
  EXPECT_LE(dst.dDataMin, -1.0);  // a valid range only widens
  EXPECT_GE(dst.dDataMax, 1.0);
  Channel_Free(&replay);
}

TEST_F(LowPassFixture, WidthZeroIsABrickWall) {
  const int n = 256;
  const std::vector<double> x = RandomSignal(n, 31);
  std::vector<double> ir, ii, orr, oi;
  Spectrum(x, &ir, &ii);
  Spectrum(Filter(x, 0.25, 0.0), &orr, &oi);
  const int kc = 32;  // 128 * 0.25
  for (int k = 0; k <= n / 2; ++k) {
    const double er = k <= kc ? ir[k] : 0.0, ei = k <= kc ? ii[k] : 0.0;
    EXPECT_NEAR(orr[k], er, 1e-12) << k;
    EXPECT_NEAR(oi[k], ei, 1e-12) << k;
  }
}

TEST_F(LowPassFixture, WidthIsLimitedToTwiceTheCutoff) {
  const std::vector<double> x = RandomSignal(1024, 41);
  const std::vector<double> wide = Filter(x, 0.1, 0.5);
  EXPECT_EQ(wide, Filter(x, 0.1, 0.2));
  EXPECT_NE(wide, Filter(x, 0.1, 0.19));
  // width 0.2 over 512 bins: h = 102, kc = 51, lo = 0, hi = 102.
  EXPECT_NEAR(MeasuredGain(this, 1024, 0.1, 0.5, 1), 1.0 - 1.0 / 102, 1e-9);
  EXPECT_NEAR(MeasuredGain(this, 1024, 0.1, 0.5, 51), 1.0 - 51.0 / 102, 1e-9);
  EXPECT_NEAR(MeasuredGain(this, 1024, 0.1, 0.5, 102), 0.0, 1e-9);
}

TEST_F(LowPassFixture, GainAtTheCutoffBin) {
  // Even h: width 0.125 over 512 bins gives h = 64, the gain at kc is 0.5.
  EXPECT_NEAR(MeasuredGain(this, 1024, 0.5, 0.125, 256), 0.5, 1e-9);
  EXPECT_NEAR(MeasuredGain(this, 1024, 0.5, 0.125, 256 - 32), 1.0, 1e-9);
  EXPECT_NEAR(MeasuredGain(this, 1024, 0.5, 0.125, 256 + 31), 1.0 / 64, 1e-9);
  EXPECT_NEAR(MeasuredGain(this, 1024, 0.5, 0.125, 256 + 32), 0.0, 1e-9);
  // Odd h: width 0.1 gives h = 51 (51.2 truncated), h/2 = 25: the gain at kc
  // is (h + 1) / (2h), the last ramp bin keeps 2/h and the next one is 0.
  EXPECT_NEAR(MeasuredGain(this, 1024, 0.5, 0.1, 256), 52.0 / 102, 1e-9);
  EXPECT_NEAR(MeasuredGain(this, 1024, 0.5, 0.1, 256 + 24), 2.0 / 51, 1e-9);
  EXPECT_NEAR(MeasuredGain(this, 1024, 0.5, 0.1, 256 + 25), 0.0, 1e-9);
  EXPECT_NEAR(MeasuredGain(this, 1024, 0.5, 0.1, 256 - 25), 1.0, 1e-9);
}

TEST_F(LowPassFixture, ConstantChannelIsUnchangedForAnyCutoff) {
  for (int count : {4, 7, 300}) {
    const std::vector<double> x(count, 2.5);
    for (double cutoff : {0.0, 0.1, 0.5, 0.9, 1.0}) {
      const std::vector<double> out = Filter(x, cutoff, 0.1);
      for (double v : out) ASSERT_NEAR(v, 2.5, 1e-13) << count << " " << cutoff;
    }
  }
}

TEST_F(LowPassFixture, SinesBelowPassAndAboveAreRemoved) {
  const int n = 4096;
  std::vector<double> low(n), high(n), mix(n);
  for (int i = 0; i < n; ++i) {
    low[i] = std::sin(2 * FFT_PI * 20 * i / n);     // relative frequency 0.0098
    high[i] = std::sin(2 * FFT_PI * 1500 * i / n);  // relative frequency 0.73
    mix[i] = low[i] + high[i];
  }
  const std::vector<double> out = Filter(mix, 0.3, 0.1);
  double err = 0;
  for (int i = 0; i < n; ++i) err = std::fmax(err, std::fabs(out[i] - low[i]));
  EXPECT_LT(err, 1e-10);
}

// Cut-off and width come from the user: values far outside 0 to 1 must not
// overflow the bin arithmetic.
TEST_F(LowPassFixture, ExtremeParametersStayDefined) {
  const std::vector<double> x = RandomSignal(64, 51);
  std::vector<double> out = Filter(x, 1e300, 0.1);  // every bin passes
  for (int i = 0; i < 64; ++i) EXPECT_NEAR(out[i], x[i], 1e-13);
  out = Filter(x, HUGE_VAL, HUGE_VAL);
  for (int i = 0; i < 64; ++i) EXPECT_NEAR(out[i], x[i], 1e-13);
  const std::vector<double> mean = Filter(x, 0.0, 0.0);
  for (double cutoff : {-5.0, std::numeric_limits<double>::quiet_NaN()}) {
    out = Filter(x, cutoff, 0.1);
    for (int i = 0; i < 64; ++i) EXPECT_NEAR(out[i], mean[i], 1e-15) << cutoff;
  }
  // Saturated bins far below zero remove bin 0 as well.
  out = Filter(x, -1e300, 0.1);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(out[i], 0.0);
}

TEST_F(LowPassFixture, MatchesReferenceBitForBit) {
  struct Case {
    int iCount, iFirst, iLast;  // samples in the channel, range filtered (0, 0: all)
    double dCutoff, dWidth;     // the filter's cut-off and transition
  };
  const Case cases[] = {{4, 0, 0, 0.5, 0.1},    {5, 0, 0, 0.3, 0.1},      {100, 0, 0, 0.05, 0.0},
                        {1000, 0, 0, 0.7, 0.3}, {4097, 0, 0, 0.1, 0.1},   {4097, 100, 3000, 0.4, 0.25},
                        {65536, 0, 0, 0.5, 0.1}, {70000, 0, 0, 0.02, 0.5},
                        {1000000, 0, 0, 0.3, 0.1}};
  unsigned seed = 1;
  for (const Case& c : cases) {
    const std::vector<double> x = RandomSignal(c.iCount, seed++);
    Fill(&src, x);
    Fill(&dst, std::vector<double>(c.iCount, 3.0));
    CurveChannel rdst;
    std::memset(&rdst, 0, sizeof(rdst));
    Channel_Init(&rdst, c.iCount);
    for (int i = 0; i < c.iCount; ++i) Channel_SetSample(&rdst, i, 3.0);
    EXPECT_EQ(Channel_LowPass(&src, &dst, c.iFirst, c.iLast, c.dCutoff, c.dWidth), 1);
    EXPECT_EQ(RefChannel_LowPass(&src, &rdst, c.iFirst, c.iLast, c.dCutoff, c.dWidth), 1);
    ASSERT_EQ(dst.iNrOfSamples, rdst.iNrOfSamples);
    EXPECT_EQ(std::memcmp(dst.pdSamples, rdst.pdSamples, sizeof(double) * dst.iNrOfSamples), 0)
        << "count " << c.iCount;
    EXPECT_EQ(dst.dDataMin, rdst.dDataMin);
    EXPECT_EQ(dst.dDataMax, rdst.dDataMax);
    Channel_Free(&rdst);
  }
}

}  // namespace
