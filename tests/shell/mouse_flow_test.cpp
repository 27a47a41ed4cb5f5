// The diagram's mouse, wheel and scroll handling in the started editor:
// whole user flows through mouse messages with packed coordinates, and
// through the toolkit's own input events.
#include <cmath>
#include <string>

#include "tests/shell/mainwin_fixture.h"

namespace {

int s_iPrompts;  // save-changes prompts answered by the test seam

struct MouseFlow : MainWindowTest {
  void SetUp() override {
    MainWindowTest::SetUp();
    // The first paint lays out the plot area; a busy machine may delay it.
    RunUntil([this] { return app.Graph.rcPlot.right - app.Graph.rcPlot.left > 200; });
    ASSERT_GT(app.Graph.rcPlot.right - app.Graph.rcPlot.left, 200);
  }
  // The client pixel of x value x and sample value v (channel 0's scale).
  POINT At(double x, double v) { return POINT{Graph_XToPixel(&app, 0, x), Graph_YToPixel(&app, 0, v)}; }
  void Mouse(UINT msg, int keys, POINT p) {
    Win_SendMessage(app.hwndMain, msg, static_cast<WPARAM>(keys), MAKELONG(p.x, p.y));
  }
  // x value width of one pixel of the plot.
  double PixelWidth() {
    return (app.Channels.dXViewMax - app.Channels.dXViewMin) / (app.Graph.rcPlot.right - app.Graph.rcPlot.left);
  }
  COLORREF ScreenPixel(int x, int y) {
    HDC dc = Win_GetDC(app.hwndMain);
    COLORREF c = Win_GetPixel(dc, x, y);
    Win_ReleaseDC(app.hwndMain, dc);
    return c;
  }
  double Sample(int i) { return app.Channels.Channel[0].pdSamples[i]; }
};

TEST_F(MouseFlow, RubberBandZoomsInThroughThePopupAndOutAgain) {
  POINT a = At(60.5, -0.5), b = At(20.5, 0.5);  // dragged from lower right to upper left
  Mouse(WM_MOUSEMOVE, 0, a);
  EXPECT_EQ(StatusText(STATUS_PART_POSITION), "\t" + std::to_string(a.x) + "," + std::to_string(a.y));
  EXPECT_EQ(StatusText(STATUS_PART_INFO).rfind("X:60", 0), 0u) << StatusText(STATUS_PART_INFO);
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, a);
  Mouse(WM_MOUSEMOVE, MK_LBUTTON, b);
  EXPECT_EQ(app.Graph.iFocusRectShown, 1);
  EXPECT_EQ(app.Graph.rcFocus.left, b.x);
  EXPECT_EQ(app.Graph.rcFocus.top, b.y);
  EXPECT_EQ(app.Graph.rcFocus.right, a.x);
  EXPECT_EQ(app.Graph.rcFocus.bottom, a.y);

  WinTest_ChooseNextPopupItem(IDM_POPUP_ZOOM_IN);
  Mouse(WM_LBUTTONUP, 0, b);
  EXPECT_EQ(app.Graph.iFocusRectShown, 0);
  EXPECT_EQ(app.Graph.iBandDragging, 0);
  const GraphSelection s = app.Graph.Selection[0];
  EXPECT_NEAR(s.dX1, 20.5, PixelWidth());
  EXPECT_NEAR(s.dX2, 60.5, PixelWidth());
  EXPECT_NEAR(s.dY1, -0.5, 0.02);
  EXPECT_NEAR(s.dY2, 0.5, 0.02);
  WinTest_RunFor(20);  // the popup's command arrives through the queue
  EXPECT_EQ(app.Channels.dXViewMin, s.dX1);
  EXPECT_EQ(app.Channels.dXViewMax, s.dX2);
  EXPECT_EQ(app.Channels.Channel[0].dViewMin, s.dY1);
  EXPECT_EQ(app.Channels.Channel[0].dViewMax, s.dY2);
  EXPECT_EQ(app.Graph.Selection[0].iVisible, 0);  // hidden while zoomed into

  // Out by 50 %: twice the width around the same centre; the values stay.
  double centre = (s.dX1 + s.dX2) / 2, width = s.dX2 - s.dX1;
  Command(IDM_ZOOM_OUT_HALF);
  EXPECT_NEAR(app.Channels.dXViewMin, centre - width, 1e-9);
  EXPECT_NEAR(app.Channels.dXViewMax, centre + width, 1e-9);
  EXPECT_EQ(app.Channels.Channel[0].dViewMax, s.dY2);
  Command(IDM_ZOOM_OUT_HALF);  // wider than the data: the whole extent
  EXPECT_EQ(app.Channels.dXViewMin, 0.0);
  EXPECT_EQ(app.Channels.dXViewMax, 100.0);

  Command(IDM_ZOOM_SELECTION);  // the hidden selection is still current and valid
  EXPECT_EQ(app.Channels.dXViewMin, s.dX1);
  Command(IDM_ZOOM_OUT_ALL);
  EXPECT_EQ(app.Channels.dXViewMin, 0.0);
  EXPECT_EQ(app.Channels.dXViewMax, 100.0);
  EXPECT_EQ(app.Channels.Channel[0].dViewMin, app.Channels.Channel[0].dDataMin);
  EXPECT_EQ(app.Channels.Channel[0].dViewMax, app.Channels.Channel[0].dDataMax);
  EXPECT_EQ(app.Graph.Selection[0].iVisible, 1);
}

TEST_F(MouseFlow, PointsModeDragSetsTheSamplesPassedOver) {
  Command(IDM_MODE_POINTS);
  EXPECT_EQ(StatusText(STATUS_PART_MODE), "Edit Points");
  Graph_SetView(&app, 0, 0.0, 100.0, 0.0, 5.0);
  WinTest_RunFor(20);
  POINT p10 = At(10.5, 2.5), p15 = At(15.5, 2.5), p12 = At(12.5, 1.0);
  double high = 0, low = 0;
  int c = 0, i = -1;
  ASSERT_TRUE(Graph_PointAt(&app, p15.x, p15.y, &c, &i, &high));
  ASSERT_EQ(i, 15);
  ASSERT_TRUE(Graph_PointAt(&app, p12.x, p12.y, &c, &i, &low));
  ASSERT_EQ(i, 12);
  EXPECT_NEAR(high, 2.5, 0.02);
  EXPECT_NEAR(low, 1.0, 0.02);
  const double before9 = Sample(9), before16 = Sample(16), before14 = Sample(14);

  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, p10);
  Mouse(WM_MOUSEMOVE, MK_LBUTTON, p15);
  for (int k = 10; k <= 15; ++k) EXPECT_EQ(Sample(k), high) << k;
  Mouse(WM_MOUSEMOVE, MK_LBUTTON, p12);
  for (int k = 12; k <= 15; ++k) EXPECT_EQ(Sample(k), low) << k;
  EXPECT_EQ(Sample(10), high);
  EXPECT_EQ(Sample(11), high);
  EXPECT_EQ(Sample(9), before9);
  EXPECT_EQ(Sample(16), before16);
  EXPECT_EQ(app.iModified, 1);

  // Beyond the last sample (the right edge is x = 100, one past sample 99)
  // nothing is stored and nothing appended; the chain starts again after it.
  Mouse(WM_MOUSEMOVE, MK_LBUTTON, At(100.0, 4.0));
  EXPECT_EQ(app.Channels.Channel[0].iNrOfSamples, 100);
  EXPECT_EQ(app.Graph.iLastEditIndex, -1);
  Mouse(WM_MOUSEMOVE, MK_LBUTTON, At(99.5, 4.0));
  EXPECT_EQ(app.Channels.Channel[0].iNrOfSamples, 100);
  EXPECT_NE(Sample(98), Sample(99));
  Mouse(WM_LBUTTONUP, 0, At(99.5, 4.0));
  EXPECT_EQ(app.Graph.iLastEditIndex, -1);

  // The edits count as unsaved work: closing asks first (cancelled here).
  WinModalSeam seam{};
  seam.pfnMessageBox = [](HWND, const char*, const char*, UINT) {
    ++s_iPrompts;
    return IDCANCEL;
  };
  Win_SetModalSeam(&seam);
  WinTest_ClickClose(app.hwndMain);
  WinTest_RunFor(10);
  EXPECT_EQ(s_iPrompts, 1);
  ASSERT_TRUE(Win_IsWindow(app.hwndMain));

  // Each stroke, press to release, is one step: Undo takes back the last
  // one only, the next Undo the one before, bit for bit.
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, At(30.5, 3.0));
  Mouse(WM_LBUTTONUP, 0, At(30.5, 3.0));
  const double edited14 = Sample(14);
  ASSERT_NE(Sample(30), std::sin(3.0));
  Command(IDM_UNDO);
  EXPECT_EQ(Sample(30), std::sin(3.0));
  EXPECT_EQ(Sample(14), edited14);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Undone: point edit");
  Command(IDM_UNDO);
  EXPECT_EQ(Sample(14), before14);
  for (int k = 0; k < 100; ++k) EXPECT_EQ(Sample(k), std::sin(0.1 * k)) << k;
  EXPECT_EQ(app.iModified, 0);  // back at the state of the start
}

TEST_F(MouseFlow, ClicksOnSelectionsAndTheLegend) {
  // A press and release at one pixel stores an empty band: visible, ignored
  // by the zoom, and no popup (an armed choice would zoom out).
  POINT p = At(40.5, 0.0);
  WinTest_ChooseNextPopupItem(IDM_POPUP_ZOOM_OUT);
  Mouse(WM_LBUTTONDOWN, MK_LBUTTON, p);
  Mouse(WM_LBUTTONUP, 0, p);
  Graph_SetView(&app, 0, 10.0, 90.0, -1.0, 1.0);
  WinTest_RunFor(20);
  EXPECT_EQ(app.Channels.dXViewMin, 10.0);
  EXPECT_EQ(app.Graph.Selection[0].iVisible, 1);
  EXPECT_EQ(app.Graph.Selection[0].dX1, app.Graph.Selection[0].dX2);
  Command(IDM_ZOOM_SELECTION);
  EXPECT_EQ(app.Channels.dXViewMin, 10.0);
  WinTest_ChooseNextPopupItem(0);  // disarm

  // A right click inside the visible selection in slot 2 makes it current and
  // opens the popup; "Hide" hides it.  Outside every selection nothing happens.
  Graph_SetSelection(&app, 2, 50.0, 70.0, -0.5, 0.5);
  app.Graph.Selection[2].iVisible = 1;
  WinTest_ChooseNextPopupItem(IDM_POPUP_HIDE);
  Mouse(WM_RBUTTONUP, 0, At(60.0, 0.0));
  WinTest_RunFor(20);
  EXPECT_EQ(app.Graph.iCurrentSelection, 2);
  EXPECT_EQ(app.Graph.Selection[2].iVisible, 0);
  Mouse(WM_RBUTTONUP, 0, At(60.0, 0.0));  // hidden now: not hit
  EXPECT_EQ(app.Graph.iCurrentSelection, 2);

  // "Switch to next selection" wraps from slot 3 to 0, and -1 goes to 0.
  Command(IDM_POPUP_NEXT);
  EXPECT_EQ(app.Graph.iCurrentSelection, 3);
  Command(IDM_POPUP_NEXT);
  EXPECT_EQ(app.Graph.iCurrentSelection, 0);
  app.Graph.iCurrentSelection = -1;
  Command(IDM_POPUP_NEXT);
  EXPECT_EQ(app.Graph.iCurrentSelection, 0);

  // A click on the second channel's legend entry makes it active.
  for (int i = 0; i < 50; ++i) ChannelSet_SetSample(&app.Channels, 1, i, 0.5);
  app.Channels.Channel[1].iVisible = 1;
  Win_InvalidateRect(app.hwndMain, nullptr, 0);
  WinTest_RunFor(20);
  const RECT& box = app.Graph.rcLegend[1];
  ASSERT_LT(box.left, box.right);
  POINT entry{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
  Mouse(WM_MOUSEMOVE, 0, entry);
  EXPECT_EQ(StatusText(STATUS_PART_INFO), std::string("Legend:") + app.Channels.Channel[1].szName);
  Mouse(WM_LBUTTONUP, 0, entry);
  EXPECT_EQ(app.Graph.iActiveChannel, 1);
}

TEST_F(MouseFlow, ScrollBarsMoveTheViewWithinTheData) {
  Graph_SetView(&app, 0, 20.0, 45.0, -0.5, 0.5);
  WinTest_ScrollAction(app.hwndMain, SB_HORZ, SB_LEFT, 0);
  WinTest_RunFor(20);
  EXPECT_EQ(app.Channels.dXViewMin, 0.0);
  EXPECT_EQ(app.Channels.dXViewMax, 25.0);
  WinTest_ScrollAction(app.hwndMain, SB_HORZ, SB_RIGHT, 0);
  WinTest_RunFor(20);
  EXPECT_EQ(app.Channels.dXViewMax, 100.0);
  EXPECT_EQ(app.Channels.dXViewMin, 75.0);

  // Vertical: the top position shows the top of the data; a view as high as
  // the data stays as it is.
  const CurveChannel& ch = app.Channels.Channel[0];
  WinTest_ScrollAction(app.hwndMain, SB_VERT, SB_TOP, 0);
  WinTest_RunFor(20);
  EXPECT_EQ(ch.dViewMax, ch.dDataMax);
  EXPECT_DOUBLE_EQ(ch.dViewMax - ch.dViewMin, 1.0);
  Graph_SetView(&app, 0, 0.0, 100.0, ch.dDataMin, ch.dDataMax);
  WinTest_ScrollAction(app.hwndMain, SB_VERT, SB_LINEDOWN, 0);
  WinTest_RunFor(20);
  EXPECT_EQ(ch.dViewMin, ch.dDataMin);
  EXPECT_EQ(ch.dViewMax, ch.dDataMax);
}

// The same gestures as the user makes them: presses, moves and wheel turns
// on the drawing area through the toolkit's input events.
TEST_F(MouseFlow, UserSelectsZoomsWithTheWheelAndScrolls) {
  POINT a = At(30.5, 0.5), b = At(70.5, -0.5);
  WinTest_Mouse(app.hwndMain, WM_MOUSEMOVE, 0, a.x, a.y);
  WinTest_Mouse(app.hwndMain, WM_LBUTTONDOWN, MK_LBUTTON, a.x, a.y);
  // The band's dotted outline inverts every other pixel of its edge on the screen.
  int edge = a.x + ((a.x + a.y) & 1);
  COLORREF before = ScreenPixel(edge, a.y);
  WinTest_Mouse(app.hwndMain, WM_MOUSEMOVE, MK_LBUTTON, b.x, b.y);
  WinTest_RunFor(10);
  EXPECT_EQ(app.Graph.iFocusRectShown, 1);
  EXPECT_EQ(ScreenPixel(edge, a.y), before ^ 0xFFFFFFu);
  WinTest_ChooseNextPopupItem(IDM_POPUP_ZOOM_IN);
  WinTest_Mouse(app.hwndMain, WM_LBUTTONUP, 0, b.x, b.y);
  WinTest_RunFor(20);
  EXPECT_NEAR(app.Channels.dXViewMin, 30.5, 0.5);
  EXPECT_NEAR(app.Channels.dXViewMax, 70.5, 0.5);
  EXPECT_EQ(StatusText(STATUS_PART_POSITION), "\t" + std::to_string(b.x) + "," + std::to_string(b.y));

  // A forward notch zooms in by 1.25 around the x under the pointer, a
  // backward notch zooms out again.
  Command(IDM_ZOOM_OUT_ALL);
  WinTest_RunFor(20);
  POINT w = At(25.0, 0.0);
  double anchor = Graph_PixelToX(&app, 0, w.x);
  WinTest_Wheel(app.hwndMain, 0, WHEEL_DELTA, w.x, w.y);
  WinTest_RunFor(20);
  EXPECT_NEAR(app.Channels.dXViewMax - app.Channels.dXViewMin, 80.0, 1e-9);
  EXPECT_NEAR(app.Channels.dXViewMin, anchor - anchor / 1.25, 1e-9);
  WinTest_Wheel(app.hwndMain, 0, 2 * WHEEL_DELTA, w.x, w.y);
  WinTest_RunFor(20);
  EXPECT_NEAR(app.Channels.dXViewMax - app.Channels.dXViewMin, 80.0 / 1.5625, 1e-9);
  double left = app.Channels.dXViewMin, width = app.Channels.dXViewMax - left;

  // Shift + wheel moves sideways by a tenth of the width per notch.
  WinTest_Wheel(app.hwndMain, MK_SHIFT, -WHEEL_DELTA, w.x, w.y);
  WinTest_RunFor(20);
  EXPECT_NEAR(app.Channels.dXViewMin, left + width / 10, 1e-9);
  EXPECT_NEAR(app.Channels.dXViewMax - app.Channels.dXViewMin, width, 1e-9);
  WinTest_Wheel(app.hwndMain, MK_SHIFT, WHEEL_DELTA, w.x, w.y);
  WinTest_RunFor(20);
  EXPECT_NEAR(app.Channels.dXViewMin, left, 1e-9);

  // Backward notches zoom out up to the whole extent and no further.
  WinTest_Wheel(app.hwndMain, 0, -10 * WHEEL_DELTA, w.x, w.y);
  WinTest_RunFor(20);
  EXPECT_EQ(app.Channels.dXViewMin, 0.0);
  EXPECT_EQ(app.Channels.dXViewMax, 100.0);
  // Over the legend the wheel does not zoom.
  WinTest_Wheel(app.hwndMain, 0, WHEEL_DELTA, w.x, app.Graph.rcPlot.top - 5);
  WinTest_RunFor(20);
  EXPECT_EQ(app.Channels.dXViewMax, 100.0);
}

}  // namespace
