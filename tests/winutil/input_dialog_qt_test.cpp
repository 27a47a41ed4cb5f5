// The number-input dialog: its text form, and the real modal window answered
// by a user's keys, clicks and the close box while its loop runs.
#include "winutil/input_dialog.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "tests/support/window_text.h"
#include "winutil/winapi.h"
#include "winutil/wintest.h"

namespace {

TEST(InputDlgText, FormatAndParse) {
  char text[INPUTDLG_TEXT_LEN];
  InputDlg_FormatValue(1024, INPUTDLG_DIGITS_ONLY, text, sizeof text);
  EXPECT_STREQ(text, "1024");
  InputDlg_FormatValue(255, INPUTDLG_HEX, text, sizeof text);
  EXPECT_STREQ(text, "$00FF");
  struct Case {
    const char* text;  // what was typed
    int read, value;   // the result and the value expected (7: left as it was)
  };
  const Case cases[] = {{"$1f", 1, 31},         {"12abc", 1, 12},        {"", 0, 7},
                        {"abc", 0, 7},          {"$", 0, 7},             {"-40", 1, -40},
                        {"$FFFFFFFF", 1, -1},   {"99999999999", 1, 2147483647}};
  for (const Case& k : cases) {
    int v = 7;
    EXPECT_EQ(InputDlg_ParseValue(k.text, &v), k.read) << k.text;
    EXPECT_EQ(v, k.value) << k.text;
  }
}

// An owner window and a user who acts once the dialog's loop runs.
struct InputDlgWindow : ::testing::Test {
  static inline std::function<void(HWND dialog, HWND edit)> s_user;  // what the user does once it shows
  static inline HWND s_owner;  // the owner window, for the user's actions
  HWND owner = nullptr;        // the window the dialog is modal to

  static void Act(HWND hwnd, UINT, std::uintptr_t id, DWORD) {
    Win_KillTimer(hwnd, id);
    HWND edit = Win_GetFocus();
    s_user(Win_GetParent(edit), edit);
  }
  void SetUp() override {
    InputDlg_hInstance = Win_Init(nullptr, nullptr);
    Win_SetModalSeam(nullptr);
    MSG msg{};  // a quit message left by an earlier test would end the dialog at once
    while (Win_PeekMessage(&msg, nullptr, 0, 0, 1)) {
    }
    WNDCLASSA wc{};
    wc.lpfnWndProc = Win_DefWindowProc;
    wc.lpszClassName = "InputDlgTestOwner";
    Win_RegisterClass(&wc);
    owner = s_owner = Win_CreateWindow(0, "InputDlgTestOwner", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10,
                                       10, 300, 200, nullptr, nullptr, InputDlg_hInstance, nullptr);
    ASSERT_NE(owner, nullptr);
  }
  void TearDown() override { Win_DestroyWindow(owner); }
  // Asks with the user's actions scheduled; returns the dialog's result.
  int Ask(int* value, int flags, std::function<void(HWND, HWND)> user) {
    s_user = std::move(user);
    Win_SetTimer(owner, 7, 20, Act);
    return InputDlg_AskNumber(owner, "Plot Smith", "Creating new data array.", "Number of channels ?", value,
                              flags);
  }
  static std::string Text(HWND hwnd) { return WindowText(hwnd); }
};

TEST_F(InputDlgWindow, EnterTakesTheDigitsTypedWhileTheOwnerIsDisabled) {
  int value = 1024;
  std::string shown, title;
  int ownerEnabled = -1, nested = -1;
  RECT rc{};
  int r = Ask(&value, 0, [&](HWND dialog, HWND edit) {
    shown = Text(edit);
    title = Text(dialog);
    ownerEnabled = Win_IsWindowEnabled(s_owner);
    Win_GetWindowRect(dialog, &rc);
    int other = 5;
    nested = InputDlg_AskNumber(s_owner, "x", "y", "z", &other, 0);  // refused while open
    WinTest_TypeText(edit, "12a-b3");  // replaces the proposed value, which starts selected
    WinTest_PressKey(edit, VK_RETURN, 0);
  });
  EXPECT_EQ(r, 1);
  EXPECT_EQ(value, 123);
  EXPECT_EQ(shown, "1024");
  EXPECT_EQ(title, "Plot Smith");
  EXPECT_EQ(ownerEnabled, 0);
  EXPECT_EQ(nested, 2);
  EXPECT_EQ(rc.right - rc.left, 400);
  EXPECT_EQ(rc.left, (Win_GetSystemMetrics(SM_CXSCREEN) - 400) / 2);
  EXPECT_EQ(rc.top, (Win_GetSystemMetrics(SM_CYSCREEN) - 200) / 2);
  EXPECT_TRUE(Win_IsWindowEnabled(owner));
}

TEST_F(InputDlgWindow, EscapeCancelsAndTheCloseBoxAnswersNothing) {
  int value = 9;
  EXPECT_EQ(Ask(&value, 0, [](HWND, HWND edit) { WinTest_PressKey(edit, VK_ESCAPE, 0); }), 2);
  EXPECT_EQ(Ask(&value, 0, [](HWND dialog, HWND) { WinTest_ClickClose(dialog); }), 0);
  EXPECT_EQ(value, 9);
  EXPECT_TRUE(Win_IsWindowEnabled(owner));
}

TEST_F(InputDlgWindow, HexModeShowsAndReadsDollarValues) {
  int value = 255;
  std::string shown;
  int r = Ask(&value, INPUTDLG_HEX, [&](HWND dialog, HWND edit) {
    shown = Text(edit);
    Win_SetWindowText(edit, "$1f");
    WinTest_ClickButton(Win_GetDlgItem(dialog, 1));
  });
  EXPECT_EQ(r, 1);
  EXPECT_EQ(shown, "$00FF");
  EXPECT_EQ(value, 31);
}

TEST_F(InputDlgWindow, RefusedWithoutOwnerOrInstance) {
  int value = 3;
  EXPECT_EQ(InputDlg_AskNumber(nullptr, "c", "a", "b", &value, 0), 2);
  InputDlg_hInstance = nullptr;
  EXPECT_EQ(InputDlg_AskNumber(owner, "c", "a", "b", &value, 0), 2);
  EXPECT_EQ(value, 3);
}

}  // namespace
