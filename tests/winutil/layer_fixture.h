#pragma once
// A fixture for tests of the window layer: a window class whose procedure
// records every message, and helpers to read the record.

#include <gtest/gtest.h>

#include <vector>

#include "tests/support/window_text.h"
#include "winutil/winapi.h"
#include "winutil/wintest.h"

// One message as the recording procedure saw it.
struct SeenMessage {
  HWND hwnd;  // the handle the procedure was given
  UINT msg;   // message number
  WPARAM wp;  // its first parameter
  LPARAM lp;  // its second parameter
};

// Every message the recording procedure saw since the last clear.
inline std::vector<SeenMessage>& SeenLog() {
  static std::vector<SeenMessage> log;
  return log;
}

// When set, the recording procedure answers WM_CLOSE itself (the window stays).
inline bool& KeepOnClose() {
  static bool keep = false;
  return keep;
}

inline LRESULT RecordingWndProc(HWND h, UINT m, WPARAM w, LPARAM l) {
  SeenLog().push_back({h, m, w, l});
  if (m == WM_CLOSE && KeepOnClose()) return 0;
  return Win_DefWindowProc(h, m, w, l);
}

struct LayerFixture : ::testing::Test {
  HINSTANCE inst = nullptr;  // the layer's instance handle
  HWND hwnd = nullptr;       // the window under test, destroyed at the end
  void SetUp() override {
    inst = Win_Init(nullptr, nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = RecordingWndProc;
    wc.lpszClassName = "RecordingWindow";
    Win_RegisterClass(&wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpszClassName = "RedrawWindow";
    Win_RegisterClass(&wc);
    SeenLog().clear();
    KeepOnClose() = false;
  }
  void TearDown() override {
    if (Win_IsWindow(hwnd)) Win_DestroyWindow(hwnd);
    WinTest_RunFor(1);
  }
  // Registers a class of its own procedure under name, for one test.
  static void RegisterClassOf(const char* name, WNDPROC proc) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = proc;
    wc.lpszClassName = name;
    Win_RegisterClass(&wc);
  }
  // A shown top-level window of the recording class.
  HWND CreateTop(HMENU menu = nullptr, const char* cls = "RecordingWindow", DWORD style = WS_OVERLAPPEDWINDOW) {
    hwnd = Win_CreateWindow(0, cls, "test", style, 40, 50, 400, 300, nullptr, menu, inst, nullptr);
    Win_ShowWindow(hwnd, SW_SHOW);
    WinTest_RunFor(5);
    SeenLog().clear();
    return hwnd;
  }
  HWND CreateChild(const char* cls, const char* text, DWORD style, int id, int x, int y, int w, int h) {
    return Win_CreateWindow(0, cls, text, WS_CHILD | style, x, y, w, h, hwnd,
                            reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(id)), inst, nullptr);
  }
  // The recorded messages of one number, in order.
  static std::vector<SeenMessage> Of(UINT msg) {
    std::vector<SeenMessage> out;
    for (const SeenMessage& s : SeenLog())
      if (s.msg == msg) out.push_back(s);
    return out;
  }
  // Every recorded message number, in order.
  static std::vector<UINT> Messages() { return NumbersExcept({}); }
  // The recorded message numbers other than the ones listed, in order.
  static std::vector<UINT> NumbersExcept(std::vector<UINT> skip) {
    std::vector<UINT> out;
    for (const SeenMessage& s : SeenLog()) {
      bool skipped = false;
      for (UINT k : skip) skipped |= s.msg == k;
      if (!skipped) out.push_back(s.msg);
    }
    return out;
  }
};
