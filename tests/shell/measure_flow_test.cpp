// Measuring in the started editor as a user does it through the toolkit's
// input: stacked lanes by key, the value zoom of Ctrl+wheel and the vertical
// bar in a lane, markers A and B with their differences in the status bar,
// Fit values, Zoom In both axes and the statistics box of a selection.
#include <algorithm>
#include <cmath>
#include <string>

#include "graph/graph_measure.h"
#include "tests/shell/mainwin_fixture.h"

namespace {

std::string s_sBox, s_sCaption;  // the last message box the seam answered

int RecordBox(HWND, const char* text, const char* caption, UINT) {
  s_sBox = text;
  s_sCaption = caption;
  return IDOK;
}

struct MeasureFlow : MainWindowTest {
  void SetUp() override {
    MainWindowTest::SetUp();
    // Beside the start-up sine in channel 0, channel 1 holds 50 + 10 cos over
    // the same 100 samples.
    for (int i = 0; i < 100; ++i) ChannelSet_SetSample(&app.Channels, 1, i, 50.0 + 10.0 * std::cos(0.1 * i));
    app.Channels.Channel[1].iVisible = 1;
    Graph_Invalidate(&app, 1);
    ASSERT_TRUE(RunUntil([this] { return app.Graph.rcPlot.right - app.Graph.rcPlot.left > 200; }));
  }
  POINT LaneCentre(int c) {
    const RECT& r = app.Graph.rcLane[c];
    return POINT{(app.Graph.rcPlot.left + app.Graph.rcPlot.right) / 2, (r.top + r.bottom) / 2};
  }
  void Move(POINT p) {
    WinTest_Mouse(app.hwndMain, WM_MOUSEMOVE, 0, p.x, p.y);
    WinTest_RunFor(10);
  }
  COLORREF ScreenPixel(int x, int y) {
    HDC dc = Win_GetDC(app.hwndMain);
    COLORREF c = Win_GetPixel(dc, x, y);
    Win_ReleaseDC(app.hwndMain, dc);
    return c;
  }
  void Key(int vk) {
    WinTest_PressKey(app.hwndMain, vk, 0);
    WinTest_RunFor(20);
  }
};

TEST_F(MeasureFlow, StackZoomValuesSetMarkersAndReadTheStatus) {
  Key('S');
  EXPECT_EQ(app.Graph.iStacked, 1);
  ASSERT_TRUE(RunUntil([this] { return app.Graph.rcLane[1].bottom > app.Graph.rcLane[1].top; }));
  EXPECT_EQ(Profile_GetInt(SETTINGS_SECTION, SETTINGS_KEY_STACKED, 0, SETTINGS_FILE), 1);
  EXPECT_LT(app.Graph.rcLane[0].bottom, app.Graph.rcLane[1].top);

  // Ctrl + a forward notch over the lower lane zooms channel 1's values only.
  const CurveChannel& c0 = app.Channels.Channel[0];
  const CurveChannel& c1 = app.Channels.Channel[1];
  double span0 = c0.dViewMax - c0.dViewMin, span1 = c1.dViewMax - c1.dViewMin;
  POINT p = LaneCentre(1);
  Move(p);
  double anchor = Graph_PixelToY(&app, 1, p.y), lo1 = c1.dViewMin;
  WinTest_Wheel(app.hwndMain, MK_CONTROL, WHEEL_DELTA, p.x, p.y);
  WinTest_RunFor(20);
  EXPECT_NEAR(c1.dViewMax - c1.dViewMin, span1 / 1.25, 1e-9);
  EXPECT_NEAR(c1.dViewMin, anchor - (anchor - lo1) / 1.25, 1e-9);  // the value under the pointer stays
  EXPECT_EQ(c0.dViewMax - c0.dViewMin, span0);
  EXPECT_EQ(app.Channels.dXViewMax, 100.0);  // the x view stays

  // The lane zoomed became the active channel; the vertical bar then moves its values.
  EXPECT_EQ(app.Graph.iActiveChannel, 1);
  double top = c1.dViewMax;
  WinTest_ScrollAction(app.hwndMain, SB_VERT, SB_TOP, 0);
  WinTest_RunFor(20);
  EXPECT_EQ(c1.dViewMax, c1.dDataMax);
  WinTest_ScrollAction(app.hwndMain, SB_VERT, SB_BOTTOM, 0);
  WinTest_RunFor(20);
  EXPECT_EQ(c1.dViewMin, c1.dDataMin);
  EXPECT_NE(c1.dViewMax, top);

  // Markers at x = 20 and x = 30 (A and B pressed with the pointer there).
  POINT a{Graph_XToPixel(&app, 1, 20.0), p.y}, b{Graph_XToPixel(&app, 1, 30.0), p.y};
  Move(a);
  Key('A');
  EXPECT_EQ(StatusText(STATUS_PART_INFO).rfind("X:", 0), 0u);  // one marker: no differences yet
  Move(b);
  Key('B');
  double xa = app.Graph.dMarkerX[GRAPH_MARKER_A], xb = app.Graph.dMarkerX[GRAPH_MARKER_B];
  EXPECT_NEAR(xa, 20.0, 0.5);
  EXPECT_NEAR(xb, 30.0, 0.5);
  char want[GRAPH_MARKER_TEXT_LEN];
  ASSERT_EQ(Graph_FormatMarkers(&app, want, sizeof want), 1);
  std::string status = StatusText(STATUS_PART_INFO);
  EXPECT_EQ(status.rfind(std::string(want) + " | X:", 0), 0u) << status;
  EXPECT_NE(status.find("\xce\x94y2:"), std::string::npos) << status;  // the active channel's difference
  // Both are drawn as dashed lines from the plot's top; Escape removes them.
  int ax = Graph_XToPixel(&app, 1, xa), y0 = app.Graph.rcPlot.top + 1;
  EXPECT_TRUE(RunUntil([&] { return ScreenPixel(ax, y0) == 0u; }));
  Key(VK_ESCAPE);
  EXPECT_EQ(app.Graph.iMarkers, 0);
  EXPECT_TRUE(RunUntil([&] { return ScreenPixel(ax, y0) == 0xFFFFFFu; }));
  EXPECT_EQ(StatusText(STATUS_PART_INFO).rfind("X:", 0), 0u);

  // Fit values: each lane gets its channel's values in view with 2 % margin.
  Command(IDM_ZOOM_FIT_VALUES);
  double lo = 1e9, hi = -1e9;
  for (int i = 0; i < 100; ++i) lo = std::min(lo, c1.pdSamples[i]), hi = std::max(hi, c1.pdSamples[i]);
  EXPECT_NEAR(c1.dViewMin, lo - 0.02 * (hi - lo), 1e-9);
  EXPECT_NEAR(c1.dViewMax, hi + 0.02 * (hi - lo), 1e-9);

  // Edit Points in a lane edits that lane's channel with its own values.
  Command(IDM_MODE_POINTS);
  POINT e{Graph_XToPixel(&app, 1, 50.2), app.Graph.rcLane[1].top + 10};
  double v = Graph_PixelToY(&app, 1, e.y), before0 = c0.pdSamples[50];
  WinTest_Mouse(app.hwndMain, WM_LBUTTONDOWN, MK_LBUTTON, e.x, e.y);
  WinTest_Mouse(app.hwndMain, WM_LBUTTONUP, 0, e.x, e.y);
  WinTest_RunFor(20);
  EXPECT_EQ(c1.pdSamples[50], v);
  EXPECT_GT(v, 55.0);  // near the top of channel 1's range, not of channel 0's
  EXPECT_EQ(c0.pdSamples[50], before0);
  Command(IDM_MODE_NOTHING);

  // A band in the upper lane: statistics in a box with the program's caption,
  // then Zoom In both axes.
  Win_SetModalSeam(nullptr);
  WinModalSeam seam{};
  seam.pfnMessageBox = RecordBox;
  Win_SetModalSeam(&seam);
  POINT s0 = LaneCentre(0), s1{Graph_XToPixel(&app, 0, 60.0), app.Graph.rcLane[0].top + 5};
  s0.x = Graph_XToPixel(&app, 0, 40.0);
  s0.y = app.Graph.rcLane[0].bottom - 5;
  WinTest_Mouse(app.hwndMain, WM_LBUTTONDOWN, MK_LBUTTON, s0.x, s0.y);
  WinTest_Mouse(app.hwndMain, WM_MOUSEMOVE, MK_LBUTTON, s1.x, s1.y);
  WinTest_ChooseNextPopupItem(IDM_POPUP_STATISTICS);
  WinTest_Mouse(app.hwndMain, WM_LBUTTONUP, 0, s1.x, s1.y);
  ASSERT_TRUE(RunUntil([] { return !s_sBox.empty(); }));
  EXPECT_EQ(s_sCaption, app.szCaption);
  EXPECT_EQ(s_sBox.rfind("Statistics from x = ", 0), 0u) << s_sBox;
  EXPECT_NE(s_sBox.find("\nChannel 1: n="), std::string::npos) << s_sBox;
  EXPECT_NE(s_sBox.find("\nChannel 2: n="), std::string::npos) << s_sBox;
  EXPECT_EQ(app.Graph.iActiveChannel, 0);  // a press in the upper lane made channel 0 active
  const GraphSelection sel = app.Graph.Selection[app.Graph.iCurrentSelection];
  Command(IDM_POPUP_ZOOM_BOTH);
  EXPECT_EQ(app.Channels.dXViewMin, sel.dX1);
  EXPECT_EQ(app.Channels.dXViewMax, sel.dX2);
  EXPECT_EQ(c0.dViewMin, sel.dY1);
  EXPECT_EQ(c0.dViewMax, sel.dY2);
  Command(IDM_ZOOM_OUT_ALL);  // restores the full ranges
  EXPECT_EQ(c1.dViewMin, c1.dDataMin);
  EXPECT_EQ(app.Channels.dXViewMax, 100.0);

  // S again: one diagram as before, and the settings file says so.
  Key('S');
  EXPECT_EQ(app.Graph.iStacked, 0);
  EXPECT_EQ(Profile_GetInt(SETTINGS_SECTION, SETTINGS_KEY_STACKED, 1, SETTINGS_FILE), 0);
}

// The pointer rests over the plot: a tooltip lists both channels at the
// pointer's x; it follows the pointer and goes when the pointer leaves the plot.
TEST_F(MeasureFlow, RestingPointerShowsTheReadoutOfEveryChannel) {
  char text[512];
  POINT p{Graph_XToPixel(&app, 0, 25.0), (app.Graph.rcPlot.top + app.Graph.rcPlot.bottom) / 2};
  Move(p);
  EXPECT_EQ(WinTest_TipText(text, sizeof text), 0);  // not before the pointer rested
  ASSERT_TRUE(RunUntil([&] { return WinTest_TipText(text, sizeof text) == 3; }));
  GraphTip want;
  ASSERT_EQ(Graph_FormatTip(&app, p.x, p.y, &want), 3);
  EXPECT_EQ(std::string(text), std::string(want.szLine[0]) + "\n" + want.szLine[1] + "\n" + want.szLine[2]);
  EXPECT_EQ(std::string(want.szLine[1]).rfind("Channel 1: ", 0), 0u) << want.szLine[1];
  EXPECT_EQ(std::string(want.szLine[2]).rfind("Channel 2: ", 0), 0u) << want.szLine[2];
  POINT q{Graph_XToPixel(&app, 0, 75.0), p.y};
  Move(q);  // follows at once
  WinTest_TipText(text, sizeof text);
  EXPECT_EQ(std::string(text).rfind("x: 75", 0), 0u) << text;
  Move(POINT{q.x, app.Graph.rcPlot.top - 5});  // over the legend
  EXPECT_EQ(WinTest_TipText(text, sizeof text), 0);
  EXPECT_EQ(app.Graph.iTipShown, 0);
}

}  // namespace
