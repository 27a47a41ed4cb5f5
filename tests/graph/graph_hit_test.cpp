// Hit tests and readouts of the drawing area, points and selections under a
// pixel, scroll positions and zoom steps, and the point drag's stores.

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "graph/graph_hit.h"
#include "tests/graph/plot_fixture.h"

namespace {

// Channel 0 holds 100 samples (origin 0, step 1, value i / 10) over an x view
// of 0 to 100, drawn in a plot 500 pixels wide starting at x = 50.
struct GraphHit : PlotRecordTest {
  void SetUp() override {
    Prepare(16384, RECT{50, 20, 550, 420}, 0.0, 100.0, -10.0, 10.0);
    Fill(0, 100, 0.0);
  }
  void Fill(int c, int n, double origin) {
    CurveChannel& ch = app.Channels.Channel[c];
    ch.dXOrigin = origin;
    ch.dXStep = 1.0;
    for (int i = 0; i < n; ++i) ChannelSet_SetSample(&app.Channels, c, i, i / 10.0);
  }
  std::string Readout(int x, int y) {
    char text[GRAPH_READOUT_LEN];
    Graph_FormatCursorInfo(&app, x, y, text, sizeof text);
    return text;
  }
};

TEST_F(GraphHit, PartsOfTheDrawingAreaAndTheirNames) {
  std::strcpy(app.Channels.Channel[2].szName, "Channel 3");
  app.Graph.rcLegend[2] = RECT{200, 2, 260, 18};
  app.Graph.rcLegend[3] = RECT{270, 2, 330, 18};
  struct Case {
    int x, y, part, channel;  // the pixel, the part and channel expected there
    const char* text;         // the name expected
  } cases[] = {
      {49, 100, GRAPH_PART_LEFT_AXIS, -1, "Left Axis"},
      {50, 20, GRAPH_PART_PLOT, -1, "Graph"},
      {550, 420, GRAPH_PART_PLOT, -1, "Graph"},
      {551, 100, GRAPH_PART_RIGHT_AXIS, -1, "Right Axis"},
      {100, 19, GRAPH_PART_LEGEND, -1, "Legend"},
      {200, 2, GRAPH_PART_LEGEND, 2, "Legend:Channel 3"},
      {260, 18, GRAPH_PART_LEGEND, 2, "Legend:Channel 3"},
      {265, 10, GRAPH_PART_LEGEND, -1, "Legend"},  // between two entries
      {100, 421, GRAPH_PART_X_AXIS, -1, "X-Axis"},
  };
  for (const Case& c : cases) {
    char text[GRAPH_HIT_TEXT_LEN];
    int channel = 99;
    EXPECT_EQ(Graph_HitTest(&app, c.x, c.y, text, &channel), c.part) << c.x << "," << c.y;
    EXPECT_EQ(channel, c.channel) << c.x << "," << c.y;
    EXPECT_STREQ(text, c.text) << c.x << "," << c.y;
    if (c.part != GRAPH_PART_PLOT) {
      EXPECT_EQ(Readout(c.x, c.y), c.text);
    }
  }
  // The channel is found without a text buffer, and a long name is cut to fit.
  int channel = -1;
  EXPECT_EQ(Graph_HitTest(&app, 230, 10, nullptr, &channel), GRAPH_PART_LEGEND);
  EXPECT_EQ(channel, 2);
  std::memset(app.Channels.Channel[2].szName, 'n', CHANNEL_NAME_LEN - 1);
  char text[GRAPH_HIT_TEXT_LEN + 8];
  std::memset(text, 'x', sizeof text);
  Graph_HitTest(&app, 230, 10, text, nullptr);
  EXPECT_EQ(std::strlen(text), static_cast<size_t>(GRAPH_HIT_TEXT_LEN - 1));
  EXPECT_EQ(text[GRAPH_HIT_TEXT_LEN], 'x');
}

TEST_F(GraphHit, ReadoutOfTheFirstTwoChannels) {
  EXPECT_EQ(Readout(300, 200), "X:50, Y1:5, i:50");
  Fill(1, 100, 0.0);
  app.Channels.Channel[1].pdSamples[50] = -1.0;
  EXPECT_EQ(Readout(300, 200), "X:50, Y1:5, i:50, Y2:-1, i:50");
  Fill(2, 100, 0.0);  // a third channel is never reported
  EXPECT_EQ(Readout(300, 200), "X:50, Y1:5, i:50, Y2:-1, i:50");

  // Channel 0 unreadable: the second channel's values follow the words.
  app.Channels.Channel[0].dXOrigin = 60.0;
  EXPECT_EQ(Readout(300, 200), "Invalid Scaling, Y2:-1, i:50");
  // One sample, or only the index just past the last sample, reads nothing.
  app.Channels.iChannelsInUse = 1;
  app.Channels.Channel[0].dXOrigin = 0.0;
  EXPECT_EQ(Readout(550, 200), "Invalid Scaling");
  app.Channels.Channel[0].iNrOfSamples = 1;
  EXPECT_EQ(Readout(50, 200), "Invalid Scaling");
}

TEST_F(GraphHit, ModeTexts) {
  char text[16];
  const struct {
    int mode;
    const char* text;
  } cases[] = {{EDIT_MODE_SELECT, "Select"}, {EDIT_MODE_POINTS, "Edit Points"}, {7, "mode7??"}, {-2, "mode-2??"}};
  for (const auto& c : cases) {
    Graph_FormatMode(c.mode, text, sizeof text);
    EXPECT_STREQ(text, c.text);
  }
}

TEST_F(GraphHit, PointsAndSelectionsUnderThePixel) {
  int c = 5, i = 7;
  double v = 3.0;
  EXPECT_EQ(Graph_PointAt(&app, 49, 200, &c, &i, &v), 0);  // outside: nothing written
  EXPECT_EQ(c, 5);
  EXPECT_EQ(i, 7);
  c = 42;  // a channel outside 0..7 reads channel 0
  EXPECT_EQ(Graph_PointAt(&app, 300, 20, &c, &i, &v), 1);
  EXPECT_EQ(c, 0);
  EXPECT_EQ(i, 50);
  EXPECT_DOUBLE_EQ(v, 10.0);
  EXPECT_EQ(Graph_PointAt(&app, 550, 420, nullptr, &i, &v), 1);
  EXPECT_EQ(i, 100);  // just past the last sample
  EXPECT_DOUBLE_EQ(v, -10.0);

  // Bounds are stored ordered; invisible slots are never hit.
  Graph_SetSelection(&app, 2, 60.0, 20.0, 5.0, -5.0);
  const GraphSelection& s = app.Graph.Selection[2];
  EXPECT_EQ(s.dX1, 20.0);
  EXPECT_EQ(s.dX2, 60.0);
  EXPECT_EQ(s.dY1, -5.0);
  EXPECT_EQ(s.dY2, 5.0);
  EXPECT_EQ(app.Graph.iViewChanged, 1);
  EXPECT_EQ(Graph_SelectionAt(&app, 200, 220), -1);
  app.Graph.Selection[2].iVisible = 1;
  // x 20..60 is pixels 150..350, values -5..5 are pixels 320..120; edges belong to it.
  EXPECT_EQ(Graph_SelectionAt(&app, 150, 120), 2);
  EXPECT_EQ(Graph_SelectionAt(&app, 350, 320), 2);
  EXPECT_EQ(Graph_SelectionAt(&app, 351, 320), -1);
  EXPECT_EQ(Graph_SelectionAt(&app, 200, 119), -1);
  Graph_SetSelection(&app, 4, 0, 1, 0, 1);  // no such slot
  Graph_SetSelection(&app, -1, 0, 1, 0, 1);
  EXPECT_EQ(s.dX1, 20.0);
}

TEST_F(GraphHit, ScrollPositionsMoveTheViewInsideItsExtent) {
  app.Channels.dXViewMin = 30.0;
  app.Channels.dXViewMax = 55.0;
  app.Channels.Channel[0].dXOrigin = 10.0;  // extent 10 .. 110
  double x0 = 0, x1 = 0;
  GraphScrollState st{0, 1000, 251, 0};
  ASSERT_EQ(Graph_HScrollRange(&app, &st, &x0, &x1), 1);
  EXPECT_DOUBLE_EQ(x0, 10.0);
  EXPECT_DOUBLE_EQ(x1, 35.0);
  st.iPos = 1000 - 251 + 1;  // the last position
  ASSERT_EQ(Graph_HScrollRange(&app, &st, &x0, &x1), 1);
  EXPECT_DOUBLE_EQ(x1, 110.0);
  EXPECT_DOUBLE_EQ(x0, 85.0);
  st.iPos = 375;  // half way
  ASSERT_EQ(Graph_HScrollRange(&app, &st, &x0, &x1), 1);
  EXPECT_DOUBLE_EQ(x0, 10.0 + 75.0 * 0.5);
  GraphScrollState huge{INT_MIN, INT_MAX, 1, INT_MAX};  // the widest range, last position
  ASSERT_EQ(Graph_HScrollRange(&app, &huge, &x0, &x1), 1);
  EXPECT_DOUBLE_EQ(x1, 110.0);
  // A channel whose end overflows: the first position still shows its start.
  app.Channels.Channel[0].dXStep = 1e307;
  GraphScrollState first{0, 1000, 251, 0};
  ASSERT_EQ(Graph_HScrollRange(&app, &first, &x0, &x1), 1);
  EXPECT_DOUBLE_EQ(x0, 10.0);
  EXPECT_DOUBLE_EQ(x1, 35.0);
  app.Channels.Channel[0].dXStep = 1.0;

  // A view wider than the channel shrinks to the channel's extent.
  app.Channels.dXViewMax = 230.0;
  ASSERT_EQ(Graph_HScrollRange(&app, &st, &x0, &x1), 1);
  EXPECT_DOUBLE_EQ(x0, 10.0);
  EXPECT_DOUBLE_EQ(x1, 110.0);

  GraphScrollState empty{5, 5, 1, 5};
  EXPECT_EQ(Graph_HScrollRange(&app, &empty, &x0, &x1), 0);
  app.Graph.iActiveChannel = 8;
  EXPECT_EQ(Graph_HScrollRange(&app, &st, &x0, &x1), 0);
  app.Graph.iActiveChannel = 0;
  app.Channels.dXViewMax = app.Channels.dXViewMin;
  EXPECT_EQ(Graph_HScrollRange(&app, &st, &x0, &x1), 0);

  // Vertical: position 0 shows the top of the data, the last one its bottom,
  // and a full page leaves the view as it is.
  CurveChannel& ch = app.Channels.Channel[0];
  ch.dDataMin = 0.0;
  ch.dDataMax = 10.0;
  ch.dViewMin = 2.0;
  ch.dViewMax = 7.0;
  double y0 = 0, y1 = 0;
  GraphScrollState v{0, 1000, 501, 0};
  ASSERT_EQ(Graph_VScrollRange(&app, &v, &y0, &y1), 1);
  EXPECT_DOUBLE_EQ(y0, 5.0);
  EXPECT_DOUBLE_EQ(y1, 10.0);
  v.iPos = 500;
  ASSERT_EQ(Graph_VScrollRange(&app, &v, &y0, &y1), 1);
  EXPECT_DOUBLE_EQ(y0, 0.0);
  EXPECT_DOUBLE_EQ(y1, 5.0);
  ch.dViewMin = 0.0;
  ch.dViewMax = 10.0;
  GraphScrollState full{0, 1000, 1001, 0};
  ASSERT_EQ(Graph_VScrollRange(&app, &full, &y0, &y1), 1);
  EXPECT_DOUBLE_EQ(y0, 0.0);
  EXPECT_DOUBLE_EQ(y1, 10.0);
  ch.dDataMax = ch.dDataMin;
  EXPECT_EQ(Graph_VScrollRange(&app, &full, &y0, &y1), 0);
}

TEST_F(GraphHit, ZoomStepsStayInsideTheAutoScaledExtent) {
  double lo = 0, hi = 0;
  Graph_XExtent(&app, &lo, &hi);
  EXPECT_EQ(lo, 0.0);
  EXPECT_EQ(hi, 100.0);
  Fill(3, 100, 10.0);
  Graph_XExtent(&app, &lo, &hi);
  EXPECT_EQ(hi, 110.0);

  const struct {
    double viewLo, viewHi, anchor, factor;
    int ok;
    double x0, x1;
  } cases[] = {
      {40, 60, 50, 2.0, 1, 30, 70},      // doubled around the centre
      {0, 20, 10, 2.0, 1, 0, 40},        // pushed right at the origin
      {95, 105, 100, 2.0, 1, 90, 110},   // pushed left at the end
      {10, 90, 50, 2.0, 1, 0, 110},      // never wider than the extent
      {20, 70, 20, 0.8, 1, 20, 60},      // zoom in at the left edge keeps it
      {20, 70, 70, 0.8, 1, 30, 70},      // ... and at the right edge
      {20, 70, 45, 1.25, 1, 13.75, 76.25},
      {-50, -40, -45, 2.0, 1, 0, 20},    // a view outside the extent comes back
      {20, 20, 20, 2.0, 0, 0, 0},        // an empty view is left alone
      {50, 50 + 1e-8, 50, 0.8, 0, 0, 0}, // narrower than a billionth of the extent
  };
  for (const auto& c : cases) {
    app.Channels.dXViewMin = c.viewLo;
    app.Channels.dXViewMax = c.viewHi;
    double x0 = 0, x1 = 0;
    EXPECT_EQ(Graph_ZoomXRange(&app, c.anchor, c.factor, &x0, &x1), c.ok) << c.viewLo << " " << c.factor;
    EXPECT_DOUBLE_EQ(x0, c.x0) << c.viewLo << " " << c.factor;
    EXPECT_DOUBLE_EQ(x1, c.x1) << c.viewLo << " " << c.factor;
  }

  // Without samples the extent is 0 .. 100.
  for (CurveChannel& ch : app.Channels.Channel) ch.iNrOfSamples = 0;
  Graph_XExtent(&app, &lo, &hi);
  EXPECT_EQ(lo, 0.0);
  EXPECT_EQ(hi, 100.0);
}

TEST_F(GraphHit, StoreRunChangesExistingSamplesOnly) {
  History_Init(&app, 1 << 20);
  EXPECT_EQ(Graph_StoreRun(&app, 0, 10, 15, 2.5), 6);
  EXPECT_EQ(Graph_StoreRun(&app, 0, 15, 12, 1.0), 4);
  const double* s = app.Channels.Channel[0].pdSamples;
  EXPECT_EQ(s[9], 0.9);
  EXPECT_EQ(s[12], 1.0);
  EXPECT_EQ(s[15], 1.0);
  EXPECT_EQ(s[10], 2.5);
  EXPECT_EQ(s[16], 1.6);
  EXPECT_EQ(app.iModified, 1);
  EXPECT_EQ(app.Graph.iViewChanged, 1);

  // The index just past the last sample (which the mapping hands out) and
  // anything beyond stores nothing: an edit never appends.
  app.iModified = 0;
  app.Graph.iViewChanged = 0;
  EXPECT_EQ(Graph_EditIndex(&app, 0, 100), -1);
  EXPECT_EQ(Graph_EditIndex(&app, 0, 99), 99);
  EXPECT_EQ(Graph_EditIndex(&app, 9, 3), -1);
  EXPECT_EQ(Graph_StoreRun(&app, 0, 100, 100, 7.0), 0);
  EXPECT_EQ(Graph_StoreRun(&app, 0, 120, 98, 7.0), 2);
  EXPECT_EQ(app.Channels.Channel[0].iNrOfSamples, 100);
  EXPECT_EQ(s[98], 7.0);
  EXPECT_EQ(Graph_StoreRun(&app, 4, 0, 3, 7.0), 0);  // an empty channel stays empty
  EXPECT_EQ(app.Channels.Channel[4].iNrOfSamples, 0);
  EXPECT_EQ(Graph_StoreRun(&app, 8, 0, 3, 7.0), 0);
  // The stores opened a "point edit" step that keeps the old values.
  EXPECT_EQ(History_CanUndo(&app), 1);
  EXPECT_EQ(History_Undo(&app, nullptr, 0, nullptr), 1);
  EXPECT_EQ(s[10], 1.0);
  EXPECT_EQ(s[98], 9.8);
  History_Clear(&app);
}

}  // namespace
