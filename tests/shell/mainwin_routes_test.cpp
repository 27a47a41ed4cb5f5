// Every route of the main window's procedure and every command of its
// dispatcher, driven as a user drives them: mouse, wheel, scroll bars, menus,
// panel buttons, dropped files and the close prompt (answered through the
// modal seam).
#include <cmath>
#include <string>
#include <vector>

#include "tests/shell/mainwin_fixture.h"

namespace {

// What the message boxes were asked, and the answer they give.
std::vector<std::string> g_boxes;
int g_boxAnswer;
int g_fileDialogs;

int BoxSeam(HWND, const char* text, const char*, UINT) {
  g_boxes.push_back(text);
  return g_boxAnswer;
}
int FileSeam(int, OPENFILENAMEA*) {
  ++g_fileDialogs;
  return 0;  // cancelled
}

struct MainRoutes : MainWindowTest {
  void SetUp() override {
    MainWindowTest::SetUp();
    g_boxes.clear();
    g_boxAnswer = IDCANCEL;
    g_fileDialogs = 0;
    WinModalSeam seam{};
    seam.pfnMessageBox = BoxSeam;
    seam.pfnFileDialog = FileSeam;
    Win_SetModalSeam(&seam);
    // The first paint lays out the plot.
    ASSERT_TRUE(RunUntil([this] { return app.Graph.rcPlot.right - app.Graph.rcPlot.left > 100; }));
  }
  POINT PlotCentre() const {
    const RECT& r = app.Graph.rcPlot;
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  // Drags a rubber band over the plot with the left button; the selection
  // popup that opens at its end is dismissed.
  void DrawBand(int x1, int y1, int x2, int y2) {
    WinTest_ChooseNextPopupItem(0xFFFF);
    WinTest_Mouse(app.hwndMain, WM_LBUTTONDOWN, MK_LBUTTON, x1, y1);
    WinTest_Mouse(app.hwndMain, WM_MOUSEMOVE, MK_LBUTTON, x2, y2);
    WinTest_Mouse(app.hwndMain, WM_LBUTTONUP, 0, x2, y2);
    WinTest_RunFor(20);
  }
  int ScrollerPos(int i) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_POS;
    Win_GetScrollInfo(app.hwndScroller[i], SB_CTL, &si);
    return si.nPos;
  }
};

TEST_F(MainRoutes, MouseSelectionPopupAndZoomCommands) {
  POINT c = PlotCentre();
  WinTest_Mouse(app.hwndMain, WM_MOUSEMOVE, 0, c.x, c.y);
  EXPECT_EQ(StatusText(STATUS_PART_POSITION), "\t" + std::to_string(c.x) + "," + std::to_string(c.y));
  // Both halves of lParam are unsigned 16-bit values.
  Win_SendMessage(app.hwndMain, WM_MOUSEMOVE, 0, MAKELONG(0xFFFF, 7));
  EXPECT_EQ(StatusText(STATUS_PART_POSITION), "\t65535,7");

  // A band over the middle of the plot becomes selection 0 (the button-up
  // message carries no button; the procedure adds MK_LBUTTON).
  DrawBand(c.x - 40, c.y - 30, c.x + 40, c.y + 30);
  ASSERT_EQ(app.Graph.iCurrentSelection, 0);
  ASSERT_TRUE(Selection_IsValid(&app.Graph.Selection[0]));
  double x1 = app.Graph.Selection[0].dX1, x2 = app.Graph.Selection[0].dX2;

  // A right click on it opens the popup; "Zoom In" zooms to it.
  WinTest_ChooseNextPopupItem(IDM_POPUP_ZOOM_IN);
  WinTest_Mouse(app.hwndMain, WM_RBUTTONDOWN, MK_RBUTTON, c.x, c.y);
  WinTest_Mouse(app.hwndMain, WM_RBUTTONUP, 0, c.x, c.y);
  WinTest_RunFor(20);
  EXPECT_DOUBLE_EQ(app.Channels.dXViewMin, x1);
  EXPECT_DOUBLE_EQ(app.Channels.dXViewMax, x2);
  EXPECT_EQ(app.Graph.Selection[0].iVisible, 0);

  // ".. o&ut by 50 %" doubles the width around the centre; out completely shows all.
  double mid = (x1 + x2) / 2, w = x2 - x1;
  EXPECT_EQ(WinTest_ChooseMenuItem(app.hwndMain, IDM_ZOOM_OUT_HALF), 1);
  EXPECT_NEAR(app.Channels.dXViewMax - app.Channels.dXViewMin, 2 * w, 1e-9);
  EXPECT_NEAR((app.Channels.dXViewMin + app.Channels.dXViewMax) / 2, mid, 1e-9);
  Command(IDM_ZOOM_OUT_ALL);
  EXPECT_EQ(app.Channels.dXViewMin, 0.0);
  EXPECT_EQ(app.Channels.dXViewMax, 100.0);
  EXPECT_EQ(app.Graph.Selection[0].iVisible, 1);
  Command(IDM_ZOOM_SELECTION);
  EXPECT_DOUBLE_EQ(app.Channels.dXViewMin, x1);
  Command(IDM_POPUP_ZOOM_OUT);
  EXPECT_EQ(app.Channels.dXViewMax, 100.0);
  Command(IDM_POPUP_HIDE);
  EXPECT_EQ(app.Graph.Selection[0].iVisible, 0);
  Command(IDM_POPUP_NEXT);
  EXPECT_EQ(app.Graph.iCurrentSelection, 1);

  Command(IDM_MODE_POINTS);
  EXPECT_EQ(app.Graph.iEditMode, EDIT_MODE_POINTS);
  Command(IDM_MODE_NOTHING);
  EXPECT_EQ(app.Graph.iEditMode, EDIT_MODE_SELECT);
  WinTest_RunFor(20);
  EXPECT_EQ(app.Graph.iViewChanged, 0);  // every command ended in a repaint
}

TEST_F(MainRoutes, WheelZoomsAroundThePointerInClientPixels) {
  POINT c = PlotCentre();
  int px = app.Graph.rcPlot.left + (app.Graph.rcPlot.right - app.Graph.rcPlot.left) / 4;
  double before = Graph_PixelToX(&app, 0, px);
  WinTest_Wheel(app.hwndMain, 0, WHEEL_DELTA, px, c.y);
  WinTest_RunFor(20);
  EXPECT_LT(app.Channels.dXViewMax - app.Channels.dXViewMin, 100.0);
  EXPECT_NEAR(Graph_PixelToX(&app, 0, px), before, 1.0);  // the x under the pointer stays put
}

TEST_F(MainRoutes, OwnScrollBarsMoveTheViewPanelScrollersTheParameters) {
  Graph_SetView(&app, 0, 20.0, 40.0, -0.5, 0.5);
  WinTest_ScrollAction(app.hwndMain, SB_HORZ, SB_RIGHT, 0);
  WinTest_RunFor(20);
  EXPECT_DOUBLE_EQ(app.Channels.dXViewMax, 100.0);
  EXPECT_DOUBLE_EQ(app.Channels.dXViewMin, 80.0);
  WinTest_ScrollAction(app.hwndMain, SB_VERT, SB_BOTTOM, 0);
  WinTest_RunFor(20);
  EXPECT_DOUBLE_EQ(app.Channels.Channel[0].dViewMin, -1.0);
  EXPECT_DOUBLE_EQ(app.Channels.Channel[0].dViewMax, 0.0);
  for (int i = 0; i < PARAM_COUNT; ++i) EXPECT_EQ(app.Param[i].dParamValue, 0.0);

  // A panel scroller changes its parameter only: top = max, bottom = min.
  PlotWin_ShowPanel(&app, 1);
  WinTest_ScrollAction(app.hwndScroller[1], SB_CTL, SB_THUMBTRACK, 250);
  WinTest_RunFor(20);
  EXPECT_DOUBLE_EQ(app.Param[1].dParamValue, 0.75);
  EXPECT_EQ(ScrollerPos(1), 250);
  EXPECT_DOUBLE_EQ(app.Channels.Channel[0].dViewMin, -1.0);

  // The position each scroll code asks for, on a bar of range 0..1000 with a page of 100.
  struct Step {
    int from, code, thumb, to;  // position before, scroll code, thumb position, position expected
  } steps[] = {
      {500, SB_LINEUP, 0, 499},    {0, SB_LINEUP, 0, 0},        {500, SB_LINEDOWN, 0, 501},
      {901, SB_LINEDOWN, 0, 901},  {500, SB_PAGEUP, 0, 400},    {50, SB_PAGEUP, 0, 0},
      {500, SB_PAGEDOWN, 0, 600},  {850, SB_PAGEDOWN, 0, 901},  {500, SB_THUMBPOSITION, 123, 123},
      {500, SB_THUMBTRACK, 77, 77}, {500, SB_TOP, 0, 0},        {500, SB_BOTTOM, 0, 901},
      {500, SB_ENDSCROLL, 0, 500}, {500, 42, 0, 500},
  };
  for (const Step& s : steps) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMax = 1000;
    si.nPage = 100;
    si.nPos = s.from;
    Win_SetScrollInfo(app.hwndScroller[0], SB_CTL, &si, 0);
    Win_SendMessage(app.hwndMain, WM_VSCROLL, static_cast<WPARAM>(MAKELONG(s.code, s.thumb)),
                    reinterpret_cast<LPARAM>(app.hwndScroller[0]));
    EXPECT_EQ(ScrollerPos(0), s.to) << "code " << s.code << " from " << s.from;
  }
}

TEST_F(MainRoutes, PanelCommandsAndButtons) {
  Command(IDM_UNDO);  // nothing backed up yet
  ASSERT_EQ(g_boxes.size(), 1u);
  EXPECT_EQ(g_boxes[0], "Nothing to undo.");
  Command(IDM_LOWPASS_INTERACTIVE);
  EXPECT_EQ(app.iPanelShown, 1);
  EXPECT_EQ(app.bPanelMode, PANEL_MODE_LOWPASS);
  EXPECT_TRUE(Win_IsWindowVisible(app.hwndOk));
  WinTest_ClickButton(app.hwndOk);
  WinTest_RunFor(20);
  EXPECT_EQ(app.iPanelShown, 0);
  Command(IDM_LOWPASS_INTERACTIVE);
  WinTest_ScrollAction(app.hwndScroller[0], SB_CTL, SB_THUMBTRACK, 900);
  WinTest_RunFor(20);
  EXPECT_NE(app.Channels.Channel[0].pdSamples[10], std::sin(1.0));  // filtered live
  WinTest_ClickButton(app.hwndCancel);
  WinTest_RunFor(20);
  EXPECT_EQ(app.iPanelShown, 0);
  EXPECT_EQ(app.Channels.Channel[0].pdSamples[10], std::sin(1.0));  // the backup is back

  Command(IDM_LOWPASS_FIRST + 4);
  EXPECT_NE(app.Channels.Channel[0].pdSamples[10], std::sin(1.0));
  EXPECT_EQ(WinTest_ChooseMenuItem(app.hwndMain, IDM_UNDO), 1);
  EXPECT_EQ(app.Channels.Channel[0].pdSamples[10], std::sin(1.0));
  EXPECT_EQ(g_boxes.size(), 1u);
}

TEST_F(MainRoutes, FileHelpViewAndChannelCommands) {
  // The file commands open their dialogs (cancelled here) and change nothing.
  Command(IDM_OPEN);
  Command(IDM_LOAD_NEXT);
  Command(IDM_SAVE);
  EXPECT_EQ(g_fileDialogs, 3);
  EXPECT_EQ(app.Channels.iChannelsInUse, 1);
  Command(IDM_ABOUT);
  Command(IDM_HELP);  // the help window, not a box
  EXPECT_EQ(g_boxes.size(), 1u);
  char help[64] = {0};
  EXPECT_GT(Win_GetHelpWindowText(help, sizeof help), 0);
  WinTest_CloseHelpWindow();

  Graph_SetView(&app, 0, 20.0, 40.0, -1.0, 1.0);
  EXPECT_EQ(WinTest_ChooseMenuItem(app.hwndMain, IDM_SCROLL_RIGHT), 1);
  EXPECT_DOUBLE_EQ(app.Channels.dXViewMin, 22.0);
  Command(IDM_SCROLL_LEFT);
  EXPECT_DOUBLE_EQ(app.Channels.dXViewMin, 20.0);

  // Crop to a selection over x 20..40.
  Graph_SetSelection(&app, 0, 20.0, 40.0, -1.0, 1.0);
  app.Graph.iCurrentSelection = 0;
  app.Graph.Selection[0].iVisible = 1;
  Command(IDM_CROP);
  EXPECT_LT(app.Channels.Channel[0].iNrOfSamples, 100);

  // A second channel, hidden and deleted.
  ChannelSet_SetSample(&app.Channels, 1, 0, 5.0);
  app.Channels.Channel[1].iVisible = 1;
  Command(IDM_CHANNEL_FIRST + 1);
  EXPECT_EQ(app.Channels.Channel[1].iVisible, 0);
  Command(IDM_DELETE_HIDDEN);
  EXPECT_EQ(app.Channels.iChannelsInUse, 1);
}

TEST_F(MainRoutes, DroppedFileIsOpened) {
  std::string path = config.File("dropped.txt");
  ASSERT_TRUE(TestFiles_Write(path, "1\n2\n3\n4\n"));
  const char* paths[] = {path.c_str(), "/second/file/is/ignored.txt"};
  WinTest_DropFiles(app.hwndMain, paths, 2);
  WinTest_RunFor(20);
  EXPECT_EQ(std::string(app.szDataFile), path);
  EXPECT_EQ(app.Channels.Channel[0].iNrOfSamples, 4);
}

TEST_F(MainRoutes, ExitAsksFirstAndCancelKeepsTheProgramRunning) {
  app.iModified = 1;
  g_boxAnswer = IDCANCEL;
  EXPECT_EQ(WinTest_ChooseMenuItem(app.hwndMain, IDM_EXIT), 1);
  WinTest_RunFor(20);
  EXPECT_EQ(g_boxes.size(), 1u);
  ASSERT_TRUE(Win_IsWindow(app.hwndMain));
  EXPECT_EQ(app.Channels.Channel[0].iNrOfSamples, 100);

  WinTest_ClickClose(app.hwndMain);  // the close box asks the same
  EXPECT_EQ(g_boxes.size(), 2u);
  ASSERT_TRUE(Win_IsWindow(app.hwndMain));

  g_boxAnswer = IDNO;  // drop the changes: the window goes and the loop ends
  Command(IDM_EXIT);
  EXPECT_EQ(app.hwndMain, nullptr);
  EXPECT_EQ(PlotWin_Instances[0], nullptr);  // nothing points at the record once its window is gone
  EXPECT_EQ(PlotWin_RunMessageLoop(&app), 0);
}

}  // namespace
