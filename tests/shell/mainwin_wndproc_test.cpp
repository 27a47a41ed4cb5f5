// The main window's procedure and dispatcher as the user drives them: the
// "Modified" indicator, the channel toggles, the keys without an operation,
// Escape, and a window of the class that has no record.
#include <string>

#include "tests/shell/mainwin_fixture.h"

namespace {

using MainWndProc = MainWindowTest;

TEST_F(MainWndProc, ModePartNamesTheModeFromTheStart) {
  EXPECT_EQ(StatusText(STATUS_PART_MODE), "Select");
  Win_SendMessage(app.hwndMain, WM_COMMAND, IDM_MODE_POINTS, 0);
  EXPECT_EQ(StatusText(STATUS_PART_MODE), "Edit Points");
}

TEST_F(MainWndProc, ModifiedIndicatorFollowsTheFlagOnTheTimer) {
  auto shows = [this](const char* text) { return RunUntil([&] { return StatusText(STATUS_PART_INFO) == text; }); };
  EXPECT_TRUE(shows(""));
  app.iModified = 1;
  EXPECT_TRUE(shows("Modified"));
  // Between changes the part keeps what others wrote into it.
  WinUtil_SetStatusText(app.hwndStatus, STATUS_PART_INFO, 0, "x=1");
  WinTest_RunFor(250);
  EXPECT_EQ(StatusText(STATUS_PART_INFO), "x=1");
  app.iModified = 0;
  EXPECT_TRUE(shows(""));
}

TEST_F(MainWndProc, ChannelCommandsToggleVisibilityEvenForUnusedChannels) {
  ASSERT_EQ(app.Channels.iChannelsInUse, 1);
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    int before = app.Channels.Channel[c].iVisible;
    app.Graph.iViewChanged = 0;
    Command(IDM_CHANNEL_FIRST + c);
    EXPECT_EQ(app.Channels.Channel[c].iVisible, before ^ 1) << c;
  }
  // Channel 8 was switched on while unused; the menu shows it once it is in use.
  ChannelSet_SetSample(&app.Channels, 7, 0, 1.0);
  Win_SendMessage(app.hwndMain, WM_INITMENU, 0, 0);
  EXPECT_EQ(Win_GetMenuState(app.hChannelMenu, 107, MF_BYCOMMAND), static_cast<int>(MF_CHECKED));
  EXPECT_EQ(Win_GetMenuState(app.hChannelMenu, 100, MF_BYCOMMAND), 0);  // channel 1 now hidden
}

TEST_F(MainWndProc, KeysAndCommandsWithoutAnOperationChangeNothing) {
  int visible = app.Channels.Channel[0].iVisible;
  double xmin = app.Channels.dXViewMin, xmax = app.Channels.dXViewMax;
  WinTest_PressKey(app.hwndMain, VK_F9, 0);
  WinTest_PressKey(app.hwndMain, VK_F7, 0);
  WinTest_PressKey(app.hwndMain, VK_F2, 0);
  WinTest_PressKey(app.hwndMain, VK_ESCAPE, 0);
  WinTest_RunFor(20);
  for (int id : {0, IDM_ACCEL_F9, IDM_ACCEL_F7, IDM_ACCEL_F2, 99, 108, 500, 60000}) Command(id);
  EXPECT_TRUE(Win_IsWindow(app.hwndMain));
  EXPECT_EQ(app.Channels.Channel[0].iVisible, visible);
  EXPECT_EQ(app.Channels.dXViewMin, xmin);
  EXPECT_EQ(app.Channels.dXViewMax, xmax);
  EXPECT_EQ(app.Channels.iChannelsInUse, 1);
  EXPECT_EQ(PlotWin_OnCommand(nullptr, 0, IDM_CHANNEL_FIRST, nullptr), 0);
  EXPECT_EQ(PlotWin_OnKeyDown(&app, app.hwndMain, 'A', 0), 0);
}

TEST_F(MainWndProc, EscapeGivesTheFocusToTheParent) {
  PlotWin_ShowPanel(&app, 1);
  Win_SetFocus(app.hwndOk);
  WinTest_RunFor(20);
  ASSERT_EQ(Win_GetFocus(), app.hwndOk);
  EXPECT_EQ(PlotWin_OnKeyDown(&app, app.hwndOk, VK_ESCAPE, 0), 0);
  WinTest_RunFor(20);
  EXPECT_EQ(Win_GetFocus(), app.hwndMain);
  EXPECT_EQ(PlotWin_OnKeyDown(&app, app.hwndMain, VK_ESCAPE, 0), 0);  // no owner: nothing
}

TEST_F(MainWndProc, WindowWithoutARecordGetsDefaultsAndCloses) {
  HWND other = Win_CreateWindow(0, PLOTWIN_CLASS_NAME, "other", WS_OVERLAPPEDWINDOW | WS_VSCROLL, 0, 0, 300, 200,
                                nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(other, nullptr);
  ASSERT_EQ(Graph_FromWindow(other), nullptr);
  app.iModified = 1;  // the record's prompt must not be asked for the other window
  EXPECT_EQ(Win_SendMessage(other, WM_COMMAND, IDM_CHANNEL_FIRST, 0), 0);
  EXPECT_EQ(app.Channels.Channel[0].iVisible, 1);
  EXPECT_EQ(Win_SendMessage(other, WM_PAINT, 0, 0), 0);
  EXPECT_EQ(Win_SendMessage(other, WM_ERASEBKGND, 0, 0), 1);
  EXPECT_EQ(Win_SendMessage(other, WM_KEYDOWN, VK_ESCAPE, 0), 0);
  EXPECT_EQ(Win_SendMessage(other, WM_VSCROLL, SB_LINEDOWN, 0), 0);
  EXPECT_EQ(Win_SendMessage(other, WM_HSCROLL, SB_LINEDOWN, 0), 0);
  EXPECT_EQ(Win_SendMessage(other, WM_SIZE, 0, MAKELONG(300, 200)), 0);
  EXPECT_EQ(Win_SendMessage(other, WM_INITMENU, 0, 0), 0);
  EXPECT_EQ(Win_SendMessage(other, WM_MOUSEMOVE, 0, MAKELONG(10, 10)), 0);
  EXPECT_EQ(Win_SendMessage(other, WM_LBUTTONUP, 0, MAKELONG(10, 10)), 0);
  WinTest_RunFor(150);  // its timer ticks without a record
  EXPECT_EQ(Win_SendMessage(other, WM_CLOSE, 0, 0), 0);
  EXPECT_FALSE(Win_IsWindow(other));
  EXPECT_TRUE(Win_IsWindow(app.hwndMain));
  app.iModified = 0;
}

}  // namespace
