// Statistics over an x range against a plain computation on random samples
// with NaN and infinities, the index range of edge bounds, and the line the
// popup and plotsmith-cli print.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "graph/graph_stats.h"
#include "tests/graph/plot_fixture.h"

namespace {

// Equal, both NaN, or within a relative 1e-9 (the sums run in another order).
void ExpectSame(double got, double want, const char* what) {
  if (std::isnan(want) || std::isinf(want)) {
    EXPECT_TRUE(got == want || (std::isnan(got) && std::isnan(want))) << what << ": " << got << " vs " << want;
  } else {
    EXPECT_NEAR(got, want, 1e-9 * (1.0 + std::fabs(want))) << what;
  }
}

TEST(GraphStats, MatchesAPlainComputationOnRandomSamples) {
  std::mt19937_64 rng(20);
  std::normal_distribution<double> value(0.5, 3.0);
  const double origin = -3.0, step = 0.25;
  struct Case {
    int n;
    double nanShare, x1, x2;
    int plusInf, minusInf;  // infinities planted at fixed places
  } cases[] = {
      {1001, 0.05, -10.0, 1e9, 0, 0},     // the whole channel
      {1001, 0.2, 7.3, 100.1, 0, 0},      // bounds between samples
      {5003, 0.01, 200.0, 9.0, 1, 0},     // reversed bounds, one +inf in range
      {5003, 0.01, 9.0, 200.0, 1, 1},     // +inf and -inf: the mean is NaN
      {7, 1.0, -3.0, 0.0, 0, 0},          // only NaN
      {100, 0.0, 500.0, 600.0, 0, 0},     // beyond the samples
  };
  for (const Case& c : cases) {
    std::vector<double> s(static_cast<size_t>(c.n));
    std::uniform_real_distribution<double> u(0.0, 1.0);
    for (double& v : s) v = u(rng) < c.nanShare ? kNaN : value(rng);
    if (c.plusInf) s[150] = kInf;
    if (c.minusInf) s[170] = -kInf;
    // The plain way: every sample whose x lies between the bounds.
    double lo = std::fmin(c.x1, c.x2), hi = std::fmax(c.x1, c.x2);
    long long count = 0, nans = 0;
    double sum = 0, sq = 0, mn = kNaN, mx = kNaN, xmn = kNaN, xmx = kNaN;
    for (int i = 0; i < c.n; ++i) {
      double x = origin + i * step, v = s[static_cast<size_t>(i)];
      if (x < lo || x > hi) continue;
      if (std::isnan(v)) {
        ++nans;
        continue;
      }
      ++count;
      sum += v;
      sq += v * v;
      if (std::isnan(mn) || v < mn) mn = v, xmn = x;
      if (std::isnan(mx) || v > mx) mx = v, xmx = x;
    }
    GraphStats st{};
    ASSERT_EQ(GraphStats_Compute(s.data(), c.n, origin, step, c.x1, c.x2, &st), 1);
    SCOPED_TRACE(testing::Message() << "n=" << c.n << " x " << c.x1 << ".." << c.x2);
    EXPECT_EQ(st.llCount, count);
    EXPECT_EQ(st.llNaN, nans);
    ExpectSame(st.dMin, mn, "min");
    ExpectSame(st.dMax, mx, "max");
    ExpectSame(st.dXMin, xmn, "x of min");
    ExpectSame(st.dXMax, xmx, "x of max");
    ExpectSame(st.dMean, count ? sum / count : kNaN, "mean");
    ExpectSame(st.dRms, count ? std::sqrt(sq / count) : kNaN, "rms");
    ExpectSame(st.dPeakToPeak, count ? mx - mn : kNaN, "peak to peak");
  }
}

TEST(GraphStats, IndexRangeOfEdgeBounds) {
  long long a = -1, b = -1;
  EXPECT_EQ(GraphStats_IndexRange(10, 0.0, 1.0, 2.0, 5.0, &a, &b), 1);
  EXPECT_EQ(a, 2);
  EXPECT_EQ(b, 5);
  EXPECT_EQ(GraphStats_IndexRange(10, 0.0, 1.0, -1e300, 1e300, &a, &b), 1);
  EXPECT_EQ(a, 0);
  EXPECT_EQ(b, 9);
  EXPECT_EQ(GraphStats_IndexRange(10, 0.0, 1.0, 2.2, 2.8, &a, &b), 0);  // between two samples
  EXPECT_EQ(GraphStats_IndexRange(10, 0.0, 0.0, 0.0, 5.0, &a, &b), 0);  // no step
  EXPECT_EQ(GraphStats_IndexRange(10, 0.0, 1.0, kNaN, 5.0, &a, &b), 0);
  EXPECT_EQ(GraphStats_IndexRange(10, 0.0, 1.0, -kInf, kInf, &a, &b), 1);
  EXPECT_EQ(b, 9);
}

TEST(GraphStats, ChannelLineAndEmptyRange) {
  CurveChannel ch{};
  Channel_Init(&ch, 16);
  for (int i = 0; i < 4; ++i) Channel_SetSample(&ch, i, i == 1 ? kNaN : i);  // 0, NaN, 2, 3
  ch.dXOrigin = 10.0;
  ch.dXStep = 0.5;
  GraphStats st{};
  ASSERT_EQ(GraphStats_OfChannel(&ch, 10.0, 11.5, &st), 1);
  char text[GRAPH_STATS_LINE_LEN];
  GraphStats_Format("Left", &st, 6, text, sizeof text);
  EXPECT_STREQ(text,
               "Left: n=3 (NaN left out: 1), min=0 at x=10, max=3 at x=11.5, mean=1.66667, RMS=2.08167, "
               "peak to peak=3");
  ASSERT_EQ(GraphStats_OfChannel(&ch, 20.0, 30.0, &st), 1);
  GraphStats_Format("Left", &st, 6, text, sizeof text);
  EXPECT_STREQ(text, "Left: n=0");
  Channel_Free(&ch);
}

}  // namespace
