// The drawing helpers of the window utilities: window height, text extent and
// a line without its end pixel.
#include "winutil/window_utils.h"

#include <cstring>

#include "curve/safe_int.h"
#include "winutil/winapi.h"

int WinUtil_GetWindowHeight(HWND hwnd) {
  RECT rc{};
  if (!hwnd || !Win_GetWindowRect(hwnd, &rc)) return 0;
  return Int64_ToInt(static_cast<long long>(rc.bottom) - rc.top);
}

void WinUtil_GetTextExtent(HDC dc, const char* text, int* width, int* height) {
  SIZE size{1, 1};
  if (!text || !Win_GetTextExtentPoint32(dc, text, Int64_ToInt(static_cast<long long>(std::strlen(text))), &size))
    size = SIZE{1, 1};
  if (width) *width = size.cx;
  if (height) *height = size.cy;
}

int WinUtil_DrawLine(HDC dc, int x1, int y1, int x2, int y2) {
  Win_MoveToEx(dc, x1, y1, nullptr);
  return Win_LineTo(dc, x2, y2);
}
