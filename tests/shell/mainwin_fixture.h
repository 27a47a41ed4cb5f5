#pragma once
// A started editor for the main window tests: its own settings and journal
// folders, the record started as the program starts it, and the window
// destroyed at the end.

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "shell/plotwin.h"
#include "tests/support/test_files.h"
#include "tests/support/window_text.h"
#include "winutil/winapi.h"
#include "winutil/window_utils.h"
#include "winutil/wintest.h"

struct MainWindowTest : ::testing::Test {
  TempDir config;  // the settings folder, also the state folder (journals in config/plotsmith)
  AppState app{};  // the started record

  void SetUp() override {
    setenv("XDG_CONFIG_HOME", config.szPath.c_str(), 1);
    setenv("XDG_STATE_HOME", config.szPath.c_str(), 1);
    Win_Init(nullptr, nullptr);
    PlotWin_Start(&app, nullptr, "");
    ASSERT_NE(app.hwndMain, nullptr);
  }
  void TearDown() override {
    Win_SetModalSeam(nullptr);
    if (Win_IsWindow(app.hwndMain)) Win_DestroyWindow(app.hwndMain);
    WinTest_RunFor(1);  // let the quit message of the destruction go
    MSG msg{};
    while (Win_PeekMessage(&msg, nullptr, 0, 0, 1)) {
    }
    // The record dies with the test; the next start must not find it.
    PlotWin_Instances[0] = nullptr;
  }

  // Runs the loop in small slices until done() holds, for at most two seconds
  // (timers may lag on a busy machine); returns done()'s last answer.
  static bool RunUntil(const std::function<bool()>& done) {
    for (int waited = 0; waited < 2000 && !done(); waited += 20) WinTest_RunFor(20);
    return done();
  }
  // Text of a status bar part.
  std::string StatusText(int part) { return StatusPartText(app.hwndStatus, part); }
  // The main window's title.
  std::string Title() { return WindowText(app.hwndMain); }
  // Outer rectangle of a child in its parent's client coordinates.
  RECT ChildRect(HWND child) {
    RECT rc{};
    Win_GetWindowRect(child, &rc);
    POINT tl{rc.left, rc.top};
    Win_ScreenToClient(app.hwndMain, &tl);
    return RECT{tl.x, tl.y, tl.x + rc.right - rc.left, tl.y + rc.bottom - rc.top};
  }
  void Command(int id) { Win_SendMessage(app.hwndMain, WM_COMMAND, static_cast<WPARAM>(id), 0); }
};
