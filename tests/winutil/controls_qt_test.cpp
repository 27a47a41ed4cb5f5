// The predefined controls of the layer: scroll bar, button, edit and status
// bar, as a user works them.

#include <cstdint>
#include <cstring>
#include <string>

#include "tests/winutil/layer_fixture.h"

namespace {

using Controls = LayerFixture;

// The control's rectangle in its parent's client coordinates.
RECT InParent(HWND h) {
  RECT rc{};
  Win_GetWindowRect(h, &rc);
  POINT tl{rc.left, rc.top};
  Win_ScreenToClient(Win_GetParent(h), &tl);
  return RECT{tl.x, tl.y, tl.x + rc.right - rc.left, tl.y + rc.bottom - rc.top};
}

TEST_F(Controls, ScrollBarControlKeepsItsOwnInfoAndNotifiesItsParent) {
  CreateTop(nullptr, "RecordingWindow", WS_OVERLAPPEDWINDOW | WS_VSCROLL);
  HWND sb = CreateChild("SCROLLBAR", "", WS_VISIBLE | SBS_VERT, 0, 4, 20, 16, 200);
  ASSERT_NE(sb, nullptr);
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE;
  si.nMax = 1000;
  Win_SetScrollInfo(sb, SB_CTL, &si, 0);
  si.fMask = SIF_ALL;
  ASSERT_EQ(Win_GetScrollInfo(sb, SB_CTL, &si), 1);
  EXPECT_EQ(si.nMax, 1000);
  EXPECT_EQ(si.nPos, 0);
  EXPECT_EQ(Win_GetScrollInfo(sb, SB_VERT, &si), 0);  // a control has no bars of its own
  EXPECT_EQ(Win_GetScrollInfo(hwnd, SB_CTL, &si), 0);

  struct Case {
    int action, pos;  // the user's scroll action and thumb position
    std::vector<std::pair<int, int>> codes;  // (code, thumb position) sent to the parent
  };
  const Case cases[] = {
      {SB_LINEDOWN, 0, {{SB_LINEDOWN, 0}, {SB_ENDSCROLL, 0}}},
      {SB_LINEUP, 0, {{SB_LINEUP, 0}, {SB_ENDSCROLL, 0}}},
      {SB_PAGEDOWN, 0, {{SB_PAGEDOWN, 0}, {SB_ENDSCROLL, 0}}},
      {SB_PAGEUP, 0, {{SB_PAGEUP, 0}, {SB_ENDSCROLL, 0}}},
      {SB_THUMBTRACK, 640, {{SB_THUMBTRACK, 640}, {SB_THUMBPOSITION, 640}, {SB_ENDSCROLL, 0}}},
  };
  for (const Case& c : cases) {
    SeenLog().clear();
    WinTest_ScrollAction(sb, SB_CTL, c.action, c.pos);
    std::vector<SeenMessage> got = Of(WM_VSCROLL);
    ASSERT_EQ(got.size(), c.codes.size()) << c.action;
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_EQ(got[i].hwnd, hwnd);
      EXPECT_EQ(got[i].lp, reinterpret_cast<LPARAM>(sb));
      EXPECT_EQ(static_cast<int>(LOWORD(got[i].wp)), c.codes[i].first);
      EXPECT_EQ(static_cast<int>(HIWORD(got[i].wp)), c.codes[i].second);
    }
    si.fMask = SIF_POS;
    Win_GetScrollInfo(sb, SB_CTL, &si);
    EXPECT_EQ(si.nPos, 0);  // only the program moves it
  }

  // The wheel over the control does not move it: the parent gets the wheel message.
  SeenLog().clear();
  WinTest_Wheel(sb, 0, -WHEEL_DELTA, 8, 50);
  EXPECT_TRUE(Of(WM_VSCROLL).empty());
  ASSERT_EQ(Of(WM_MOUSEWHEEL).size(), 1u);
  EXPECT_EQ(Of(WM_MOUSEWHEEL)[0].hwnd, hwnd);
  EXPECT_EQ(static_cast<int16_t>(HIWORD(Of(WM_MOUSEWHEEL)[0].wp)), -WHEEL_DELTA);
}

TEST_F(Controls, ButtonsClickMoveHideAndAreFoundById) {
  CreateTop();
  HWND ok = CreateChild("BUTTON", "Ok", WS_VISIBLE | WS_TABSTOP, 501, 8, 20, 16, 16);
  HWND cancel = CreateChild("BUTTON", "Cancel", WS_VISIBLE | WS_TABSTOP, 502, 8, 20, 16, 16);
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(Win_GetDlgCtrlID(ok), 501);
  EXPECT_EQ(Win_GetDlgItem(hwnd, 502), cancel);
  EXPECT_EQ(Win_GetDlgItem(hwnd, 7), nullptr);
  EXPECT_EQ(Win_GetDlgCtrlID(hwnd), 0);
  EXPECT_EQ(WindowText(cancel), "Cancel");

  SeenLog().clear();
  WinTest_ClickButton(cancel);
  ASSERT_EQ(Of(WM_COMMAND).size(), 1u);
  EXPECT_EQ(Of(WM_COMMAND)[0].wp, static_cast<WPARAM>(MAKELONG(502, BN_CLICKED)));
  EXPECT_EQ(Of(WM_COMMAND)[0].lp, reinterpret_cast<LPARAM>(cancel));

  ASSERT_EQ(Win_MoveWindow(ok, 4, 150, 64, 20, 1), 1);
  RECT rc = InParent(ok);
  EXPECT_EQ(rc.left, 4);
  EXPECT_EQ(rc.top, 150);
  EXPECT_EQ(rc.right, 68);
  EXPECT_EQ(rc.bottom, 170);

  Win_ShowWindow(ok, SW_HIDE);
  EXPECT_FALSE(Win_IsWindowVisible(ok));
  SeenLog().clear();
  WinTest_ClickButton(ok);
  Win_ShowWindow(ok, SW_SHOWNOACTIVATE);
  EXPECT_TRUE(Win_IsWindowVisible(ok));
  EXPECT_EQ(Win_EnableWindow(ok, 0), 0);
  WinTest_ClickButton(ok);
  EXPECT_TRUE(Of(WM_COMMAND).empty());  // hidden, then disabled: no clicks
  EXPECT_EQ(Win_EnableWindow(ok, 1), 1);
}

TEST_F(Controls, EditTakesTypedTextAndDigitsOnlyWithNumberStyle) {
  CreateTop();
  HWND num = CreateChild("EDIT", "1024", WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_NUMBER, 21, 16, 88, 360, 24);
  HWND any = CreateChild("EDIT", "", WS_VISIBLE | WS_BORDER, 22, 16, 120, 360, 24);
  EXPECT_EQ(WindowText(num), "1024");
  Win_SetWindowText(num, "");
  Win_SetFocus(num);
  EXPECT_EQ(Win_GetFocus(), num);
  WinTest_TypeText(num, "12ab-3");
  EXPECT_EQ(WindowText(num), "123");
  Win_SetFocus(any);
  WinTest_TypeText(any, "$1f x");
  EXPECT_EQ(WindowText(any), "$1f x");

  // The text messages read and write the same text.
  Win_SendMessage(any, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("abc"));
  char buf[3];
  EXPECT_EQ(Win_SendMessage(any, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf)), 2);
  EXPECT_STREQ(buf, "ab");
  EXPECT_EQ(Win_SendMessage(any, WM_GETTEXTLENGTH, 0, 0), 3);
}

TEST_F(Controls, StatusBarPartsTextsAndPlaceAtTheBottom) {
  CreateTop();
  HWND bar = CreateChild("msctls_statusbar32", "", WS_VISIBLE | SBARS_SIZEGRIP, 20, 0, 0, 0, 0);
  ASSERT_NE(bar, nullptr);
  const int edges[4] = {60, 310, 390, 1190};
  EXPECT_EQ(Win_SendMessage(bar, SB_SETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 1);
  int got[8] = {0};
  ASSERT_EQ(Win_SendMessage(bar, SB_GETPARTS, 8, reinterpret_cast<LPARAM>(got)), 4);
  EXPECT_EQ(std::vector<int>(got, got + 4), std::vector<int>(edges, edges + 4));

  const char* texts[4] = {"12", "x:1.5\ty:2", "\tMode", "Loaded file \"a.txt\", 3 points"};
  for (int i = 0; i < 4; ++i) Win_SendMessage(bar, SB_SETTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(texts[i]));
  char buf[256];
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(Win_SendMessage(bar, SB_GETTEXTA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf)),
              static_cast<LRESULT>(std::strlen(texts[i])));
    EXPECT_STREQ(buf, texts[i]);
  }
  EXPECT_EQ(Win_SendMessage(bar, SB_SETTEXTA, 4, reinterpret_cast<LPARAM>("no such part")), 0);

  // Its height follows the font; it sits at the bottom of the client area at full width.
  RECT client{};
  Win_GetClientRect(hwnd, &client);
  RECT rc = InParent(bar);
  int height = rc.bottom - rc.top;
  EXPECT_GE(height, 12);
  EXPECT_LE(height, 40);
  EXPECT_EQ(rc.bottom, client.bottom);
  EXPECT_EQ(rc.left, 0);
  EXPECT_EQ(rc.right, client.right);

  // The parent forwards its size messages; the bar follows.
  WinTest_ResizeClient(hwnd, 500, 350);
  Win_GetClientRect(hwnd, &client);
  SeenMessage size = Of(WM_SIZE).back();
  Win_SendMessage(bar, WM_SIZE, size.wp, size.lp);
  rc = InParent(bar);
  EXPECT_EQ(rc.bottom, 350);
  EXPECT_EQ(rc.right, 500);
  EXPECT_EQ(rc.bottom - rc.top, height);
}

}  // namespace
