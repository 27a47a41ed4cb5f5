// The layer's one tooltip over QToolTip: the lines become rich text, each in
// its colour, shown just below and right of the point so that the pointer
// does not cover it.  The plain lines are kept for WinTest_TipText.
#include <QToolTip>
#include <cstdio>
#include <string>

#include "winutil/qt/qt_window.h"
#include "winutil/winapi.h"
#include "winutil/wintest.h"

namespace {

constexpr int TIP_OFFSET = 16;        // pixels right of and below the point
constexpr int TIP_SHOWN_MS = 600000;  // stays until hidden or replaced

std::string s_sTip;  // the lines shown, joined by newlines; empty when hidden
int s_iTipLines;     // how many

}  // namespace

int Win_ShowTip(HWND hwnd, int x, int y, const char* const* lines, const COLORREF* colours, int n) {
  if (!QtWin_IsLive(hwnd) || !hwnd->pClient || !lines || n <= 0) return 0;
  QString html = "<div style='white-space:pre'>";
  s_sTip.clear();
  for (int k = 0; k < n; ++k) {
    COLORREF c = colours ? colours[k] : 0;
    char rgb[8];
    std::snprintf(rgb, sizeof rgb, "#%02x%02x%02x", static_cast<unsigned>(c & 0xFF),
                  static_cast<unsigned>((c >> 8) & 0xFF), static_cast<unsigned>((c >> 16) & 0xFF));
    QString line = QString::fromUtf8(lines[k] ? lines[k] : "").toHtmlEscaped();
    html += (k ? "<br>" : "") + QString("<b style='color:%1'>%2</b>").arg(rgb, line);
    s_sTip += (k ? "\n" : "") + std::string(lines[k] ? lines[k] : "");
  }
  html += "</div>";
  s_iTipLines = n;
  QPoint at = hwnd->pClient->mapToGlobal(QPoint(x + TIP_OFFSET, y + TIP_OFFSET));
  QToolTip::showText(at, html, hwnd->pClient, QRect(), TIP_SHOWN_MS);
  return 1;
}

int Win_HideTip(void) {
  int was = !s_sTip.empty();
  s_sTip.clear();
  s_iTipLines = 0;
  QToolTip::hideText();
  return was;
}

int WinTest_TipText(char* text, int size) {
  if (text && size > 0) std::snprintf(text, static_cast<size_t>(size), "%s", s_sTip.c_str());
  return s_iTipLines;
}
