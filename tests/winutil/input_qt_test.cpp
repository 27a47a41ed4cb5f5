// Input through the toolkit: mouse, wheel, dropped files, repaint requests,
// dialog keys, disabled windows, the cursor and the screen.

#include <cstdint>
#include <cstring>
#include <string>

#include "tests/winutil/layer_fixture.h"

namespace {

using Input = LayerFixture;

// Runs the program's loop step on every queued message: dialog keys first,
// then translation and dispatch, as the main loop and the number dialog do.
void RunLoopFor(HWND dialog) {
  MSG msg{};
  while (Win_PeekMessage(&msg, nullptr, 0, 0, 1)) {
    if (msg.message == WM_QUIT) break;
    if (Win_IsDialogMessage(dialog, &msg)) continue;
    Win_TranslateMessage(&msg);
    Win_DispatchMessage(&msg);
  }
}

TEST_F(Input, MouseAndWheelBecomeClientMessagesWithKeysAndPosition) {
  CreateTop();
  struct Case {
    UINT msg;         // the mouse message made by the user
    int keys;         // the keys and buttons held
    int x, y;         // client pixel
    WPARAM wantKeys;  // the key bits the message must carry
  };
  const Case cases[] = {
      {WM_MOUSEMOVE, 0, 5, 6, 0},  // no button held: still reported
      {WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, 10, 20, MK_LBUTTON | MK_SHIFT},
      {WM_MOUSEMOVE, MK_LBUTTON | MK_CONTROL, 30, 40, MK_LBUTTON | MK_CONTROL},
      {WM_LBUTTONUP, 0, 31, 41, 0},
      {WM_RBUTTONDOWN, MK_RBUTTON, 50, 60, MK_RBUTTON},
      {WM_RBUTTONUP, 0, 50, 60, 0},
  };
  for (const Case& c : cases) {
    SeenLog().clear();
    WinTest_Mouse(hwnd, c.msg, c.keys, c.x, c.y);
    ASSERT_EQ(Of(c.msg).size(), 1u) << c.msg;  // sent at once
    SeenMessage m = Of(c.msg)[0];
    EXPECT_EQ(m.hwnd, hwnd);
    EXPECT_EQ(m.wp, c.wantKeys) << c.msg;
    EXPECT_EQ(m.lp, MAKELONG(static_cast<unsigned>(c.x), static_cast<unsigned>(c.y)));
  }

  // The wheel: signed delta in the high word, keys in the low one, screen position.
  SeenLog().clear();
  WinTest_Wheel(hwnd, MK_CONTROL, -WHEEL_DELTA, 15, 25);
  ASSERT_EQ(Of(WM_MOUSEWHEEL).size(), 1u);
  SeenMessage w = Of(WM_MOUSEWHEEL)[0];
  EXPECT_EQ(static_cast<int16_t>(HIWORD(w.wp)), -WHEEL_DELTA);
  EXPECT_EQ(LOWORD(w.wp), static_cast<unsigned>(MK_CONTROL));
  POINT pt{15, 25};
  Win_ClientToScreen(hwnd, &pt);
  EXPECT_EQ(w.lp, MAKELONG(static_cast<unsigned>(pt.x), static_cast<unsigned>(pt.y)));
  Win_ScreenToClient(hwnd, &pt);
  EXPECT_EQ(pt.x, 15);
  EXPECT_EQ(pt.y, 25);
}

TEST_F(Input, DroppedFilesArriveAfterTheWindowAcceptsThem) {
  CreateTop();
  const char* paths[] = {"/tmp/one.txt", "/tmp/dir with blanks/two.wav"};
  WinTest_DropFiles(hwnd, paths, 2);
  WinTest_RunFor(5);
  EXPECT_TRUE(Of(WM_DROPFILES).empty());  // not accepted yet

  Win_DragAcceptFiles(hwnd, 1);
  WinTest_DropFiles(hwnd, paths, 2);
  WinTest_RunFor(5);
  ASSERT_EQ(Of(WM_DROPFILES).size(), 1u);
  auto drop = reinterpret_cast<HDROP>(Of(WM_DROPFILES)[0].wp);
  EXPECT_EQ(Win_DragQueryFile(drop, 0xFFFFFFFFu, nullptr, 0), 2u);
  char buf[64];
  EXPECT_EQ(Win_DragQueryFile(drop, 1, buf, sizeof buf), std::strlen(paths[1]));
  EXPECT_STREQ(buf, paths[1]);
  EXPECT_EQ(Win_DragQueryFile(drop, 0, buf, 5), 0u);  // does not fit
  EXPECT_EQ(Win_DragQueryFile(drop, 2, buf, sizeof buf), 0u);
  Win_DragFinish(drop);
  EXPECT_EQ(Win_DragQueryFile(drop, 0xFFFFFFFFu, nullptr, 0), 0u);
}

TEST_F(Input, RepaintRequestsSendEraseThenPaintOnce) {
  // A new window is painted whole once it is shown, not before.
  hwnd = Win_CreateWindow(0, "RedrawWindow", "t", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr, inst, nullptr);
  WinTest_RunFor(10);
  EXPECT_TRUE(Of(WM_PAINT).empty());
  Win_ShowWindow(hwnd, SW_SHOW);
  WinTest_RunFor(20);
  EXPECT_EQ(NumbersExcept({WM_NCCREATE, WM_CREATE, WM_SIZE, WM_MOVE}), (std::vector<UINT>{WM_ERASEBKGND, WM_PAINT}));
  SeenLog().clear();
  Win_InvalidateRect(hwnd, nullptr, 1);
  Win_InvalidateRect(hwnd, nullptr, 0);  // joins the pending request
  WinTest_RunFor(20);
  EXPECT_EQ(NumbersExcept({}), (std::vector<UINT>{WM_ERASEBKGND, WM_PAINT}));

  // Without erasing, and painted at once by Win_UpdateWindow.
  SeenLog().clear();
  Win_InvalidateRect(hwnd, nullptr, 0);
  Win_UpdateWindow(hwnd);
  EXPECT_EQ(NumbersExcept({}), (std::vector<UINT>{WM_PAINT}));
  SeenLog().clear();
  Win_UpdateWindow(hwnd);  // nothing pending
  WinTest_RunFor(10);
  EXPECT_TRUE(Of(WM_PAINT).empty());

  // A CS_HREDRAW | CS_VREDRAW window is repainted whole after a resize.
  WinTest_ResizeClient(hwnd, 333, 222);
  WinTest_RunFor(20);
  EXPECT_EQ(NumbersExcept({WM_SIZE}), (std::vector<UINT>{WM_ERASEBKGND, WM_PAINT}));
}

TEST_F(Input, DialogKeysEnterEscapeAndTabBetweenStops) {
  CreateTop();
  HWND edit = CreateChild("EDIT", "1", WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_NUMBER, 21, 16, 88, 360, 24);
  HWND ok = CreateChild("BUTTON", "Ok", WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, IDOK, 104, 120, 64, 24);
  HWND cancel = CreateChild("BUTTON", "Cancel", WS_VISIBLE | WS_TABSTOP, IDCANCEL, 232, 120, 64, 24);
  Win_SetFocus(edit);
  ASSERT_EQ(Win_GetFocus(), edit);

  // Tab walks the stops in creation order and wraps; Shift+Tab goes back.
  const HWND order[] = {ok, cancel, edit};
  for (HWND want : order) {
    WinTest_PressKey(Win_GetFocus(), VK_TAB, 0);
    RunLoopFor(hwnd);
    EXPECT_EQ(Win_GetFocus(), want);
  }
  WinTest_PressKey(edit, VK_TAB, FSHIFT);
  RunLoopFor(hwnd);
  EXPECT_EQ(Win_GetFocus(), cancel);
  EXPECT_TRUE(Of(WM_KEYDOWN).empty());  // all taken by the dialog

  // Enter in the field is the default button; Escape is Cancel.
  Win_SetFocus(edit);
  SeenLog().clear();
  WinTest_PressKey(edit, VK_RETURN, 0);
  WinTest_PressKey(edit, VK_ESCAPE, 0);
  RunLoopFor(hwnd);
  ASSERT_EQ(Of(WM_COMMAND).size(), 2u);
  EXPECT_EQ(Of(WM_COMMAND)[0].wp, static_cast<WPARAM>(MAKELONG(IDOK, BN_CLICKED)));
  EXPECT_EQ(Of(WM_COMMAND)[0].lp, reinterpret_cast<LPARAM>(ok));
  EXPECT_EQ(Of(WM_COMMAND)[1].wp, static_cast<WPARAM>(MAKELONG(IDCANCEL, BN_CLICKED)));

  // Typing in the field is the field's own business: the focus selected the
  // text, so the first key replaces it and the next ones append.
  WinTest_TypeText(edit, "56");
  char text[8];
  Win_GetWindowText(edit, text, sizeof text);
  EXPECT_STREQ(text, "56");
}

TEST_F(Input, WindowWithoutDialogButtonsGetsItsOwnKeys) {
  CreateTop();
  // Panel buttons with ids of their own, hidden as the main window's are at start.
  CreateChild("BUTTON", "Ok", WS_TABSTOP, 501, 4, 100, 64, 20);
  CreateChild("BUTTON", "Cancel", WS_TABSTOP, 502, 4, 124, 64, 20);
  Win_SetFocus(hwnd);
  for (int vk : {VK_ESCAPE, VK_RETURN, VK_TAB, int('A')}) WinTest_PressKey(hwnd, vk, 0);
  RunLoopFor(hwnd);
  std::vector<WPARAM> keys;
  for (const SeenMessage& m : Of(WM_KEYDOWN)) keys.push_back(m.wp);
  EXPECT_EQ(keys, (std::vector<WPARAM>{VK_ESCAPE, VK_RETURN, VK_TAB, WPARAM('A')}));
  EXPECT_TRUE(Of(WM_COMMAND).empty());
}

TEST_F(Input, EveryKeyTheLayerPassesOnArrivesAsItsVirtualKey) {
  CreateTop();
  Win_SetFocus(hwnd);
  // Both ends of the letter, digit and function key runs, and every single key.
  const std::vector<WPARAM> vks = {'A', 'Z', '0', '9', VK_F1, VK_F1 + 23, VK_ESCAPE, VK_RETURN, VK_TAB,
                                   VK_BACK, VK_SPACE, VK_PRIOR, VK_NEXT, VK_END, VK_HOME, VK_LEFT, VK_UP,
                                   VK_RIGHT, VK_DOWN, VK_DELETE, VK_SHIFT, VK_CONTROL, VK_MENU};
  for (WPARAM vk : vks) WinTest_PressKey(hwnd, static_cast<int>(vk), 0);
  WinTest_RunFor(5);
  std::vector<WPARAM> keys;
  for (const SeenMessage& m : Of(WM_KEYDOWN)) keys.push_back(m.wp);
  EXPECT_EQ(keys, vks);
}

TEST_F(Input, DisabledWindowTakesNoInputAndCannotBeClosed) {
  CreateTop();
  EXPECT_EQ(Win_EnableWindow(hwnd, 0), 0);
  EXPECT_FALSE(Win_IsWindowEnabled(hwnd));
  WinTest_Mouse(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
  WinTest_Wheel(hwnd, 0, WHEEL_DELTA, 10, 10);
  WinTest_PressKey(hwnd, VK_ESCAPE, 0);
  WinTest_ClickClose(hwnd);
  WinTest_RunFor(5);
  EXPECT_TRUE(Win_IsWindow(hwnd));
  EXPECT_EQ(NumbersExcept({WM_PAINT, WM_ERASEBKGND}), std::vector<UINT>{});
  // Enabled again, it takes input as before.
  EXPECT_EQ(Win_EnableWindow(hwnd, 1), 1);
  WinTest_Mouse(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, 10, 10);
  EXPECT_EQ(Of(WM_LBUTTONDOWN).size(), 1u);
}

TEST_F(Input, CursorAndScreenSize) {
  POINT pt{-1, -1};
  EXPECT_EQ(Win_GetCursorPos(&pt), 1);
  EXPECT_EQ(Win_GetCursorPos(nullptr), 0);
  EXPECT_GT(Win_GetSystemMetrics(SM_CXSCREEN), 0);
  EXPECT_GT(Win_GetSystemMetrics(SM_CYSCREEN), 0);
}

}  // namespace

namespace {

int g_paints = 0;
// Asks for a repaint while painting, before the default handling validates.
LRESULT ReinvalidatingProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_PAINT) {
    ++g_paints;
    Win_InvalidateRect(h, nullptr, 0);
  }
  return Win_DefWindowProc(h, m, w, l);
}

TEST_F(Input, DefaultPaintHandlingValidatesTheWindow) {
  RegisterClassOf("ReinvalidatingWindow", ReinvalidatingProc);
  CreateTop(nullptr, "ReinvalidatingWindow");
  WinTest_RunFor(20);
  g_paints = 0;
  Win_InvalidateRect(hwnd, nullptr, 1);
  WinTest_RunFor(50);
  EXPECT_EQ(g_paints, 1);  // the request made before validation is answered by this paint
}

}  // namespace
