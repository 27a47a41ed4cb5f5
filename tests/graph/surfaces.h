#pragma once
// Drawing surfaces for the graph tests: a memory canvas over a bitmap, freed
// with the object, and a plain top-level window whose procedure does only the
// default handling.

#include "winutil/winapi.h"

// A memory canvas holding a bitmap; frees both at the end.
struct BitmapCanvas {
  HDC dc;       // the canvas
  HBITMAP bmp;  // the bitmap selected into it (null: nothing to draw on)
  HGDIOBJ old;  // what the canvas held before
  explicit BitmapCanvas(HBITMAP b) : dc(Win_CreateCompatibleDC(nullptr)), bmp(b), old(Win_SelectObject(dc, b)) {}
  BitmapCanvas(const BitmapCanvas&) = delete;
  BitmapCanvas& operator=(const BitmapCanvas&) = delete;
  ~BitmapCanvas() {
    Win_SelectObject(dc, old);
    Win_DeleteObject(bmp);
    Win_DeleteDC(dc);
  }
};

inline LRESULT PlainWindow_Proc(HWND h, UINT m, WPARAM w, LPARAM l) { return Win_DefWindowProc(h, m, w, l); }

// A new top-level window of the plain class at the given outer rectangle; null
// when the layer refuses it.
inline HWND PlainWindow_Create(DWORD style, int x, int y, int w, int h) {
  HINSTANCE inst = Win_Init(nullptr, nullptr);
  WNDCLASSA wc{};
  wc.lpfnWndProc = PlainWindow_Proc;
  wc.lpszClassName = "PlainWindow";
  Win_RegisterClass(&wc);
  return Win_CreateWindow(0, "PlainWindow", "t", style, x, y, w, h, nullptr, nullptr, inst, nullptr);
}
