// The main window as built at start-up: the menu bar and the selection popup,
// the hidden parameter panel, the layout on size changes and the menu texts,
// checks and grays brought up to date when a menu opens.
#include <cstring>
#include <string>
#include <vector>

#include "tests/shell/mainwin_fixture.h"

namespace {

using MainMenus = MainWindowTest;

// Texts and ids of a popup's items, "-" for a separator and ">" + text for a submenu.
std::vector<std::string> Items(HMENU menu) {
  std::vector<std::string> out;
  for (int pos = 0; pos < Win_GetMenuItemCount(menu); ++pos) {
    std::string text = MenuItemText(menu, pos, 1);
    if (Win_GetSubMenu(menu, pos))
      out.push_back(">" + text);
    else if (Win_GetMenuItemID(menu, pos) < 0)
      out.push_back("-");
    else
      out.push_back(std::to_string(Win_GetMenuItemID(menu, pos)) + " " + text);
  }
  return out;
}

TEST_F(MainMenus, MenuBarAndSelectionPopupHoldEveryCommand) {
  HMENU bar = Win_GetMenu(app.hwndMain);
  ASSERT_EQ(bar, app.hMainMenu);
  using V = std::vector<std::string>;
  EXPECT_EQ(Items(bar), (V{">&File", ">&Edit", ">&Mode", ">&Zoom", ">F&unctions", ">&Channels", ">&Help", "91 <<",
                           "92 >>"}));
  EXPECT_EQ(Items(Win_GetSubMenu(bar, 0)),
            (V{"1 &New\tCtrl-N", "2 &Open\tCtrl-O", "3 &Load data for next channel\tCtrl-L", "4 &Save\tCtrl-S",
               "6 Export &Picture...", "-", "5 E&xit\tCtrl-Q"}));
  EXPECT_EQ(Items(Win_GetSubMenu(bar, 1)),
            (V{"11 &Undo\tCtrl-Z", "12 &Redo\tCtrl-Y", "17 Crop &Selection", "18 &Copy Picture"}));
  EXPECT_EQ(Items(Win_GetSubMenu(bar, 2)), (V{"23 Edit &Points", "22 Edit &Nothing"}));
  EXPECT_EQ(Items(Win_GetSubMenu(bar, 3)),
            (V{"42 .. &into selection", "43 .. &out completely\tCtrl-0", "44 .. o&ut by 50 %", "46 Fit &values",
               "47 &Stacked channels\tS"}));
  HMENU functions = Win_GetSubMenu(bar, 4);
  EXPECT_EQ(Items(functions), (V{">Low pass filter"}));
  EXPECT_EQ(Items(Win_GetSubMenu(functions, 0)),
            (V{"50 f_cutoff = 0.001 * f_max", "51 f_cutoff = 0.003 * f_max", "52 f_cutoff = 0.01 * f_max",
               "53 f_cutoff = 0.03 * f_max", "54 f_cutoff = 0.1 * f_max", "55 f_cutoff = 0.3 * f_max",
               "56 f_cutoff = 0.75 * f_max", "59 Interactive (using scrollers)"}));
  EXPECT_EQ(Win_GetSubMenu(bar, 5), app.hChannelMenu);
  EXPECT_EQ(Items(app.hChannelMenu),
            (V{"100 Channel &1", "101 Channel &2", "102 Channel &3", "103 Channel &4", "104 Channel &5",
               "105 Channel &6", "106 Channel &7", "107 Channel &8",
               "120 Delete &hidden channels (UNchecked above)"}));
  EXPECT_EQ(Items(Win_GetSubMenu(bar, 6)), (V{"82 Commands && functions\tF1", "81 &About"}));
  EXPECT_EQ(Items(app.hSelectionMenu),
            (V{"201 Zoom &In", "205 Zoom In &both axes", "202 Zoom &Out", "203 &Hide this selection",
               "204 &Switch to next selection", "206 &Statistics", "207 Set marker &A here",
               "208 Set marker &B here"}));
}

TEST_F(MainMenus, PanelIsBuiltHiddenWithItsParameters) {
  EXPECT_EQ(app.iPanelShown, 0);
  for (int i = 0; i < PARAM_COUNT; ++i) {
    ASSERT_NE(app.hwndScroller[i], nullptr);
    EXPECT_FALSE(Win_IsWindowVisible(app.hwndScroller[i]));
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    ASSERT_TRUE(Win_GetScrollInfo(app.hwndScroller[i], SB_CTL, &si));
    EXPECT_EQ(si.nMin, 0);
    EXPECT_EQ(si.nMax, 1000);
    EXPECT_EQ(si.nPage, 0u);
    EXPECT_EQ(si.nPos, 0);
    EXPECT_EQ(app.Param[i].dParamMin, 0.0);
    EXPECT_EQ(app.Param[i].dParamMax, 1.0);
    EXPECT_EQ(app.Param[i].szParamName[0], '\0');
  }
  EXPECT_STREQ(app.Param[0].szParamLetter, "A");
  EXPECT_STREQ(app.Param[1].szParamLetter, "B");
  EXPECT_STREQ(app.Param[2].szParamLetter, "C");
  char text[32] = {0};
  Win_GetWindowText(app.hwndOk, text, sizeof text);
  EXPECT_STREQ(text, "Ok");
  Win_GetWindowText(app.hwndCancel, text, sizeof text);
  EXPECT_STREQ(text, "Cancel");
  EXPECT_EQ(Win_GetDlgCtrlID(app.hwndOk), IDC_PANEL_OK);
  EXPECT_EQ(Win_GetDlgCtrlID(app.hwndCancel), IDC_PANEL_CANCEL);
  EXPECT_FALSE(Win_IsWindowVisible(app.hwndOk));

  // Showing it asks for the strip to be cleared and a repaint; showing twice is nothing.
  app.Graph.iPanelEraseRequest = app.Graph.iViewChanged = 0;
  PlotWin_ShowPanel(&app, 1);
  EXPECT_TRUE(Win_IsWindowVisible(app.hwndScroller[2]));
  EXPECT_TRUE(Win_IsWindowVisible(app.hwndCancel));
  EXPECT_EQ(app.Graph.iPanelEraseRequest, 1);
  EXPECT_EQ(app.Graph.iViewChanged, 1);
  app.Graph.iPanelEraseRequest = 0;
  PlotWin_ShowPanel(&app, 1);
  EXPECT_EQ(app.Graph.iPanelEraseRequest, 0);
  PlotWin_ShowPanel(nullptr, 0);

  // The range comes back; page and position stay.
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  si.nMin = 5;
  si.nMax = 50;
  si.nPage = 10;
  si.nPos = 20;
  Win_SetScrollInfo(app.hwndScroller[1], SB_CTL, &si, 1);
  PlotWin_ResetScrollerRanges(&app);
  PlotWin_ResetScrollerRanges(nullptr);
  SCROLLINFO now{};
  now.cbSize = sizeof now;
  now.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  Win_GetScrollInfo(app.hwndScroller[1], SB_CTL, &now);
  EXPECT_EQ(now.nMin, 0);
  EXPECT_EQ(now.nMax, 1000);
  EXPECT_EQ(now.nPage, 10u);
  EXPECT_EQ(now.nPos, 20);
}

TEST_F(MainMenus, LayoutFollowsTheClientSize) {
  // Right after start the status bar lies along the bottom of the client area.
  WinTest_RunFor(20);
  RECT client{}, bar{};
  Win_GetClientRect(app.hwndMain, &client);
  int sh = WinUtil_GetWindowHeight(app.hwndStatus);
  EXPECT_GT(sh, 0);
  bar = ChildRect(app.hwndStatus);
  EXPECT_EQ(bar.left, 0);
  EXPECT_EQ(bar.right, client.right);
  EXPECT_EQ(bar.bottom, client.bottom);

  PlotWin_ShowPanel(&app, 1);
  PlotWin_OnSize(&app, 0, 400, sh + 300);
  RECT ok = ChildRect(app.hwndOk);
  EXPECT_EQ(ok.left, 4);
  EXPECT_EQ(ok.top, 300 - 48);
  EXPECT_EQ(ok.right - ok.left, 64);
  EXPECT_EQ(ok.bottom - ok.top, 20);
  RECT cancel = ChildRect(app.hwndCancel);
  EXPECT_EQ(cancel.top, 300 - 24);
  for (int i = 0; i < PARAM_COUNT; ++i) {
    RECT s = ChildRect(app.hwndScroller[i]);
    EXPECT_EQ(s.left, 4 + 24 * i);
    EXPECT_EQ(s.top, 20);
    EXPECT_EQ(s.right - s.left, 16);
    EXPECT_EQ(s.bottom - s.top, 300 - 72);
  }
  EXPECT_EQ(WinUtil_GetWindowHeight(app.hwndStatus), sh);

  // Too small: h of 80, or a width of 50, moves nothing; h of 81 gives 9-pixel scrollers.
  app.Graph.iPanelEraseRequest = 0;
  PlotWin_OnSize(&app, 0, 60, sh + 80);
  PlotWin_OnSize(&app, 0, 50, sh + 500);
  EXPECT_EQ(ChildRect(app.hwndScroller[0]).bottom - 20, 300 - 72);
  EXPECT_EQ(app.Graph.iPanelEraseRequest, 0);
  PlotWin_OnSize(&app, 0, 60, sh + 81);
  RECT small = ChildRect(app.hwndScroller[0]);
  EXPECT_EQ(small.bottom - small.top, 9);
  EXPECT_EQ(app.Graph.iPanelEraseRequest, 1);
  EXPECT_EQ(PlotWin_OnSize(nullptr, 0, 500, 500), 0);

  // Resizing the window as a user does stretches the status bar over the client width.
  WinTest_ResizeClient(app.hwndMain, 520, 330);
  WinTest_RunFor(20);
  Win_GetClientRect(app.hwndMain, &client);
  bar = ChildRect(app.hwndStatus);
  EXPECT_EQ(client.right, 520);
  EXPECT_EQ(bar.right - bar.left, client.right);
  EXPECT_EQ(bar.bottom, client.bottom);
  EXPECT_EQ(ChildRect(app.hwndCancel).top, client.bottom - WinUtil_GetWindowHeight(app.hwndStatus) - 24);
}

TEST_F(MainMenus, OpeningAMenuUpdatesTextsChecksAndGrays) {
  ChannelSet_SetSample(&app.Channels, 1, 0, 2.0);
  ASSERT_EQ(app.Channels.iChannelsInUse, 2);
  std::strcpy(app.Channels.Channel[0].szName, "Sine");
  app.Channels.Channel[0].iVisible = 1;
  app.Channels.Channel[1].szName[0] = '\0';
  app.Channels.Channel[1].iVisible = 0;
  app.Channels.Channel[5].iVisible = 1;  // not in use: no check mark all the same
  app.Graph.iEditMode = 1;
  Win_SendMessage(app.hwndMain, WM_INITMENU, reinterpret_cast<WPARAM>(app.hMainMenu), 0);

  EXPECT_EQ(MenuItemText(app.hMainMenu, IDM_LOAD_NEXT), "&Load data for next channel (#3)\tCtrl-L");
  EXPECT_EQ(Win_GetMenuState(app.hMainMenu, IDM_MODE_POINTS, MF_BYCOMMAND) & MF_CHECKED, MF_CHECKED);
  EXPECT_EQ(Win_GetMenuState(app.hMainMenu, IDM_MODE_NOTHING, MF_BYCOMMAND) & MF_CHECKED, 0);
  EXPECT_EQ(MenuItemText(app.hChannelMenu, 100), "&1 : Sine");
  EXPECT_EQ(Win_GetMenuState(app.hChannelMenu, 100, MF_BYCOMMAND), static_cast<int>(MF_CHECKED));
  EXPECT_EQ(MenuItemText(app.hChannelMenu, 101), "Channel &2");
  EXPECT_EQ(Win_GetMenuState(app.hChannelMenu, 101, MF_BYCOMMAND), 0);
  for (int c = 2; c < MAX_CHANNELS; ++c) {
    EXPECT_EQ(MenuItemText(app.hChannelMenu, 100 + c), "Channel &" + std::to_string(c + 1));
    EXPECT_EQ(Win_GetMenuState(app.hChannelMenu, 100 + c, MF_BYCOMMAND) & (MF_GRAYED | MF_CHECKED), MF_GRAYED);
  }
  // Undo and Redo are grayed with an empty history; no other item is grayed or checked.
  for (int id : {IDM_UNDO, IDM_REDO})
    EXPECT_EQ(Win_GetMenuState(app.hMainMenu, id, MF_BYCOMMAND), static_cast<int>(MF_GRAYED)) << id;
  for (int id : {IDM_CROP, IDM_ZOOM_SELECTION, IDM_ZOOM_OUT_ALL, IDM_ZOOM_OUT_HALF, IDM_DELETE_HIDDEN})
    EXPECT_EQ(Win_GetMenuState(app.hMainMenu, id, MF_BYCOMMAND), 0) << id;

  // Eight channels, a per cent sign in a name, another edit mode: the user opens the Channels menu.
  for (int c = 2; c < MAX_CHANNELS; ++c) ChannelSet_SetSample(&app.Channels, c, 0, 1.0);
  ASSERT_EQ(app.Channels.iChannelsInUse, 8);
  std::strcpy(app.Channels.Channel[7].szName, "100%s %d %n");
  app.Channels.Channel[7].iVisible = 1;
  app.Graph.iEditMode = 7;
  EXPECT_EQ(WinTest_ChooseMenuItem(app.hwndMain, IDM_CHANNEL_FIRST), 1);
  EXPECT_EQ(MenuItemText(app.hMainMenu, IDM_LOAD_NEXT), "&Load data for next channel (#9)\tCtrl-L");
  EXPECT_EQ(MenuItemText(app.hChannelMenu, 107), "&8 : 100%s %d %n");
  EXPECT_EQ(Win_GetMenuState(app.hChannelMenu, 107, MF_BYCOMMAND), static_cast<int>(MF_CHECKED));
  EXPECT_EQ(Win_GetMenuState(app.hChannelMenu, 104, MF_BYCOMMAND) & MF_GRAYED, 0);
  EXPECT_EQ(Win_GetMenuState(app.hMainMenu, IDM_MODE_POINTS, MF_BYCOMMAND) & MF_CHECKED, 0);
  EXPECT_EQ(Win_GetMenuState(app.hMainMenu, IDM_MODE_NOTHING, MF_BYCOMMAND) & MF_CHECKED, 0);
  EXPECT_EQ(app.Channels.Channel[0].iVisible, 0);  // the chosen item toggled it
  Win_SendMessage(app.hwndMain, WM_INITMENU, 0, 0);
  EXPECT_EQ(Win_GetMenuState(app.hChannelMenu, 100, MF_BYCOMMAND), 0);
}

}  // namespace
