// Lanes of the stacked view and the mappings and hit tests inside them,
// markers and their differences, the readout tooltip's lines, the value zoom
// and fit, and when samples are marked: on a record without a window.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "graph/graph_hit.h"
#include "graph/graph_measure.h"
#include "tests/graph/plot_fixture.h"

namespace {

// Channels 0, 1 and 2 hold 100 samples each (origin 0, step 1, value i / 10,
// channel 2 ten times that) over an x view of 0 to 100, in a plot 500 x 400
// pixels at (50, 20); channel 1 is hidden.  Value views: channel 0 -10..10,
// channel 2 0..100.
struct GraphMeasure : PlotRecordTest {
  void SetUp() override {
    Prepare(16384, RECT{50, 20, 550, 420}, 0.0, 100.0, -10.0, 10.0);
    for (int c = 0; c < 3; ++c) {
      for (int i = 0; i < 100; ++i) ChannelSet_SetSample(&app.Channels, c, i, (c == 2 ? 1.0 : 0.1) * i);
      app.Channels.Channel[c].iVisible = c != 1;
    }
    app.Channels.Channel[2].dViewMin = 0.0;
    app.Channels.Channel[2].dViewMax = 100.0;
  }
};

TEST_F(GraphMeasure, LanesMappingsAndHitTestsPerLane) {
  // Not stacked: no lanes, channel 0's view scales every channel.
  EXPECT_EQ(Graph_LayoutLanes(&app), 0);
  EXPECT_EQ(Graph_YToPixel(&app, 2, 0.0), 220);
  EXPECT_EQ(Graph_LaneAt(&app, 100), -1);

  app.Graph.iStacked = 1;
  ASSERT_EQ(Graph_LayoutLanes(&app), 2);  // the hidden channel gets none
  const RECT& l0 = app.Graph.rcLane[0];
  const RECT& l2 = app.Graph.rcLane[2];
  EXPECT_EQ(l0.top, 20);
  EXPECT_EQ(l0.bottom, 220 - GRAPH_LANE_GAP);
  EXPECT_EQ(l2.top, 220);
  EXPECT_EQ(l2.bottom, 420);
  EXPECT_EQ(app.Graph.rcLane[1].bottom, 0);
  struct Case {
    int c;
    double v;
    int y;  // where v of channel c lies
  } cases[] = {{2, 100.0, 220}, {2, 0.0, 420}, {2, 50.0, 320}, {2, 500.0, 220},
               {0, 10.0, 20},   {0, -10.0, 208}, {0, 0.0, 208 - 94}};  // lane 0 ends 12 above 220
  for (const Case& k : cases) {
    EXPECT_EQ(Graph_YToPixel(&app, k.c, k.v), k.y) << k.c << " " << k.v;
    EXPECT_EQ(Graph_LaneAt(&app, k.y), k.c) << k.y;
  }
  EXPECT_DOUBLE_EQ(Graph_PixelToY(&app, 2, 320), 50.0);
  EXPECT_DOUBLE_EQ(Graph_PixelToY(&app, 2, 100), 100.0);  // above its lane: the lane's top value
  EXPECT_EQ(Graph_LaneAt(&app, 215), -1);                 // the gap between two lanes
  EXPECT_EQ(Graph_LaneAt(&app, 421), -1);
  // A point edit in the lower lane hits channel 2's sample with its own values.
  int c = 2, i = -1;
  double v = 0.0;
  ASSERT_EQ(Graph_PointAt(&app, 300, 320, &c, &i, &v), 1);
  EXPECT_EQ(i, 50);
  EXPECT_DOUBLE_EQ(v, 50.0);
  // A selection spans every lane.
  GraphSelection sel{2, 1, 10.0, 20.0, 40.0, 60.0, 0};
  RECT r = Graph_SelectionRect(&app, &sel);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.bottom, 420);
  EXPECT_EQ(r.left, 100);
  EXPECT_EQ(r.right, 150);
}

TEST_F(GraphMeasure, MarkerDifferences) {
  char text[GRAPH_MARKER_TEXT_LEN];
  EXPECT_EQ(Graph_FormatMarkers(&app, text, sizeof text), 0);
  Graph_SetMarkerX(&app, GRAPH_MARKER_A, 10.0);
  EXPECT_EQ(Graph_FormatMarkers(&app, text, sizeof text), 0);  // only A
  EXPECT_STREQ(text, "");
  Graph_SetMarkerX(&app, GRAPH_MARKER_B, 12.4);  // nearest sample 12
  ASSERT_EQ(Graph_FormatMarkers(&app, text, sizeof text), 1);
  EXPECT_STREQ(text, "\xce\x94x:2.4, 1/\xce\x94x:0.416667, \xce\x94y1:0.2");
  app.Graph.iActiveChannel = 2;
  Graph_SetMarkerX(&app, GRAPH_MARKER_A, 20.0);
  Graph_FormatMarkers(&app, text, sizeof text);
  EXPECT_STREQ(text, "\xce\x94x:-7.6, 1/\xce\x94x:-0.131579, \xce\x94y3:-8");
  app.Graph.iActiveChannel = 5;  // no samples: no Δy
  Graph_FormatMarkers(&app, text, sizeof text);
  EXPECT_STREQ(text, "\xce\x94x:-7.6, 1/\xce\x94x:-0.131579");
  app.Graph.iViewChanged = 0;
  EXPECT_EQ(Graph_ClearMarkers(&app), 1);
  EXPECT_EQ(app.Graph.iViewChanged, 1);
  EXPECT_EQ(Graph_ClearMarkers(&app), 0);
  EXPECT_EQ(Graph_NearestIndex(&app, 0, -5.0), 0);
  EXPECT_EQ(Graph_NearestIndex(&app, 0, 1e300), 99);
  EXPECT_EQ(Graph_NearestIndex(&app, 0, 3.5), 4);
  EXPECT_EQ(Graph_NearestIndex(&app, 4, 3.0), -1);
}

TEST_F(GraphMeasure, TooltipListsEveryVisibleChannel) {
  std::strcpy(app.Channels.Channel[2].szName, "Right");
  GraphTip tip;
  ASSERT_EQ(Graph_FormatTip(&app, 300, 200, &tip), 3);
  EXPECT_STREQ(tip.szLine[0], "x: 50");
  EXPECT_STREQ(tip.szLine[1], "Channel 1: 5  [50]");
  EXPECT_STREQ(tip.szLine[2], "Right: 50  [50]");
  EXPECT_EQ(tip.crLine[1], GRAPH_CHANNEL_COLORS[0]);
  EXPECT_EQ(tip.crLine[2], GRAPH_CHANNEL_COLORS[2]);
  EXPECT_EQ(Graph_FormatTip(&app, 30, 200, &tip), 0);  // over the value axis
}

TEST_F(GraphMeasure, ValueZoomFitAndSampleMarks) {
  double y0 = 0.0, y1 = 0.0;
  ASSERT_EQ(Graph_ZoomYRange(&app, 0, 0.0, 0.5, &y0, &y1), 1);
  EXPECT_DOUBLE_EQ(y0, -5.0);
  EXPECT_DOUBLE_EQ(y1, 5.0);
  ASSERT_EQ(Graph_ZoomYRange(&app, 0, 10.0, 0.8, &y0, &y1), 1);
  EXPECT_DOUBLE_EQ(y0, -6.0);
  EXPECT_DOUBLE_EQ(y1, 10.0);
  EXPECT_EQ(Graph_ZoomYRange(&app, 0, kNaN, 0.5, &y0, &y1), 0);

  ChannelSet_SetSample(&app.Channels, 0, 30, kNaN);
  ChannelSet_SetSample(&app.Channels, 0, 31, kInf);
  ASSERT_EQ(Graph_FitYRange(&app, 0, &y0, &y1), 1);
  EXPECT_DOUBLE_EQ(y0, -9.9 * GRAPH_FIT_MARGIN);
  EXPECT_DOUBLE_EQ(y1, 9.9 + 9.9 * GRAPH_FIT_MARGIN);
  app.Channels.dXViewMin = 10.2;  // the samples at both edges of the view count
  app.Channels.dXViewMax = 20.5;
  ASSERT_EQ(Graph_FitYRange(&app, 0, &y0, &y1), 1);
  EXPECT_NEAR(y0, 1.0 - 1.1 * GRAPH_FIT_MARGIN, 1e-12);
  EXPECT_NEAR(y1, 2.1 + 1.1 * GRAPH_FIT_MARGIN, 1e-12);
  for (int i = 0; i < 100; ++i) ChannelSet_SetSample(&app.Channels, 2, i, 7.0);
  ASSERT_EQ(Graph_FitYRange(&app, 2, &y0, &y1), 1);  // a constant
  EXPECT_EQ(y0, 6.0);
  EXPECT_EQ(y1, 8.0);
  app.Channels.dXViewMin = 200.0;
  app.Channels.dXViewMax = 300.0;
  EXPECT_EQ(Graph_FitYRange(&app, 0, &y0, &y1), 0);  // nothing in view

  // 500 pixels: fewer than 12.5 samples in view are marked.
  app.Channels.dXViewMin = 0.0;
  app.Channels.dXViewMax = 100.0;
  EXPECT_EQ(Graph_MarksSamples(&app, 0), 0);
  app.Channels.dXViewMax = 12.0;
  EXPECT_EQ(Graph_MarksSamples(&app, 0), 1);
  EXPECT_EQ(Graph_MarksSamples(&app, 5), 0);  // no samples
}

}  // namespace
