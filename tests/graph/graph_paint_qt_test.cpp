// The diagram drawn into memory canvases: layout of axes and plot, the panel
// strip, the legend, auto-scaling and the double-buffered paint of a window.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "graph/graph.h"
#include "shell/app_state.h"
#include "tests/graph/surfaces.h"
#include "winutil/winapi.h"
#include "winutil/window_utils.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

// The record as start-up leaves it (x view 0 .. 100, a sine in channel 0 with
// the view -1 .. 1), drawn into memory canvases.
struct GraphPaint : ::testing::Test {
  AppState app;                          // the record drawn
  std::unique_ptr<BitmapCanvas> canvas;  // the last drawing
  HDC dc = nullptr;                      // its canvas
  int hQ = 0;                            // height of a line of text on it
  void SetUp() override {
    Win_Init(nullptr, nullptr);
    AppState_InitDefaults(&app);
    ChannelSet_Init(&app.Channels, 16384);
    for (int i = 0; i < 100; ++i) ChannelSet_SetSample(&app.Channels, 0, i, std::sin(i * 0.0628));
    app.Channels.Channel[0].iVisible = 1;
    app.Channels.dXViewMin = 0.0;
    app.Channels.dXViewMax = 100.0;
    SetY(0, -1.0, 1.0);
    std::strcpy(app.Param[0].szParamLetter, "A");
  }
  void TearDown() override {
    canvas.reset();
    ChannelSet_FreeAll(&app.Channels);
  }
  void SetY(int c, double lo, double hi) {
    app.Channels.Channel[c].dViewMin = app.Channels.Channel[c].dDataMin = lo;
    app.Channels.Channel[c].dViewMax = app.Channels.Channel[c].dDataMax = hi;
  }
  // Draws the diagram into a fresh w x h bitmap (black until drawn).
  void Draw(int w, int h) {
    canvas.reset();
    canvas = std::make_unique<BitmapCanvas>(Win_CreateCompatibleBitmap(nullptr, w, h));
    dc = canvas->dc;
    WinUtil_GetTextExtent(dc, "Q", nullptr, &hQ);
    Graph_Draw(&app, dc, w, h);
  }
  COLORREF Px(int x, int y) { return Win_GetPixel(dc, x, y); }
  int Width(const char* text) {
    int w = 0;
    WinUtil_GetTextExtent(dc, text, &w, nullptr);
    return w;
  }
  int CountColour(COLORREF c, const RECT& r) {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += Px(x, y) == c;
    return n;
  }
};

TEST_F(GraphPaint, LayoutPutsAxesAndPlotWhereTheLabelsLeaveRoom) {
  Draw(600, 400);
  // The value axis' end labels of -1 .. 1 (step 0.2) are "-0.8" and "0.8".
  const int W = std::max(Width("-0.8"), Width("0.8"));
  const RECT& plot = app.Graph.rcPlot;
  EXPECT_EQ(plot.left, W + 11);
  EXPECT_EQ(plot.top, GRAPH_LEGEND_HEIGHT);
  EXPECT_EQ(plot.right, 600);
  EXPECT_EQ(plot.bottom, 400 - hQ - 8);
  // The value axis line runs down x = W + 10, its ticks reach 8 pixels left.
  for (int y = plot.top; y < plot.bottom; y += 7) EXPECT_EQ(Px(W + 10, y), kBlack) << y;
  // Over about 360 pixels the step is 0.2: ticks at -0.8 .. 1.0, 8 pixels long
  // (x = W + 2 to W + 10).
  int ticks = 0;
  for (int y = plot.top; y <= plot.bottom; ++y) ticks += Px(W + 2, y) == kBlack && Px(W + 6, y) == kBlack;
  EXPECT_EQ(ticks, 10);
  // The x axis line at h - hQ - 7 and a 5 pixel tick under x = 0.
  const int axisY = 400 - hQ - 7;
  for (int x = plot.left; x < 600; x += 9) EXPECT_EQ(Px(x, axisY), kBlack) << x;
  for (int y = axisY; y < axisY + 5; ++y) EXPECT_EQ(Px(plot.left, y), kBlack) << y;
  EXPECT_NE(Px(plot.left, axisY + 5), kBlack);  // the label's row begins
  EXPECT_GT(400 - CountColour(kWhite, RECT{plot.left - 10, axisY + 5, plot.left + 10, 400}), 0);
  EXPECT_EQ(app.Graph.iPanelShownAtLastPaint, 0);
}

TEST_F(GraphPaint, PanelStripIsWhiteAtEveryPaintAndNarrowAreasDropTheAxis) {
  app.iPanelShown = 1;
  for (int paint = 0; paint < 2; ++paint) {
    Draw(600, 400);
    EXPECT_EQ(app.Graph.iPanelWidth, 80);
    EXPECT_EQ(app.Graph.iPanelEraseRequest, 0);
    EXPECT_EQ(app.Graph.iPanelShownAtLastPaint, 1);
    EXPECT_EQ(Px(40, 300), kWhite) << "paint " << paint;
    EXPECT_EQ(Px(79, 399), kWhite);
    EXPECT_GT(80 * 20 - CountColour(kWhite, RECT{0, 0, 80, 20}), 0);  // the letter "A"
  }
  const int W = std::max(Width("-0.8"), Width("0.8"));
  EXPECT_EQ(app.Graph.rcPlot.left, 80 + W + 11);
  // 120 pixels wide: the panel takes half, the value axis does not fit.
  Draw(120, 300);
  EXPECT_EQ(app.Graph.iPanelWidth, 60);
  EXPECT_EQ(app.Graph.rcPlot.left, 60);
  EXPECT_EQ(Px(60 + W + 10, 100), kWhite);
  // An area of 50 pixels is not drawn; 51 is.
  app.Channels.Channel[0].iVisible = 0;
  Draw(50, 300);
  EXPECT_EQ(app.Graph.rcPlot.right, 50);
  EXPECT_EQ(app.Graph.rcPlot.left, 0);
  EXPECT_EQ(Px(10, 10), kBlack);
  Draw(51, 300);
  EXPECT_EQ(Px(40, 100), kWhite);
}

TEST_F(GraphPaint, LegendBoxesAndTheActiveChannelOnTop) {
  for (int c = 1; c <= 2; ++c) {
    for (int i = 0; i < 100; ++i) ChannelSet_SetSample(&app.Channels, c, i, std::sin(i * 0.0628));
    app.Channels.Channel[c].iVisible = 1;
  }
  app.Channels.Channel[1].iVisible = 0;
  app.Graph.iActiveChannel = 2;
  Draw(600, 400);
  const RECT* box = app.Graph.rcLegend;
  int th = 0;
  WinUtil_GetTextExtent(dc, app.Channels.Channel[0].szName, nullptr, &th);
  EXPECT_EQ(box[0].left, app.Graph.rcPlot.left);
  EXPECT_EQ(box[0].right, box[0].left + Width(app.Channels.Channel[0].szName));
  EXPECT_EQ(box[0].bottom, th + 1);
  EXPECT_EQ(box[1].left | box[1].top | box[1].right | box[1].bottom, 0);  // hidden: no entry
  EXPECT_EQ(box[2].left, box[0].right + 8);
  // The active channel's underline is 3 pixels high, the others' 1.
  const COLORREF c2 = GRAPH_CHANNEL_COLORS[2];
  for (int y : {th, th + 1, th + 2}) EXPECT_EQ(Px(box[2].left + 3, y), c2) << y;
  EXPECT_EQ(Px(box[0].left + 3, th + 1), kBlack);
  EXPECT_NE(Px(box[0].left + 3, th + 2), kBlack);
  // Channels 0 and 2 share their values: the active one is drawn last, on top.
  const RECT& plot = app.Graph.rcPlot;
  EXPECT_GT(CountColour(c2, RECT{plot.left, plot.top, plot.right, plot.bottom}), 100);
  EXPECT_EQ(CountColour(kBlack, RECT{plot.left + 1, plot.top, plot.right, plot.bottom - 1}), 0);
  app.Graph.iActiveChannel = 0;
  Draw(600, 400);
  EXPECT_EQ(CountColour(c2, RECT{plot.left + 1, plot.top, plot.right, plot.bottom - 1}), 0);
  // A visible selection is filled in its colour, scaled by channel 0.
  GraphSelection& s = app.Graph.Selection[1];
  s.iVisible = 1;
  s.iChannel = 3;
  s.dX1 = 10, s.dX2 = 20, s.dY1 = 0.8, s.dY2 = 0.9;
  Draw(600, 400);
  EXPECT_EQ(Px(Graph_XToPixel(&app, 0, 15), Graph_YToPixel(&app, 0, 0.85)), s.crFill);
}

TEST_F(GraphPaint, AutoScaleShowsShortAndConstantChannels) {
  // Channel 1 is half as long as channel 0 and constant.
  for (int i = 0; i < 50; ++i) ChannelSet_SetSample(&app.Channels, 1, i, 5.0);
  app.Channels.Channel[1].iVisible = 1;
  app.Channels.Channel[1].dXOrigin = 10.0;
  double dataMin = app.Channels.Channel[1].dDataMin, dataMax = app.Channels.Channel[1].dDataMax;
  Graph_AutoScale(&app);
  EXPECT_EQ(app.Channels.dXViewMin, 0.0);
  EXPECT_EQ(app.Channels.dXViewMax, 100.0);
  EXPECT_EQ(app.Channels.Channel[1].dViewMin, 4.0);
  EXPECT_EQ(app.Channels.Channel[1].dViewMax, 6.0);
  EXPECT_EQ(app.Channels.Channel[1].dDataMin, dataMin);  // saving still sees the data
  EXPECT_EQ(app.Channels.Channel[1].dDataMax, dataMax);
  // Made active, the constant channel lies in the middle with labelled ticks.
  std::memset(app.Channels.Channel[0].pdSamples, 0, 100 * sizeof(double));
  app.Channels.Channel[0].iNrOfSamples = 0;
  app.Graph.iActiveChannel = 1;
  Graph_AutoScale(&app);
  EXPECT_EQ(app.Channels.dXViewMin, 10.0);
  EXPECT_EQ(app.Channels.dXViewMax, 60.0);
  SetY(0, 4.0, 6.0);  // the scale channel's range is what every curve uses
  Draw(600, 400);
  const RECT& plot = app.Graph.rcPlot;
  int mid = Graph_YToPixel(&app, 1, 5.0);
  EXPECT_NEAR(mid, (plot.top + plot.bottom) / 2, 1);
  EXPECT_EQ(Px((plot.left + plot.right) / 2, mid), GRAPH_CHANNEL_COLORS[1]);
  // The shorter of two channels after auto-scaling is drawn up to its end.
  app.Channels.Channel[0].iNrOfSamples = 100;
  for (int i = 0; i < 100; ++i) app.Channels.Channel[0].pdSamples[i] = 5.5;
  app.Channels.Channel[1].dXOrigin = 0.0;
  app.Graph.iActiveChannel = 0;
  Graph_AutoScale(&app);
  SetY(0, 4.0, 6.0);
  Draw(600, 400);
  EXPECT_EQ(Px(Graph_XToPixel(&app, 1, 49.0) - 1, Graph_YToPixel(&app, 1, 5.0)), GRAPH_CHANNEL_COLORS[1]);
  EXPECT_EQ(Px(Graph_XToPixel(&app, 1, 60.0), Graph_YToPixel(&app, 1, 5.0)), kWhite);
  // Without any samples: x 0 .. 100 and the active channel's data range.
  app.Channels.Channel[0].iNrOfSamples = 0;
  app.Channels.Channel[1].iNrOfSamples = 0;
  SetY(0, -3.0, 3.0);
  Graph_AutoScale(&app);
  EXPECT_EQ(app.Channels.dXViewMax, 100.0);
  EXPECT_EQ(app.Channels.Channel[0].dViewMin, -3.0);
  EXPECT_EQ(Graph_Invalidate(&app, 1), 0);  // no main window: nothing happens
}

TEST_F(GraphPaint, PaintOfAWindowDrawsDoubleBufferedAndKeepsTheRubberBand) {
  app.hwndMain = PlainWindow_Create(WS_OVERLAPPEDWINDOW, 0, 0, 500, 400);
  ASSERT_NE(app.hwndMain, nullptr);
  RECT client{};
  Win_GetClientRect(app.hwndMain, &client);
  app.Graph.iViewChanged = 1;
  app.Graph.iFocusRectShown = 1;
  app.Graph.rcFocus = RECT{200, 100, 300, 200};
  EXPECT_EQ(Graph_Paint(&app, app.hwndMain), 0);
  EXPECT_EQ(app.Graph.iViewChanged, 0);
  EXPECT_EQ(app.Graph.rcPlot.right, client.right);
  EXPECT_EQ(app.Graph.rcPlot.top, GRAPH_LEGEND_HEIGHT);
  HDC screen = Win_GetDC(app.hwndMain);
  EXPECT_EQ(Win_GetPixel(screen, app.Graph.rcPlot.left - 1, 100), kBlack);  // the value axis
  EXPECT_EQ(Win_GetPixel(screen, 200, 100), kBlack);  // the rubber band, inverted white
  EXPECT_EQ(Win_GetPixel(screen, 250, 150), kWhite);
  Win_ReleaseDC(app.hwndMain, screen);
  // Auto-scaling through the repaint request.
  app.Channels.dXViewMax = 7.0;
  EXPECT_EQ(Graph_Invalidate(&app, 1), 1);
  EXPECT_EQ(app.Channels.dXViewMax, 100.0);
  Win_DestroyWindow(app.hwndMain);
}

}  // namespace
