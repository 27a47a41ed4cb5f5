// Windows of the layer: creation and destruction order, sizes, scroll
// information, timers, the message loop, accelerators and the settings file.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/test_files.h"
#include "tests/winutil/layer_fixture.h"
#include "winutil/winapi.h"
#include "winutil/wintest.h"

namespace {

// A layer fixture whose window has both scroll bars and is not shown.
struct Layer : LayerFixture {
  HWND Create(DWORD style = WS_OVERLAPPEDWINDOW | WS_HSCROLL | WS_VSCROLL) {
    hwnd = Win_CreateWindow(0, "RecordingWindow", "Layer", style, 30, 40, 320, 240, nullptr, nullptr, inst, nullptr);
    return hwnd;
  }
  SCROLLINFO Query(int bar) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    EXPECT_TRUE(Win_GetScrollInfo(hwnd, bar, &si));
    return si;
  }
  void Set(int bar, UINT mask, int mn, int mx, UINT page, int pos) {
    SCROLLINFO si{};
    si.cbSize = sizeof si;
    si.fMask = mask;
    si.nMin = mn;
    si.nMax = mx;
    si.nPage = page;
    si.nPos = pos;
    Win_SetScrollInfo(hwnd, bar, &si, 1);
  }
};

TEST_F(Layer, CreationSendsCreateBeforeTheHandleIsReturned) {
  ASSERT_NE(Create(), nullptr);
  std::vector<UINT> msgs = Messages();
  ASSERT_GE(msgs.size(), 4u);
  EXPECT_EQ(msgs[0], WM_NCCREATE);
  EXPECT_EQ(msgs[1], WM_CREATE);
  EXPECT_EQ(msgs[2], WM_SIZE);
  EXPECT_EQ(msgs[3], WM_MOVE);
  EXPECT_EQ(SeenLog()[1].hwnd, hwnd);  // the procedure had the handle before the creator
  RECT client{};
  ASSERT_TRUE(Win_GetClientRect(hwnd, &client));
  EXPECT_EQ(LOWORD(static_cast<WPARAM>(SeenLog()[2].lp)), static_cast<unsigned>(client.right));
  EXPECT_EQ(HIWORD(static_cast<WPARAM>(SeenLog()[2].lp)), static_cast<unsigned>(client.bottom));
  EXPECT_GT(client.right, 0);
  EXPECT_FALSE(Win_IsWindowVisible(hwnd));
  EXPECT_EQ(Win_CreateWindow(0, "NoSuchClass", "x", 0, 0, 0, 10, 10, nullptr, nullptr, inst, nullptr), nullptr);
}

TEST_F(Layer, CloseBoxSendsCloseAndDefaultHandlingDestroys) {
  Create();
  Win_ShowWindow(hwnd, SW_SHOW);
  SeenLog().clear();
  WinTest_ClickClose(hwnd);
  std::vector<UINT> msgs = Messages();
  ASSERT_EQ(msgs.size(), 3u);
  EXPECT_EQ(msgs[0], WM_CLOSE);
  EXPECT_EQ(msgs[1], WM_DESTROY);
  EXPECT_EQ(msgs[2], WM_NCDESTROY);
  EXPECT_FALSE(Win_IsWindow(hwnd));
  // Operations on the dead handle do nothing.
  RECT rc{};
  EXPECT_EQ(Win_GetWindowRect(hwnd, &rc), 0);
  EXPECT_EQ(Win_SendMessage(hwnd, WM_USER, 0, 0), 0);
  EXPECT_EQ(Win_PostMessage(hwnd, WM_USER, 0, 0), 0);
  EXPECT_EQ(Win_SetTimer(hwnd, 1, 10, nullptr), 0u);
  EXPECT_EQ(Win_DestroyWindow(hwnd), 0);
  EXPECT_EQ(Win_ShowWindow(hwnd, SW_SHOW), 0);
}

TEST_F(Layer, ProcedureThatIgnoresCloseKeepsTheWindow) {
  Create();
  KeepOnClose() = true;
  WinTest_ClickClose(hwnd);
  EXPECT_TRUE(Win_IsWindow(hwnd));
  EXPECT_EQ(Messages().back(), WM_CLOSE);
}

TEST_F(Layer, SizeMessagesCarryTheClientSizeAndState) {
  Create();
  Win_ShowWindow(hwnd, SW_SHOW);
  SeenLog().clear();
  WinTest_ResizeClient(hwnd, 401, 299);
  // The last size message (the repaint of the grown area may follow it).
  SeenMessage s{};
  for (const SeenMessage& m : SeenLog())
    if (m.msg == WM_SIZE) s = m;
  EXPECT_EQ(s.msg, WM_SIZE);
  EXPECT_EQ(s.wp, SIZE_RESTORED);
  EXPECT_EQ(LOWORD(static_cast<WPARAM>(s.lp)), 401u);
  EXPECT_EQ(HIWORD(static_cast<WPARAM>(s.lp)), 299u);
  SeenLog().clear();
  Win_ShowWindow(hwnd, SW_SHOWMAXIMIZED);
  WinTest_RunFor(30);
  EXPECT_TRUE(Win_IsZoomed(hwnd));
  bool maximised = false;
  for (const SeenMessage& m : SeenLog()) maximised |= (m.msg == WM_SIZE && m.wp == SIZE_MAXIMIZED);
  EXPECT_TRUE(maximised);
}

TEST_F(Layer, OuterRectangleFollowsMoveWindow) {
  Create();
  Win_ShowWindow(hwnd, SW_SHOW);
  RECT rc{};
  ASSERT_TRUE(Win_GetWindowRect(hwnd, &rc));
  EXPECT_EQ(rc.left, 30);
  EXPECT_EQ(rc.top, 40);
  EXPECT_EQ(rc.right - rc.left, 320);
  EXPECT_EQ(rc.bottom - rc.top, 240);
  ASSERT_TRUE(Win_MoveWindow(hwnd, 5, 6, 500, 350, 1));
  ASSERT_TRUE(Win_GetWindowRect(hwnd, &rc));
  EXPECT_EQ(rc.left, 5);
  EXPECT_EQ(rc.top, 6);
  EXPECT_EQ(rc.right, 505);
  EXPECT_EQ(rc.bottom, 356);
  EXPECT_FALSE(Win_IsZoomed(hwnd));
  EXPECT_FALSE(Win_IsIconic(hwnd));
  Win_ShowWindow(hwnd, SW_MINIMIZE);
  WinTest_RunFor(20);
  EXPECT_TRUE(Win_IsIconic(hwnd));
}

TEST_F(Layer, ScrollInfoIsClampedLikeWin32) {
  Create();
  Set(SB_HORZ, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 1000, 251, 900);
  SCROLLINFO si = Query(SB_HORZ);
  EXPECT_EQ(si.nMin, 0);
  EXPECT_EQ(si.nMax, 1000);
  EXPECT_EQ(si.nPage, 251u);
  EXPECT_EQ(si.nPos, 750);  // max - (page - 1)
  Set(SB_HORZ, SIF_PAGE, 0, 0, 5000, 0);  // page beyond the range
  si = Query(SB_HORZ);
  EXPECT_EQ(si.nPage, 1001u);
  EXPECT_EQ(si.nPos, 0);
  Set(SB_HORZ, SIF_PAGE, 0, 0, 0, 0);
  Set(SB_HORZ, SIF_POS, 0, 0, 0, 2000);  // position alone, page 0: up to max
  EXPECT_EQ(Query(SB_HORZ).nPos, 1000);
  Set(SB_HORZ, SIF_RANGE, 0, 100, 0, 0);  // a smaller range pulls the position in
  si = Query(SB_HORZ);
  EXPECT_EQ(si.nPos, 100);
  EXPECT_EQ(si.nPage, 0u);
  Set(SB_HORZ, SIF_POS, 0, 0, 0, -5);
  EXPECT_EQ(Query(SB_HORZ).nPos, 0);
  SCROLLINFO ret{};
  ret.fMask = SIF_POS;
  ret.nPos = 42;
  EXPECT_EQ(Win_SetScrollInfo(hwnd, SB_VERT, &ret, 1), 0);  // vertical range is still 0..0
  // A window without the style bits has no bars.
  HWND plain = Win_CreateWindow(0, "RecordingWindow", "p", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                inst, nullptr);
  SCROLLINFO q{};
  q.fMask = SIF_ALL;
  EXPECT_EQ(Win_GetScrollInfo(plain, SB_HORZ, &q), 0);
  Win_DestroyWindow(plain);
}

TEST_F(Layer, UserScrollActionsArriveAsMessagesAndTheBarStays) {
  Create();
  Win_ShowWindow(hwnd, SW_SHOW);
  Set(SB_VERT, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 1000, 100, 300);
  SeenLog().clear();
  WinTest_ScrollAction(hwnd, SB_VERT, SB_LINEDOWN, 0);
  ASSERT_GE(SeenLog().size(), 1u);
  EXPECT_EQ(SeenLog()[0].msg, WM_VSCROLL);
  EXPECT_EQ(LOWORD(SeenLog()[0].wp), static_cast<unsigned>(SB_LINEDOWN));
  EXPECT_EQ(SeenLog()[0].lp, 0);
  EXPECT_EQ(Query(SB_VERT).nPos, 300);  // only the program moves the bar
  SeenLog().clear();
  WinTest_ScrollAction(hwnd, SB_VERT, SB_PAGEUP, 0);
  EXPECT_EQ(LOWORD(SeenLog()[0].wp), static_cast<unsigned>(SB_PAGEUP));
  SeenLog().clear();
  WinTest_ScrollAction(hwnd, SB_VERT, SB_THUMBTRACK, 640);
  bool track = false, position = false;
  for (const SeenMessage& s : SeenLog()) {
    if (s.msg != WM_VSCROLL) continue;
    if (LOWORD(s.wp) == SB_THUMBTRACK && HIWORD(s.wp) == 640) track = true;
    if (LOWORD(s.wp) == SB_THUMBPOSITION && HIWORD(s.wp) == 640) position = true;
  }
  EXPECT_TRUE(track);
  EXPECT_TRUE(position);
  EXPECT_EQ(Query(SB_VERT).nPos, 300);
  SeenLog().clear();
  Set(SB_HORZ, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 1000, 100, 10);
  WinTest_ScrollAction(hwnd, SB_HORZ, SB_BOTTOM, 0);
  ASSERT_FALSE(SeenLog().empty());
  EXPECT_EQ(SeenLog()[0].msg, WM_HSCROLL);
  EXPECT_EQ(LOWORD(SeenLog()[0].wp), static_cast<unsigned>(SB_BOTTOM));
  EXPECT_EQ(SeenLog().back().msg, WM_HSCROLL);
  EXPECT_EQ(LOWORD(SeenLog().back().wp), static_cast<unsigned>(SB_ENDSCROLL));
}

TEST_F(Layer, TimerMessagesArriveThroughTheLoopUntilKilled) {
  Create();
  ASSERT_NE(Win_SetTimer(hwnd, 7, 20, nullptr), 0u);
  MSG msg{};
  int timers = 0;
  for (int guard = 0; guard < 1000 && timers < 2; ++guard) {
    ASSERT_EQ(Win_GetMessage(&msg, nullptr, 0, 0), 1);
    if (msg.message == WM_TIMER && msg.hwnd == hwnd && msg.wParam == 7) ++timers;
    Win_DispatchMessage(&msg);
  }
  EXPECT_EQ(timers, 2);
  EXPECT_EQ(Win_KillTimer(hwnd, 7), 1);
  EXPECT_EQ(Win_KillTimer(hwnd, 7), 0);
  WinTest_RunFor(100);
  MSG peek{};
  EXPECT_EQ(Win_PeekMessage(&peek, hwnd, WM_TIMER, WM_TIMER, 1), 0);
}

TEST_F(Layer, PendingTimerMessagesAreCoalesced) {
  Create();
  Win_SetTimer(hwnd, 3, 5, nullptr);
  // Let the toolkit run (the timer fires many times) without taking messages.
  auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(150);
  MSG probe{};
  while (std::chrono::steady_clock::now() < until) Win_PeekMessage(&probe, hwnd, WM_USER + 99, WM_USER + 99, 0);
  int pending = 0;
  MSG m{};
  while (Win_PeekMessage(&m, hwnd, WM_TIMER, WM_TIMER, 1)) ++pending;
  EXPECT_EQ(pending, 1);
  Win_KillTimer(hwnd, 3);
}

TEST_F(Layer, QuitComesAfterEarlierMessagesWithItsExitCode) {
  Create();
  Win_PostMessage(hwnd, WM_USER + 1, 11, 22);
  Win_PostQuitMessage(7);
  Win_PostMessage(hwnd, WM_USER + 2, 0, 0);
  MSG msg{};
  ASSERT_EQ(Win_GetMessage(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.message, WM_USER + 1);
  EXPECT_EQ(msg.wParam, 11u);
  EXPECT_EQ(msg.lParam, 22);
  ASSERT_EQ(Win_GetMessage(&msg, nullptr, 0, 0), 1);
  EXPECT_EQ(msg.message, WM_USER + 2);
  EXPECT_EQ(Win_GetMessage(&msg, nullptr, 0, 0), 0);
  EXPECT_EQ(msg.message, WM_QUIT);
  EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(Layer, PumpStopsAtQuitAndLeavesItQueued) {
  Create();
  Win_PostMessage(hwnd, WM_USER + 3, 0, 0);
  EXPECT_EQ(Win_PumpMessages(), 1);
  EXPECT_EQ(Messages().back(), WM_USER + 3);
  Win_PostQuitMessage(0);
  EXPECT_EQ(Win_PumpMessages(), 0);
  MSG msg{};
  EXPECT_EQ(Win_GetMessage(&msg, nullptr, 0, 0), 0);
}

TEST_F(Layer, AcceleratorsTurnKeysIntoCommands) {
  Create();
  const ACCEL table[] = {{FVIRTKEY, static_cast<unsigned short>(VK_F9), 61},
                         {FVIRTKEY | FCONTROL, static_cast<unsigned short>('Z'), 11}};
  HACCEL accel = Win_CreateAcceleratorTable(table, 2);
  ASSERT_NE(accel, nullptr);
  WinTest_PressKey(hwnd, VK_F9, 0);
  WinTest_PressKey(hwnd, 'Z', 0);
  WinTest_PressKey(hwnd, 'Z', FCONTROL);
  std::vector<int> taken;
  MSG msg{};
  while (Win_PeekMessage(&msg, nullptr, 0, 0, 1)) {
    if (msg.message != WM_KEYDOWN) continue;
    SeenLog().clear();
    int t = Win_TranslateAccelerator(hwnd, accel, &msg);
    taken.push_back(t);
    if (t) {
      ASSERT_EQ(SeenLog().size(), 1u);
      EXPECT_EQ(SeenLog()[0].msg, WM_COMMAND);
      EXPECT_EQ(HIWORD(SeenLog()[0].wp), 1u);
      EXPECT_EQ(LOWORD(SeenLog()[0].wp), msg.wParam == VK_F9 ? 61u : 11u);
    }
  }
  EXPECT_EQ(taken, (std::vector<int>{1, 0, 1}));
  EXPECT_EQ(Win_DestroyAcceleratorTable(accel), 1);
  EXPECT_EQ(Win_DestroyAcceleratorTable(accel), 0);
}

// Settings live in a folder of the test's own.
struct Settings : ::testing::Test {
  TempDir config;  // the settings folder
  std::string dir = config.szPath;  // its path
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    Win_Init(nullptr, nullptr);
  }
};

TEST_F(Settings, RoundTripDefaultsAndNegativeValues) {
  EXPECT_EQ(Profile_GetInt("MainWnd", "Left", 20, "Plotsmth.ini"), 20);  // no file
  EXPECT_EQ(Profile_WriteString("MainWnd", "Left", "123", "Plotsmth.ini"), 1);
  EXPECT_EQ(Profile_GetInt("MainWnd", "Left", 20, "Plotsmth.ini"), 123);
  EXPECT_EQ(Profile_GetInt("MainWnd", "Top", 40, "Plotsmth.ini"), 40);  // missing key
  EXPECT_EQ(Profile_GetInt("Other", "Left", 9, "Plotsmth.ini"), 9);
  Profile_WriteString("MainWnd", "Top", "-8", "Plotsmth.ini");
  EXPECT_EQ(Profile_GetInt("MainWnd", "Top", 40, "Plotsmth.ini"), 0);
  Profile_WriteString("MainWnd", "Width", "abc", "Plotsmth.ini");
  EXPECT_EQ(Profile_GetInt("MainWnd", "Width", 600, "Plotsmth.ini"), 0);
  char path[512];
  ASSERT_TRUE(Profile_GetPath("Plotsmth.ini", path, sizeof path));
  EXPECT_EQ(std::string(path), dir + "/Plotsmth.ini");
  std::ifstream f(path);
  std::string all((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
  EXPECT_NE(all.find("[MainWnd]"), std::string::npos);
  EXPECT_NE(all.find("Left=123"), std::string::npos);
}

TEST_F(Settings, HandWrittenFileIsRead) {
  std::ofstream(dir + "/Plotsmth.ini") << "[MainWnd]\nLeft=-8\nTop=77\nHeight=12x\n";
  EXPECT_EQ(Profile_GetInt("MainWnd", "Left", 20, "Plotsmth.ini"), 0);
  EXPECT_EQ(Profile_GetInt("MainWnd", "Top", 40, "Plotsmth.ini"), 77);
  EXPECT_EQ(Profile_GetInt("MainWnd", "Height", 400, "Plotsmth.ini"), 12);
}

}  // namespace

TEST_F(Layer, DestroyingAParentDestroysItsChildrenInWin32Order) {
  Create();
  HWND child = Win_CreateWindow(0, "RecordingWindow", "", WS_CHILD | WS_VISIBLE, 5, 5, 50, 40, hwnd, nullptr, inst,
                                nullptr);
  ASSERT_NE(child, nullptr);
  EXPECT_EQ(Win_GetParent(child), hwnd);
  Win_PostMessage(child, WM_USER + 5, 0, 0);
  SeenLog().clear();
  ASSERT_EQ(Win_DestroyWindow(hwnd), 1);
  // Parent WM_DESTROY first, then the child's, then the final NCDESTROYs.
  ASSERT_EQ(SeenLog().size(), 4u);
  EXPECT_TRUE(SeenLog()[0].hwnd == hwnd && SeenLog()[0].msg == WM_DESTROY);
  EXPECT_TRUE(SeenLog()[1].hwnd == child && SeenLog()[1].msg == WM_DESTROY);
  EXPECT_TRUE(SeenLog()[2].hwnd == child && SeenLog()[2].msg == WM_NCDESTROY);
  EXPECT_TRUE(SeenLog()[3].hwnd == hwnd && SeenLog()[3].msg == WM_NCDESTROY);
  EXPECT_FALSE(Win_IsWindow(child));
  EXPECT_EQ(Win_GetParent(child), nullptr);
  // The child's queued message went with it; nothing reaches a dead handle.
  SeenLog().clear();
  WinTest_RunFor(20);
  EXPECT_TRUE(SeenLog().empty());
}
