// The curve walk: at most two points per pixel column, equal to a
// sample-by-sample merge, for partial, deep-zoomed and hostile views.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <ostream>
#include <random>
#include <vector>

#include "graph/curve_walk.h"
#include "tests/graph/plot_fixture.h"

// Comparison and printing of points for the expectations (POINT lives in the
// global namespace, so these must too).
static bool operator==(const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; }
static void PrintTo(const POINT& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }

namespace {

// A record with a plot of (0, 0, 10, 200): with the value view 0 .. 200 an
// integer value v lands on row 200 - v.
struct CurveWalk : PlotRecordTest {
  void SetUp() override { Prepare(16, RECT{0, 0, 10, 200}, 0.0, 0.0, 0.0, 200.0); }
  // Gives channel c exactly the values as storage (capacity = count).
  void SetChannel(int c, const std::vector<double>& v, double origin = 0.0, double step = 1.0) {
    CurveChannel& ch = app.Channels.Channel[c];
    double viewMin = ch.dViewMin, viewMax = ch.dViewMax;
    Channel_Free(&ch);
    Channel_Init(&ch, static_cast<int>(v.size()));
    ch.dViewMin = viewMin;
    ch.dViewMax = viewMax;
    for (size_t i = 0; i < v.size(); ++i) Channel_SetSample(&ch, static_cast<int>(i), v[i]);
    ch.dXOrigin = origin;
    ch.dXStep = step;
  }
  void View(double x0, double x1) {
    app.Channels.dXViewMin = x0;
    app.Channels.dXViewMax = x1;
  }
  std::vector<POINT> Walk(int c) {
    std::vector<POINT> pts(static_cast<size_t>(CurveWalk_Capacity(&app)));
    pts.resize(static_cast<size_t>(CurveWalk_Points(&app, c, pts.data(), static_cast<int>(pts.size()))));
    return pts;
  }
  // Sample-by-sample merge of samples first .. last, each mapped and clamped
  // on its own: what the fast walk must reproduce for the samples in view.
  std::vector<POINT> Reference(int c, int first, int last) {
    std::vector<POINT> out;
    const double* p = app.Channels.Channel[c].pdSamples;
    int colX = 0, lo = 0, hi = 0, prev = 0;
    auto emit = [&] {
      if (lo == hi) {
        out.push_back({colX, lo});
      } else if (std::abs(hi - prev) <= std::abs(prev - lo)) {
        out.push_back({colX, hi});
        out.push_back({colX, lo});
      } else {
        out.push_back({colX, lo});
        out.push_back({colX, hi});
      }
      prev = out.back().y;
    };
    for (int i = first; i <= last; ++i) {
      int px = Graph_XToPixel(&app, c, Graph_IndexToX(&app, c, i));
      int py = Graph_YToPixel(&app, c, p[i]);
      Graph_ClampToPlot(&app, &px, &py);
      if (i == first) {
        colX = px, lo = hi = prev = py;
      } else if (px != colX) {
        emit();
        colX = px, lo = hi = py;
      } else {
        lo = std::min(lo, py), hi = std::max(hi, py);
      }
    }
    if (last >= first) emit();
    return out;
  }
};

TEST_F(CurveWalk, ColumnsEmitNearerEndFirstAndTiesLowerOnScreen) {
  // Two samples per column (step 0.5 over 10 columns of one x unit each).
  SetChannel(0, {100, 100, 150, 80, 100, 120, 100, 100, 120, 80, 30, 30}, 0.0, 0.5);
  View(0.0, 6.0);
  app.Graph.rcPlot = RECT{0, 0, 6, 200};
  std::vector<POINT> expect = {
      {0, 100},            // one row: one point
      {1, 120}, {1, 50},   // previous y 100: 120 is nearer
      {2, 80}, {2, 100},   // previous y 50: 80 is nearer
      {3, 100},
      {4, 120}, {4, 80},   // previous y 100: a tie, the lower one on the screen first
      {5, 170}};           // the last sample of the view is part of the line
  EXPECT_EQ(Walk(0), expect);
}

TEST_F(CurveWalk, FastWalkEqualsTheSampleBySampleMerge) {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> value(-1.5, 1.5);
  struct Case {
    int n, width;          // samples, plot width in pixels
    double origin, step;   // x of sample 0, x distance between samples
    double wave;           // 0: noise; else a slow sine of this many radians per sample with a little noise
  };
  // The slow sines make the ends of the columns hold their extremes, so the
  // walk must read them; the noise lets it leave them out.
  const Case cases[] = {{3, 10, 0, 1, 0},          {100, 1000, 0, 1, 0},     {1000, 10, 0, 1, 0},
                        {65536, 1190, -3, 0.01, 0}, {100003, 997, 5, 1e-3, 0}, {999, 1000, 0, 0.1, 0},
                        {5000, 1, 0, 1, 0},         {2, 500, 0, 1e300, 0},     {400000, 1190, 0, 1, 1e-4},
                        {2000000, 1190, 0, 1, 3e-6}, {777777, 613, -1, 1e-3, 2e-3}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "n " << c.n << " width " << c.width);
    std::vector<double> v(static_cast<size_t>(c.n));
    for (size_t i = 0; i < v.size(); ++i) v[i] = c.wave ? std::sin(c.wave * i) + value(rng) * 1e-3 : value(rng);
    for (size_t i = 4999; c.wave && i < v.size(); i += 9973) v[i] = kNaN;  // now and then one in a column's end
    if (c.n > 10) v[5] = kNaN, v[6] = kInf, v[9] = -kInf, v[c.n - 1] = kNaN;
    SetChannel(0, v, c.origin, c.step);
    app.Channels.Channel[0].dViewMin = -1.0;
    app.Channels.Channel[0].dViewMax = 1.0;
    app.Graph.rcPlot = RECT{40, 20, 40 + c.width, 420};
    View(c.origin, c.origin + c.n * c.step);  // every sample, as auto-scaling sets it
    std::vector<POINT> walk = Walk(0);
    EXPECT_EQ(walk, Reference(0, 0, c.n - 1));
    EXPECT_LE(walk.size(), 2u * (c.width + 1));
  }
}

// The summaries must not change a pixel: after random point edits, bulk
// stores, crops and undo-style copies of a long channel with NaN and
// infinities, the walk equals the sample-by-sample merge over all samples, and
// over random views it equals the walk of the same samples without summaries.
TEST_F(CurveWalk, SummaryWalkEqualsTheSampleWalkAfterEditsAndCrops) {
  std::mt19937 rng(1717);
  auto value = [&] {
    int k = static_cast<int>(rng() % 100);
    if (k == 0) return kNaN;
    if (k == 1) return k % 2 ? kInf : -kInf;
    if (k == 2) return -kInf;
    return std::uniform_real_distribution<double>(-1.2, 1.2)(rng);
  };
  std::vector<double> v(300000);
  for (double& x : v) x = value();
  SetChannel(0, v, -2.0, 0.001);
  CurveChannel& ch = app.Channels.Channel[0];
  ch.dViewMin = -1.0;
  ch.dViewMax = 1.0;
  CurveChannel backup;
  std::memset(&backup, 0, sizeof backup);
  app.Graph.rcPlot = RECT{40, 20, 1230, 820};
  for (int round = 0; round < 12; ++round) {
    SCOPED_TRACE(testing::Message() << "round " << round);
    switch (round % 4) {
      case 0:
        for (int k = 0; k < 5000; ++k) Channel_SetSample(&ch, static_cast<int>(rng() % ch.iNrOfSamples), value());
        break;
      case 1: {
        std::vector<double> bulk(rng() % 50000);
        for (double& x : bulk) x = value();
        Channel_StoreSamples(&ch, static_cast<int>(rng() % ch.iNrOfSamples), bulk.data(), static_cast<int>(bulk.size()));
        break;
      }
      case 2:
        Channel_Crop(&ch, static_cast<int>(rng() % 20000), ch.iNrOfSamples - 1 - static_cast<int>(rng() % 20000));
        break;
      case 3:  // back up, edit, restore
        Channel_SetCount(&backup, 0);
        Channel_CopySamples(&ch, &backup, 0, 0, 0);
        Channel_StoreSamples(&ch, 0, v.data(), 1000);
        Channel_SetCount(&ch, 0);
        Channel_CopySamples(&backup, &ch, 0, 0, 0);
        break;
    }
    const int n = ch.iNrOfSamples;
    View(ch.dXOrigin, ch.dXOrigin + n * ch.dXStep);
    ASSERT_EQ(Walk(0), Reference(0, 0, n - 1));
    for (int t = 0; t < 8; ++t) {
      double a = ch.dXOrigin + std::uniform_real_distribution<double>(-0.1, 1.0)(rng) * n * ch.dXStep;
      double w = std::pow(10.0, -std::uniform_real_distribution<double>(0.0, 4.0)(rng)) * n * ch.dXStep;
      View(a, a + w);
      std::vector<POINT> fast = Walk(0);
      const int covered = ch.Summary.iCovered;
      ch.Summary.iCovered = 0;  // every min and max from the samples themselves
      std::vector<POINT> slow = Walk(0);
      ch.Summary.iCovered = covered;
      ASSERT_EQ(fast, slow) << "view " << a << " + " << w;
    }
  }
  Channel_Free(&backup);
}

TEST_F(CurveWalk, ZoomedOutColumnsHoldAtMostTwoPoints) {
  std::vector<double> v(1000);
  for (int i = 0; i < 1000; ++i) v[i] = (i * 37) % 200;
  SetChannel(0, v);
  View(0, 1000);
  std::vector<POINT> walk = Walk(0);
  EXPECT_LE(walk.size(), 22u);  // 10 columns and the right edge column
  for (size_t k = 0; k < walk.size(); ++k) {
    size_t same = 0;
    for (const POINT& p : walk) same += p.x == walk[k].x;
    EXPECT_LE(same, 2u);
  }
  // A column that holds one sample gives one point.
  SetChannel(0, {10, 20, 30});
  View(0, 3);
  app.Graph.rcPlot = RECT{0, 0, 30, 200};
  EXPECT_EQ(Walk(0), (std::vector<POINT>{{0, 190}, {10, 180}, {20, 170}}));
}

TEST_F(CurveWalk, ViewEndingAfterTheLastSampleReadsNothingBeyondIt) {
  // The storage ends exactly at the last sample: a read past it fails under ASan.
  SetChannel(0, {10, 20, 30, 40, 50});
  View(0, 5);
  std::vector<POINT> walk = Walk(0);
  ASSERT_FALSE(walk.empty());
  EXPECT_EQ(walk.back(), (POINT{8, 150}));  // sample 4 at x 4 of 5
  EXPECT_EQ(walk, Reference(0, 0, 4));
  // Storage smaller than the count of samples: only the stored ones are read.
  app.Channels.Channel[0].iNrOfSamples = 9;
  EXPECT_EQ(Walk(0), Reference(0, 0, 4));
}

TEST_F(CurveWalk, PartlyVisibleChannelsDrawTheirPartInView) {
  std::vector<double> longer(100, 50), shorter(40, 100), later(30, 150);
  SetChannel(0, longer);
  SetChannel(1, shorter);
  SetChannel(2, later, 70.0);
  SetChannel(3, later, 200.0);  // wholly right of the view
  SetChannel(4, later, -50.0);  // wholly left of it
  app.Graph.rcPlot = RECT{0, 0, 100, 200};
  View(0, 100);
  // The shorter channel ends at its last sample, the later one starts at its first.
  std::vector<POINT> walk = Walk(1);
  ASSERT_GE(walk.size(), 30u);
  EXPECT_EQ(walk.front(), (POINT{0, 100}));
  EXPECT_EQ(walk.back(), (POINT{39, 100}));
  walk = Walk(2);
  ASSERT_GE(walk.size(), 20u);
  EXPECT_EQ(walk.front(), (POINT{70, 50}));
  EXPECT_EQ(walk.back(), (POINT{99, 50}));
  EXPECT_TRUE(Walk(3).empty());
  EXPECT_TRUE(Walk(4).empty());
  // The view starts before channel 0's first sample and ends after its last.
  View(-20, 120);
  walk = Walk(0);
  ASSERT_GE(walk.size(), 2u);
  EXPECT_EQ(walk.front().y, 150);
  EXPECT_GT(walk.front().x, 0);
  EXPECT_LT(walk.back().x, 100);
}

TEST_F(CurveWalk, DeepZoomShowsTheLineThatCrossesThePlot) {
  SetChannel(0, {0, 100, 200, 0});
  app.Graph.rcPlot = RECT{0, 0, 100, 200};
  // Between samples 0 and 1: the segment from value 0 to 100 crosses the view
  // 0.25 .. 0.75, entering at 25 and leaving at 75.
  View(0.25, 0.75);
  EXPECT_EQ(Walk(0), (std::vector<POINT>{{0, 175}, {100, 125}}));
  // A steep segment cut by a narrow value view leaves through the top edge
  // instead of bending along it.
  app.Channels.Channel[0].dViewMin = 40.0;
  app.Channels.Channel[0].dViewMax = 60.0;
  View(0.0, 1.0);
  std::vector<POINT> walk = Walk(0);
  ASSERT_EQ(walk.size(), 2u);
  // From sample 0 (clamped to the bottom) the columns go to sample 1 on the
  // top edge; the leaving segment toward sample 2 lies above the view.
  EXPECT_EQ(walk[0], (POINT{0, 200}));
  EXPECT_EQ(walk[1], (POINT{100, 0}));
  View(0.4, 0.6);
  EXPECT_EQ(Walk(0), (std::vector<POINT>{{0, 200}, {100, 0}}));
  // A view inside one sample interval on a segment rising through the range:
  // the exact crossing points, not the clamped ends.
  View(0.45, 0.55);
  walk = Walk(0);
  ASSERT_EQ(walk.size(), 2u);
  EXPECT_EQ(walk[0], (POINT{0, 100 + 50}));  // value 45: a quarter up the view
  EXPECT_EQ(walk[1], (POINT{100, 50}));
  // Entering and leaving segments around samples in view.
  app.Channels.Channel[0].dViewMin = 0.0;
  app.Channels.Channel[0].dViewMax = 200.0;
  View(0.5, 2.5);
  EXPECT_EQ(Walk(0), (std::vector<POINT>{{0, 150}, {25, 100}, {75, 0}, {100, 100}}));
}

TEST_F(CurveWalk, HostileViewsAndRangesStayOnThePlot) {
  std::vector<double> v = {1, kNaN, kInf, -kInf, 1e308, -1e308, 5, 6};
  SetChannel(0, v);
  const double views[] = {kNaN, kInf, -kInf, 1e300, -1e300, 0.0, 3.5};
  app.Graph.rcPlot = RECT{10, 10, 300, 200};
  for (double x0 : views) {
    for (double x1 : views) {
      for (double y : {kNaN, kInf, 1e300, 0.0}) {
        View(x0, x1);
        app.Channels.Channel[0].dViewMin = -y;
        app.Channels.Channel[0].dViewMax = y;
        for (const POINT& p : Walk(0)) {
          EXPECT_TRUE(p.x >= 10 && p.x <= 300 && p.y >= 10 && p.y <= 200) << x0 << " " << x1 << " " << y;
        }
      }
    }
  }
  // No step, no samples, a bad channel: nothing.
  View(0, 8);
  app.Channels.Channel[0].dXStep = 0.0;
  EXPECT_TRUE(Walk(0).empty());
  EXPECT_TRUE(Walk(5).empty());
  POINT p[4];
  EXPECT_EQ(CurveWalk_Points(&app, -1, p, 4), 0);
  EXPECT_EQ(CurveWalk_Points(nullptr, 0, p, 4), 0);
  // A tiny point array is never overrun.
  app.Channels.Channel[0].dXStep = 1.0;
  app.Channels.Channel[0].dViewMin = 0.0;
  app.Channels.Channel[0].dViewMax = 10.0;
  EXPECT_EQ(CurveWalk_Points(&app, 0, p, 2), 2);
}

}  // namespace
