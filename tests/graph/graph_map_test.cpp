// The coordinate mappings between x values, sample values, indices and
// pixels: clamping, truncation and values that are not numbers.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <limits>

#include "tests/graph/plot_fixture.h"

namespace {

// A plot of x 100 .. 600 and y 20 .. 420 over the x view 0 .. 100 and the
// value view -1 .. 1.
struct GraphMap : PlotRecordTest {
  void SetUp() override { Prepare(16384, RECT{100, 20, 600, 420}, 0.0, 100.0, -1.0, 1.0); }
};

TEST_F(GraphMap, XMappingClampsToThePlotEdges) {
  EXPECT_EQ(Graph_XToPixel(&app, 0, 50.0), 350);
  EXPECT_EQ(Graph_XToPixel(&app, 0, -5.0), 100);
  EXPECT_EQ(Graph_XToPixel(&app, 0, 150.0), 600);
  EXPECT_EQ(Graph_XToPixel(&app, 5, 0.0), 100);
  EXPECT_EQ(Graph_XToPixel(&app, 0, 100.0), 600);
  EXPECT_DOUBLE_EQ(Graph_PixelToX(&app, 0, 350), 50.0);
  EXPECT_DOUBLE_EQ(Graph_PixelToX(&app, 0, 50), 0.0);
  EXPECT_DOUBLE_EQ(Graph_PixelToX(&app, 0, 900), 100.0);
}

TEST_F(GraphMap, YMappingGrowsUpwardAndTruncates) {
  EXPECT_EQ(Graph_YToPixel(&app, 0, 0.0), 220);
  EXPECT_EQ(Graph_YToPixel(&app, 0, 1.0), 20);
  EXPECT_EQ(Graph_YToPixel(&app, 0, 0.999), 21);
  EXPECT_EQ(Graph_YToPixel(&app, 0, -1.0), 420);
  EXPECT_EQ(Graph_YToPixel(&app, 0, -7.0), 420);
  EXPECT_DOUBLE_EQ(Graph_PixelToY(&app, 0, 420), -1.0);
  EXPECT_DOUBLE_EQ(Graph_PixelToY(&app, 0, 10), 1.0);
  EXPECT_DOUBLE_EQ(Graph_PixelToY(&app, 0, 220), 0.0);
}

TEST_F(GraphMap, EveryChannelIsScaledByChannelZero) {
  app.Channels.Channel[3].dViewMin = 100.0;
  app.Channels.Channel[3].dViewMax = 200.0;
  EXPECT_EQ(Graph_ScaleChannelOf(&app, 3), 0);
  EXPECT_EQ(Graph_YToPixel(&app, 3, 0.0), 220);
  double lo = 0, hi = 0;
  Graph_GetViewY(&app, 3, &lo, &hi);
  EXPECT_EQ(lo, -1.0);
  EXPECT_EQ(hi, 1.0);
  app.Channels.Channel[0].dDataMin = -2.0;
  app.Channels.Channel[0].dDataMax = 3.0;
  Graph_GetDataY(&app, 7, nullptr, &hi);
  EXPECT_EQ(hi, 3.0);
  Graph_GetDataY(&app, 7, &lo, nullptr);
  EXPECT_EQ(lo, -2.0);
}

TEST_F(GraphMap, ZeroSpansFallBackToTheLowerEnd) {
  app.Channels.Channel[0].dViewMin = 0.0;
  app.Channels.Channel[0].dViewMax = 0.0;
  EXPECT_EQ(Graph_YToPixel(&app, 0, 0.5), 0);
  EXPECT_EQ(Graph_PixelToY(&app, 0, 300), 0.0);
  app.Channels.Channel[0].dViewMin = 7.9;
  app.Channels.Channel[0].dViewMax = 2.0;  // negative span
  EXPECT_EQ(Graph_YToPixel(&app, 0, 0.5), 7);
  app.Channels.dXViewMin = -3.7;
  app.Channels.dXViewMax = -3.7;
  EXPECT_EQ(Graph_XToPixel(&app, 0, 12.0), -3);
  app.Graph.rcPlot = RECT{10, 10, 10, 10};
  EXPECT_EQ(Graph_PixelToX(&app, 0, 50), -3.7);
  EXPECT_EQ(Graph_PixelToY(&app, 0, 50), 7.9);
}

TEST_F(GraphMap, ConversionsAreDefinedForNonNumbersAndHugeValues) {
  EXPECT_EQ(Graph_XToPixel(&app, 0, kNaN), 100);  // a NaN fraction counts as 0
  EXPECT_EQ(Graph_XToPixel(&app, 0, kInf), 600);
  EXPECT_EQ(Graph_XToPixel(&app, 0, -kInf), 100);
  EXPECT_EQ(Graph_YToPixel(&app, 0, kNaN), 420);
  app.Channels.dXViewMin = kNaN;
  EXPECT_EQ(Graph_XToPixel(&app, 0, 1.0), 0);
  app.Channels.dXViewMin = 1e300;
  app.Channels.dXViewMax = 1e300;
  EXPECT_EQ(Graph_XToPixel(&app, 0, 1.0), INT_MAX);
  app.Channels.dXViewMin = -kInf;  // infinite span: the fraction is not a number
  EXPECT_EQ(Graph_XToPixel(&app, 0, 1.0), 100);
  app.Channels.dXViewMax = -kInf;
  EXPECT_EQ(Graph_XToPixel(&app, 0, 1.0), INT_MIN);
  app.Channels.Channel[0].dViewMin = kNaN;
  EXPECT_EQ(Graph_YToPixel(&app, 0, 1.0), 0);
  app.Channels.Channel[0].dViewMin = -1e12;
  app.Channels.Channel[0].dViewMax = -1e12;
  EXPECT_EQ(Graph_YToPixel(&app, 0, 1.0), INT_MIN);
  // Plot rectangles wider than int still map onto their edges.
  app.Graph.rcPlot = RECT{INT_MIN, INT_MIN, INT_MAX, INT_MAX};
  app.Channels.dXViewMin = 0.0;
  app.Channels.dXViewMax = 1.0;
  EXPECT_EQ(Graph_XToPixel(&app, 0, 1.0), INT_MAX);
  EXPECT_EQ(Graph_XToPixel(&app, 0, 0.0), INT_MIN);
  app.Channels.Channel[0].dViewMin = 0.0;
  app.Channels.Channel[0].dViewMax = 1.0;
  app.Graph.rcPlot = RECT{0, -1, 0, INT_MAX};
  EXPECT_EQ(Graph_YToPixel(&app, 0, 1.0), -1);
  app.Graph.rcPlot = RECT{0, INT_MAX, 0, INT_MIN};  // upside down
  EXPECT_EQ(Graph_YToPixel(&app, 0, 1.0), INT_MAX);
}

TEST_F(GraphMap, XToIndexTruncatesAndAllowsOnePastTheEnd) {
  for (int i = 0; i < 100; ++i) ChannelSet_SetSample(&app.Channels, 2, i, i);
  EXPECT_EQ(Graph_XToIndex(&app, 2, 99.9), 99);
  EXPECT_EQ(Graph_XToIndex(&app, 2, 100.0), 100);
  EXPECT_EQ(Graph_XToIndex(&app, 2, 100.01), -1);
  EXPECT_EQ(Graph_XToIndex(&app, 2, -0.01), -1);
  EXPECT_EQ(Graph_XToIndex(&app, 2, kNaN), -1);
  EXPECT_EQ(Graph_XToIndex(&app, 2, kInf), -1);
  EXPECT_EQ(Graph_XToIndex(&app, 9, 1.0), -1);
  app.Channels.Channel[2].dXOrigin = 10.0;
  app.Channels.Channel[2].dXStep = 0.5;
  EXPECT_EQ(Graph_XToIndex(&app, 2, 11.2), 2);
  EXPECT_DOUBLE_EQ(Graph_IndexToX(&app, 2, 4), 12.0);
  app.Channels.Channel[2].dXStep = 0.0;
  EXPECT_EQ(Graph_XToIndex(&app, 2, 11.2), -1);
}

TEST(GraphHelpers, ClampPointAndSelection) {
  int v = 5;
  ClampInt(&v, 10, 20);
  EXPECT_EQ(v, 10);
  v = 25;
  ClampInt(&v, 10, 20);
  EXPECT_EQ(v, 20);
  v = 15;
  ClampInt(&v, 20, 10);  // lo > hi gives hi
  EXPECT_EQ(v, 10);

  RECT r{0, 0, 10, 10};
  EXPECT_EQ(PointInRect(10, 10, &r), 1);
  EXPECT_EQ(PointInRect(0, 0, &r), 1);
  EXPECT_EQ(PointInRect(11, 5, &r), 0);
  EXPECT_EQ(PointInRect(5, -1, &r), 0);

  GraphSelection s{};
  EXPECT_EQ(Selection_IsValid(nullptr), 0);
  EXPECT_EQ(Selection_IsValid(&s), 0);
  s.dX2 = 1.0;
  EXPECT_EQ(Selection_IsValid(&s), 0);
  s.dY2 = 1.0;
  EXPECT_EQ(Selection_IsValid(&s), 1);
}

TEST_F(GraphMap, ClampToPlotKeepsPointsInside) {
  int x = 50, y = 500;
  Graph_ClampToPlot(&app, &x, &y);
  EXPECT_EQ(x, 100);
  EXPECT_EQ(y, 420);
}

TEST(GraphScroll, PageAndPositionArithmetic) {
  // 1000 samples of step 1, view 250 to 500.
  int page = Graph_ScrollPage(1000.0, 250.0);
  EXPECT_EQ(page, 251);
  EXPECT_EQ(Graph_ScrollPos(page, 250.0 / 750.0), 250);
  EXPECT_EQ(Graph_ScrollPage(1000.0, 1000.0), 1001);
  EXPECT_EQ(Graph_ScrollPage(1000.0, 2000.0), 1001);
  EXPECT_EQ(Graph_ScrollPage(0.0, 10.0), 1001);
  EXPECT_EQ(Graph_ScrollPage(-5.0, -10.0), 1001);
  EXPECT_EQ(Graph_ScrollPage(1e9, 1.0), 1);  // clamped up to 1
  EXPECT_EQ(Graph_ScrollPage(10.0, 5.0), 501);
  EXPECT_EQ(Graph_ScrollPage(1000.0, 0.1), 1);
  EXPECT_EQ(Graph_ScrollPage(kNaN, 1.0), 1001);
  EXPECT_EQ(Graph_ScrollPos(501, 0.0), 0);
  EXPECT_EQ(Graph_ScrollPos(501, 1.0), 500);
  EXPECT_EQ(Graph_ScrollPos(501, 7.0), 500);
  EXPECT_EQ(Graph_ScrollPos(501, -7.0), 0);
  EXPECT_EQ(Graph_ScrollPos(501, kNaN), 0);
}

}  // namespace
