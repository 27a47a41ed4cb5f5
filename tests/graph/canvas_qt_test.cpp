// The canvas of the window layer: pixel-exact lines, fills and pens, text
// alignment, the focus rectangle, copies, PNG output and a window's canvas.

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "tests/graph/surfaces.h"
#include "tests/support/test_files.h"
#include "winutil/winapi.h"
#include "winutil/window_utils.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);

// A memory canvas over a fresh w x h bitmap, filled white.
struct Canvas : ::testing::Test {
  HDC dc = nullptr;             // the canvas
  HBITMAP bmp = nullptr;        // its 40 x 30 bitmap
  HGDIOBJ oldBitmap = nullptr;  // what the canvas held before
  void SetUp() override {
    Win_Init(nullptr, nullptr);
    dc = Win_CreateCompatibleDC(nullptr);
    bmp = Win_CreateCompatibleBitmap(dc, 40, 30);
    ASSERT_NE(bmp, nullptr);
    EXPECT_EQ(Win_GetPixel(dc, 0, 0), 0xFFFFFFFFu);  // nothing selected yet: nothing to read
    oldBitmap = Win_SelectObject(dc, bmp);
    EXPECT_EQ(Win_GetPixel(dc, 5, 5), kBlack);  // a new bitmap is black
    RECT all{0, 0, 40, 30};
    Win_FillRect(dc, &all, static_cast<HBRUSH>(Win_GetStockObject(WHITE_BRUSH)));
  }
  void TearDown() override {
    Win_SelectObject(dc, oldBitmap);
    EXPECT_EQ(Win_DeleteObject(bmp), 1);
    EXPECT_EQ(Win_DeleteDC(dc), 1);
  }
  // The pixels of row y (or column x) that are not white, as a string of marks.
  std::string Row(int y) {
    std::string s;
    for (int x = 0; x < 40; ++x) s += Win_GetPixel(dc, x, y) == kWhite ? '.' : '#';
    return s;
  }
  int CountNotWhite() {
    int n = 0;
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x) n += Win_GetPixel(dc, x, y) != kWhite;
    return n;
  }
};

TEST_F(Canvas, LinesFillsAndPensArePixelExact) {
  // Lines leave out their end pixel; the current position moves to the end.
  WinUtil_DrawLine(dc, 2, 3, 6, 3);
  EXPECT_EQ(Row(3), "..####..................................");
  Win_LineTo(dc, 6, 6);  // continues from (6, 3) down the column
  for (int y : {3, 4, 5}) EXPECT_EQ(Win_GetPixel(dc, 6, y), kBlack) << y;
  EXPECT_EQ(Win_GetPixel(dc, 6, 6), kWhite);
  // Upward and diagonal lines, also exclusive.
  WinUtil_DrawLine(dc, 10, 9, 10, 7);
  EXPECT_EQ(Win_GetPixel(dc, 10, 9), kBlack);
  EXPECT_EQ(Win_GetPixel(dc, 10, 8), kBlack);
  EXPECT_EQ(Win_GetPixel(dc, 10, 7), kWhite);
  WinUtil_DrawLine(dc, 20, 0, 23, 3);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(Win_GetPixel(dc, 20 + k, k), kBlack);
  EXPECT_EQ(Win_GetPixel(dc, 23, 3), kWhite);

  // A coloured pen; a polyline draws every point but the last.
  HPEN red = Win_CreatePen(PS_SOLID, 1, kRed);
  HGDIOBJ oldPen = Win_SelectObject(dc, red);
  EXPECT_EQ(Win_DeleteObject(red), 0);  // selected objects stay
  const POINT pts[] = {{30, 20}, {30, 22}, {33, 22}};
  EXPECT_EQ(Win_Polyline(dc, pts, 3), 1);
  EXPECT_EQ(Win_GetPixel(dc, 30, 20), kRed);
  EXPECT_EQ(Win_GetPixel(dc, 30, 22), kRed);
  EXPECT_EQ(Win_GetPixel(dc, 32, 22), kRed);
  EXPECT_EQ(Win_GetPixel(dc, 33, 22), kWhite);
  // Lines running far outside the canvas are clipped, not walked pixel by pixel.
  WinUtil_DrawLine(dc, -2000000000, 25, 2000000000, 25);
  EXPECT_EQ(Row(25), std::string(40, '#'));
  Win_SelectObject(dc, oldPen);
  EXPECT_EQ(Win_DeleteObject(red), 1);

  // A 3 pixel pen covers the rows either side of the line.
  HPEN wide = Win_CreatePen(PS_SOLID, 3, kBlack);
  oldPen = Win_SelectObject(dc, wide);
  WinUtil_DrawLine(dc, 2, 14, 8, 14);
  for (int y : {13, 14, 15}) EXPECT_EQ(Win_GetPixel(dc, 4, y), kBlack) << y;
  EXPECT_EQ(Win_GetPixel(dc, 4, 16), kWhite);
  Win_SelectObject(dc, oldPen);
  Win_DeleteObject(wide);

  // FillRect leaves out the right and bottom edges; a solid brush of a colour.
  RECT rc{0, 0, 40, 30};
  Win_FillRect(dc, &rc, static_cast<HBRUSH>(Win_GetStockObject(WHITE_BRUSH)));
  HBRUSH brush = Win_CreateSolidBrush(kRed);
  rc = RECT{5, 5, 8, 7};
  Win_FillRect(dc, &rc, brush);
  EXPECT_EQ(Row(5), ".....###................................");
  EXPECT_EQ(Row(6), ".....###................................");
  EXPECT_EQ(Row(7), std::string(40, '.'));
  EXPECT_EQ(Win_GetPixel(dc, 5, 5), kRed);
  rc = RECT{-100, 28, 100, 100};  // clipped to the canvas
  Win_FillRect(dc, &rc, static_cast<HBRUSH>(Win_GetStockObject(BLACK_BRUSH)));
  EXPECT_EQ(Row(29), std::string(40, '#'));
  Win_DeleteObject(brush);
  EXPECT_EQ(Win_DeleteObject(Win_GetStockObject(WHITE_BRUSH)), 1);  // stock objects stay
  EXPECT_NE(Win_GetStockObject(WHITE_BRUSH), nullptr);
}

TEST_F(Canvas, TextAlignsOnAnOpaqueBackground) {
  int w = 0, h = 0, wQ = 0, hQ = 0;
  WinUtil_GetTextExtent(dc, "Q", &wQ, &hQ);
  ASSERT_GT(wQ, 1);
  ASSERT_GT(hQ, 1);
  // Spaces draw no glyph: with a red background only the text's box shows.
  const char* text = "   ";
  WinUtil_GetTextExtent(dc, text, &w, &h);
  EXPECT_EQ(h, hQ);
  ASSERT_GT(w, 2);
  Win_SetBkColor(dc, kRed);
  EXPECT_EQ(Win_SetBkMode(dc, OPAQUE), OPAQUE);  // the default mode
  struct Case {
    UINT align;     // TA_* bits
    int x, y;       // reference point
    int left, top;  // expected box corner
  };
  const Case cases[] = {
      {TA_LEFT | TA_TOP, 3, 4, 3, 4},
      {TA_RIGHT | TA_TOP, 30, 4, 30 - w, 4},
      {TA_CENTER | TA_TOP, 20, 4, 20 - w / 2, 4},
      {TA_LEFT | TA_BOTTOM, 3, 24, 3, 24 - h},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.align);
    RECT all{0, 0, 40, 30};
    Win_FillRect(dc, &all, static_cast<HBRUSH>(Win_GetStockObject(WHITE_BRUSH)));
    Win_SetTextAlign(dc, c.align);
    ASSERT_EQ(Win_TextOut(dc, c.x, c.y, text, 3), 1);
    EXPECT_EQ(Win_GetPixel(dc, c.left, c.top), kRed);
    EXPECT_EQ(Win_GetPixel(dc, c.left + w - 1, c.top + h - 1), kRed);
    EXPECT_EQ(Win_GetPixel(dc, c.left - 1, c.top), kWhite);
    EXPECT_EQ(Win_GetPixel(dc, c.left + w, c.top), kWhite);
    EXPECT_EQ(Win_GetPixel(dc, c.left, c.top + h), kWhite);
    EXPECT_EQ(Win_GetPixel(dc, c.left, c.top - 1), kWhite);
  }
  // On the baseline: the box's top lies above y, its bottom below it.
  RECT all{0, 0, 40, 30};
  Win_FillRect(dc, &all, static_cast<HBRUSH>(Win_GetStockObject(WHITE_BRUSH)));
  Win_SetTextAlign(dc, TA_RIGHT | TA_BASELINE);
  Win_TextOut(dc, 30, 20, text, 3);
  EXPECT_EQ(Win_GetPixel(dc, 29, 19), kRed);
  EXPECT_EQ(Win_GetPixel(dc, 29, 20), kRed);  // the descent below the baseline
  EXPECT_EQ(Win_GetPixel(dc, 30, 19), kWhite);
  EXPECT_EQ(Win_GetPixel(dc, 30 - w, 19), kRed);
  EXPECT_EQ(Win_GetPixel(dc, 29 - w, 19), kWhite);
  int column = 0;
  for (int y = 0; y < 30; ++y) column += Win_GetPixel(dc, 29, y) == kRed;
  EXPECT_EQ(column, h);
  // Transparent text leaves the background alone.
  Win_FillRect(dc, &all, static_cast<HBRUSH>(Win_GetStockObject(WHITE_BRUSH)));
  Win_SetBkMode(dc, TRANSPARENT);
  Win_SetTextAlign(dc, TA_LEFT | TA_TOP);
  Win_TextOut(dc, 2, 2, "Q", 1);
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) ASSERT_NE(Win_GetPixel(dc, x, y), kRed);
  EXPECT_GT(CountNotWhite(), 0);  // the glyph itself
}

TEST_F(Canvas, FocusRectInvertsAndASecondCallRemovesIt) {
  RECT rc{4, 4, 20, 12};
  Win_DrawFocusRect(dc, &rc);
  int shown = CountNotWhite();
  EXPECT_GT(shown, 10);
  EXPECT_LE(shown, 2 * (16 + 8));  // a dotted outline, nothing inside
  EXPECT_EQ(Win_GetPixel(dc, 10, 8), kWhite);
  Win_DrawFocusRect(dc, &rc);
  EXPECT_EQ(CountNotWhite(), 0);
  // Partly outside the canvas, and a one-pixel-high band.
  for (RECT r : {RECT{-5, -5, 100, 10}, RECT{3, 7, 30, 8}}) {
    Win_DrawFocusRect(dc, &r);
    EXPECT_GT(CountNotWhite(), 0);
    Win_DrawFocusRect(dc, &r);
    EXPECT_EQ(CountNotWhite(), 0);
  }
}

TEST_F(Canvas, CopiesBetweenCanvasesAndSavesPng) {
  HBRUSH brush = Win_CreateSolidBrush(kRed);
  RECT rc{0, 0, 2, 2};
  Win_FillRect(dc, &rc, brush);
  Win_DeleteObject(brush);
  HDC other = Win_CreateCompatibleDC(dc);
  HBITMAP big = Win_CreateCompatibleBitmap(other, 10, 10);
  HGDIOBJ old = Win_SelectObject(other, big);
  EXPECT_EQ(Win_SelectObject(dc, big), nullptr);  // a bitmap lives in one canvas at a time
  EXPECT_EQ(Win_BitBlt(other, 8, 8, 40, 30, dc, 0, 0, SRCCOPY), 1);  // clipped at 10 x 10
  EXPECT_EQ(Win_GetPixel(other, 8, 8), kRed);
  EXPECT_EQ(Win_GetPixel(other, 9, 9), kRed);
  EXPECT_EQ(Win_GetPixel(other, 7, 7), kBlack);
  EXPECT_EQ(Win_GetPixel(other, 10, 10), 0xFFFFFFFFu);
  EXPECT_EQ(Win_BitBlt(other, -1, -1, 3, 3, dc, 0, 0, SRCCOPY), 1);
  EXPECT_EQ(Win_GetPixel(other, 0, 0), kRed);
  EXPECT_EQ(Win_GetPixel(other, 1, 1), kWhite);
  EXPECT_EQ(Win_BitBlt(other, 0, 0, 3, 3, dc, 0, 0, 0x00330008u), 0);  // only plain copies

  TempDir dir;
  ASSERT_EQ(Win_SaveBitmapPng(big, dir.File("c.png").c_str()), 0);
  bool ok = false;
  std::string png = TestFiles_Read(dir.File("c.png"), &ok);
  ASSERT_TRUE(ok);
  EXPECT_EQ(png.substr(1, 3), "PNG");
  EXPECT_EQ(Win_SaveBitmapPng(big, (dir.File("missing") + "/c.png").c_str()), 2129);  // no such folder
  Win_SelectObject(other, old);
  Win_DeleteObject(big);
  Win_DeleteDC(other);

  // A null canvas does nothing and reports failure.
  EXPECT_EQ(Win_LineTo(nullptr, 1, 1), 0);
  EXPECT_EQ(Win_TextOut(nullptr, 0, 0, "Q", 1), 0);
  EXPECT_EQ(Win_FillRect(nullptr, &rc, static_cast<HBRUSH>(Win_GetStockObject(WHITE_BRUSH))), 0);
  int w = 0, h = 0;
  WinUtil_GetTextExtent(nullptr, "Q", &w, &h);
  EXPECT_EQ(w, 1);
  EXPECT_EQ(h, 1);
  EXPECT_EQ(Win_CreateCompatibleBitmap(nullptr, 0, 5), nullptr);
}

// Random polylines near and far outside a 160 x 120 image, drawn one by one
// with Win_Polyline and at once with Win_Polylines: the same pixels, and those
// of a plain Bresenham line without its end pixel when every point lies near.
TEST(CanvasLines, PolylinesDrawTheSamePixelsAsOneByOneAndAsBresenham) {
  Win_Init(nullptr, nullptr);
  constexpr int W = 160, H = 120;
  HDC one = Win_CreateCompatibleDC(nullptr), all = Win_CreateCompatibleDC(nullptr);
  HBITMAP bmpOne = Win_CreateCompatibleBitmap(one, W, H), bmpAll = Win_CreateCompatibleBitmap(all, W, H);
  HGDIOBJ oldOne = Win_SelectObject(one, bmpOne), oldAll = Win_SelectObject(all, bmpAll);
  std::mt19937 rng(17);
  auto near = [&](int size) { return static_cast<int>(rng() % (size + 80)) - 40; };
  for (int round = 0; round < 40; ++round) {
    SCOPED_TRACE(testing::Message() << "round " << round);
    const bool far = round % 4 == 3, wide = round % 8 == 5;
    std::vector<std::vector<POINT>> lines(1 + rng() % 8);
    std::vector<HPEN> pens;
    std::vector<COLORREF> ref(W * H, kBlack);
    for (size_t k = 0; k < lines.size(); ++k) {
      std::vector<POINT>& p = lines[k];
      p.resize(rng() % 60);
      for (size_t j = 0; j < p.size(); ++j)  // columns as the curve walk gives them, or anywhere
        p[j] = k % 2 ? POINT{static_cast<int>(j / 2) * 3, near(H)} : POINT{near(W), near(H)};
      if (far && !p.empty()) p[rng() % p.size()] = POINT{static_cast<int>(rng() % 8000000) - 4000000, near(H)};
      const COLORREF color = RGB(rng() % 256, rng() % 256, rng() % 256) | 1;
      pens.push_back(Win_CreatePen(PS_SOLID, wide && k == 0 ? 3 : 1, color));
      for (size_t j = 1; j < p.size(); ++j) {  // the reference line from p[j - 1] to p[j]
        int x = p[j - 1].x, y = p[j - 1].y, dx = std::abs(p[j].x - x), dy = -std::abs(p[j].y - y), err = dx + dy;
        while (!far && (x != p[j].x || y != p[j].y)) {
          if (x >= 0 && y >= 0 && x < W && y < H) ref[y * W + x] = color;
          int e2 = 2 * err;
          if (e2 >= dy) err += dy, x += x < p[j].x ? 1 : -1;
          if (e2 <= dx) err += dx, y += y < p[j].y ? 1 : -1;
        }
      }
      HGDIOBJ old = Win_SelectObject(one, pens[k]);
      Win_Polyline(one, p.data(), static_cast<int>(p.size()));
      Win_SelectObject(one, old);
    }
    std::vector<const POINT*> pts;
    std::vector<int> counts;
    for (const std::vector<POINT>& p : lines) pts.push_back(p.data()), counts.push_back(static_cast<int>(p.size()));
    ASSERT_EQ(Win_Polylines(all, pens.data(), pts.data(), counts.data(), static_cast<int>(lines.size())), 1);
    int differ = 0, off = 0;
    for (int y = 0; y < H; ++y) {
      for (int x = 0; x < W; ++x) {
        differ += Win_GetPixel(one, x, y) != Win_GetPixel(all, x, y);
        off += !far && !wide && Win_GetPixel(one, x, y) != ref[y * W + x];
      }
    }
    EXPECT_EQ(differ, 0);
    EXPECT_EQ(off, 0);
    for (HPEN pen : pens) Win_DeleteObject(pen);
    RECT rc{0, 0, W, H};
    for (HDC dc : {one, all}) Win_FillRect(dc, &rc, static_cast<HBRUSH>(Win_GetStockObject(BLACK_BRUSH)));
  }
  HPEN bad = nullptr;
  EXPECT_EQ(Win_Polylines(all, &bad, nullptr, nullptr, 1), 0);
  Win_SelectObject(one, oldOne), Win_SelectObject(all, oldAll);
  Win_DeleteObject(bmpOne), Win_DeleteObject(bmpAll);
  Win_DeleteDC(one), Win_DeleteDC(all);
}

TEST(WindowCanvas, PaintsOverTheClientArea) {
  HWND hwnd = PlainWindow_Create(WS_OVERLAPPEDWINDOW, 10, 10, 300, 200);
  ASSERT_NE(hwnd, nullptr);
  RECT client{};
  Win_GetClientRect(hwnd, &client);
  PAINTSTRUCT ps{};
  HDC dc = Win_BeginPaint(hwnd, &ps);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(ps.hdc, dc);
  EXPECT_EQ(ps.rcPaint.right, client.right);
  EXPECT_EQ(Win_GetPixel(dc, client.right - 1, client.bottom - 1), kWhite);
  EXPECT_EQ(Win_GetPixel(dc, client.right, 0), 0xFFFFFFFFu);
  WinUtil_DrawLine(dc, 0, 5, 10, 5);
  EXPECT_EQ(Win_EndPaint(hwnd, &ps), 1);
  // What was painted stays on the window and is seen by the next canvas.
  HDC again = Win_GetDC(hwnd);
  EXPECT_EQ(Win_GetPixel(again, 3, 5), kBlack);
  EXPECT_EQ(Win_ReleaseDC(hwnd, again), 1);
  EXPECT_EQ(Win_ReleaseDC(hwnd, again), 0);  // already released
  EXPECT_EQ(Win_GetWindowRect(hwnd, &client), 1);
  EXPECT_EQ(WinUtil_GetWindowHeight(hwnd), client.bottom - client.top);
  EXPECT_EQ(WinUtil_GetWindowHeight(nullptr), 0);
  Win_DestroyWindow(hwnd);
  EXPECT_EQ(Win_GetDC(hwnd), nullptr);
}

}  // namespace
