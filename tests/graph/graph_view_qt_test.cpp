// Setting the view: both scroll bars of a real window follow it, changes are
// flagged, and the window-to-record table finds only live records.

#include <gtest/gtest.h>

#include "graph/graph.h"
#include "shell/app_state.h"
#include "tests/graph/surfaces.h"
#include "winutil/winapi.h"

namespace {

// A record with a real main window that has both scroll bars.
struct GraphView : ::testing::Test {
  AppState app;  // registered in slot 0 for the test
  void SetUp() override {
    AppState_InitDefaults(&app);
    ChannelSet_Init(&app.Channels, 16384);
    app.hwndMain = PlainWindow_Create(WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL, 10, 10, 500, 400);
    ASSERT_NE(app.hwndMain, nullptr);
    PlotWin_Instances[0] = &app;
  }
  void TearDown() override {
    PlotWin_Instances[0] = nullptr;
    Win_DestroyWindow(app.hwndMain);
    ChannelSet_FreeAll(&app.Channels);
  }
  SCROLLINFO Bar(int bar) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    EXPECT_TRUE(Win_GetScrollInfo(app.hwndMain, bar, &si));
    return si;
  }
  void Fill(int c, int n) {
    for (int i = 0; i < n; ++i) ChannelSet_SetSample(&app.Channels, c, i, i % 11);
  }
};

TEST_F(GraphView, HorizontalBarFollowsTheActiveChannel) {
  Fill(0, 1000);
  Graph_SetView(&app, 0, 250.0, 500.0, 0.0, 10.0);
  SCROLLINFO h = Bar(SB_HORZ);
  EXPECT_EQ(h.nMin, 0);
  EXPECT_EQ(h.nMax, 1000);
  EXPECT_EQ(h.nPage, 251u);
  EXPECT_EQ(h.nPos, 250);
  Graph_SetView(&app, 0, 0.0, 1000.0, 0.0, 10.0);
  h = Bar(SB_HORZ);
  EXPECT_EQ(h.nPage, 1001u);
  EXPECT_EQ(h.nPos, 0);

  // The bar describes the active channel, not the channel given.
  Fill(2, 100);
  app.Graph.iActiveChannel = 2;
  Graph_SetView(&app, 0, 0.0, 50.0, 0.0, 10.0);
  EXPECT_EQ(Bar(SB_HORZ).nPage, 501u);
  app.Graph.iActiveChannel = 42;  // outside 0..7 counts as channel 0
  Graph_SetView(&app, 0, 0.0, 50.0, 0.0, 10.0);
  EXPECT_EQ(Bar(SB_HORZ).nPage, 51u);
}

TEST_F(GraphView, VerticalBarShowsHighValuesAtTheTop) {
  Fill(0, 20);
  CurveChannel& ch = app.Channels.Channel[0];
  ch.dDataMin = 0.0;
  ch.dDataMax = 10.0;
  Graph_SetView(&app, 0, 0.0, 20.0, 5.0, 10.0);
  SCROLLINFO v = Bar(SB_VERT);
  EXPECT_EQ(v.nPage, 501u);
  EXPECT_EQ(v.nPos, 0);
  Graph_SetView(&app, 0, 0.0, 20.0, 0.0, 5.0);
  v = Bar(SB_VERT);
  EXPECT_EQ(v.nPos, 500);
  EXPECT_EQ(ch.dViewMin, 0.0);
  EXPECT_EQ(ch.dViewMax, 5.0);
}

TEST_F(GraphView, ChangesAreFlaggedAndBarsSetOnlyWhenDifferent) {
  Fill(0, 1000);
  app.Graph.iViewChanged = 0;
  Graph_SetView(&app, 0, 250.0, 500.0, 0.0, 10.0);
  EXPECT_EQ(app.Graph.iViewChanged, 1);
  app.Graph.iViewChanged = 0;
  // Give the bar a range that Graph_SetView would never set, with the same
  // page and position: an unchanged view must leave it alone.
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE;
  si.nMin = 0;
  si.nMax = 900;
  Win_SetScrollInfo(app.hwndMain, SB_HORZ, &si, 0);
  Graph_SetView(&app, 0, 250.0, 500.0, 0.0, 10.0);
  EXPECT_EQ(app.Graph.iViewChanged, 0);
  EXPECT_EQ(Bar(SB_HORZ).nMax, 900);
  // A changed view sets range, page and position together.
  Graph_SetView(&app, 0, 300.0, 550.0, 0.0, 10.0);
  EXPECT_EQ(app.Graph.iViewChanged, 1);
  EXPECT_EQ(Bar(SB_HORZ).nMax, 1000);
  EXPECT_EQ(Bar(SB_HORZ).nPos, 300);
}

TEST_F(GraphView, BadChannelOrRecordChangesNothing) {
  app.Graph.iViewChanged = 0;
  Graph_SetView(&app, 8, 1.0, 2.0, 3.0, 4.0);
  Graph_SetView(&app, -1, 1.0, 2.0, 3.0, 4.0);
  Graph_SetView(nullptr, 0, 1.0, 2.0, 3.0, 4.0);
  EXPECT_EQ(app.Graph.iViewChanged, 0);
  EXPECT_EQ(app.Channels.dXViewMax, 0.0);
}

TEST_F(GraphView, NonNumbersInTheViewKeepTheBarsDefined) {
  Fill(0, 100);
  const double nan = 0.0 / 0.0;
  Graph_SetView(&app, 0, nan, 1e308, -1e308, nan);
  SCROLLINFO h = Bar(SB_HORZ), v = Bar(SB_VERT);
  EXPECT_GE(h.nPos, 0);
  EXPECT_LE(h.nPos, 1000);
  EXPECT_GE(v.nPage, 1u);
  EXPECT_LE(v.nPage, 1001u);
}

TEST_F(GraphView, FromWindowFindsOnlyRegisteredLiveRecords) {
  EXPECT_EQ(Graph_FromWindow(app.hwndMain), &app);
  EXPECT_EQ(Graph_FromWindow(nullptr), nullptr);
  AppState other;
  AppState_InitDefaults(&other);
  PlotWin_Instances[2] = &other;
  other.hwndMain = reinterpret_cast<HWND>(0x1234);
  EXPECT_EQ(Graph_FromWindow(reinterpret_cast<HWND>(0x1234)), &other);
  PlotWin_Instances[2] = nullptr;
  EXPECT_EQ(Graph_FromWindow(reinterpret_cast<HWND>(0x1234)), nullptr);
}

}  // namespace
