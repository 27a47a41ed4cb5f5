// Canvases of the window layer over QImage (Format_RGB32).  Lines, fills,
// focus rectangles and copies write the image's pixels directly: 1-pixel lines
// are exact Bresenham lines without their end pixel, as GDI draws them, and a
// curve of thousands of points costs no painter set-up.  A line is rasterised
// as the run of pixels in each column it crosses, so the tall columns of a
// long curve are written straight down the image; several curves drawn at once
// (Win_Polylines) go topmost first over a bitmap of the pixels already
// covered, so each pixel is written once however many curves overlap it.
// Only text goes through a QPainter, begun and ended inside one call, in one
// fixed font so that layout is the same on every machine.
//
// On a screen with a device pixel ratio above 1 the screen image and the
// bitmaps made compatible with it hold that many device pixels per logical
// pixel (the ratio rounded, kept in the QImage): every call takes logical
// coordinates and draws at the device's resolution, so lines and text are
// sharp while layout and hit tests stay in logical pixels.
//
// An SVG canvas (Win_CreateSvgDC) draws the same calls as vector lines,
// polylines, rectangles and text through a QPainter on a QSvgGenerator.
//
// A window canvas draws on the window's screen image (WinWindow::pScreen),
// which the client widget's paint event copies out; ending the paint or
// releasing the canvas asks the widget for that copy.
#include <QBuffer>
#include <QClipboard>
#include <QByteArray>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QString>
#include <QSvgGenerator>
#include <cstdlib>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <unordered_set>

#include "formats/safe_write.h"
#include "winutil/error_text.h"
#include "winutil/qt/qt_window.h"
#include "winutil/winapi.h"
#include "winutil/wintest.h"

namespace {

enum GdiKind { GDI_BITMAP, GDI_PEN, GDI_BRUSH };

constexpr COLORREF COLOR_INVALID = 0xFFFFFFFFu;
constexpr const char* CANVAS_FONT_FAMILY = "DejaVu Sans";
constexpr int CANVAS_FONT_PIXELS = 12;
// Lines whose ends lie within this margin around the image are drawn pixel by
// pixel; longer ones are clipped to the image first.
constexpr long long LINE_DIRECT_LIMIT = 1 << 16;

}  // namespace

// A bitmap, pen or brush.
struct WinGdiObject {
  GdiKind iKind;   // bitmap, pen or brush
  bool bStock;     // stock objects are never freed
  QImage Image;    // bitmap pixels (GDI_BITMAP)
  COLORREF cr;     // pen or brush colour
  int iWidth;      // pen width in pixels
  int iSelected;   // canvases that have it selected; such an object is not freed
};

// A drawing surface: a window's screen image or a memory canvas's bitmap.
struct WinCanvas {
  HWND hwnd;        // window canvas: the window; null for a memory canvas
  QImage* pTarget;  // the pixels drawn on; null draws nothing
  HBITMAP hBitmap;  // the bitmap selected into a memory canvas
  HPEN hPen;        // pen selected into the canvas (lines)
  HBRUSH hBrush;    // brush selected into the canvas (fills)
  COLORREF crBk;    // text background, white at first
  COLORREF crText;  // text colour, black at first
  int iBkMode;      // OPAQUE at first
  UINT uAlign;      // TA_* bits
  POINT ptCur;      // current position of MoveToEx / LineTo
  QPainter* pSvgPainter;  // an SVG canvas's painter (null for pixel canvases)
  QSvgGenerator* pSvg;    // the SVG document it paints
  QBuffer* pSvgBytes;     // where the document is written
};

namespace {

std::unordered_set<const WinCanvas*>& LiveCanvases() {
  static std::unordered_set<const WinCanvas*> live;
  return live;
}
std::unordered_set<const WinGdiObject*>& LiveObjects() {
  static std::unordered_set<const WinGdiObject*> live;
  return live;
}

WinGdiObject* StockObject(int which) {
  static WinGdiObject white{GDI_BRUSH, true, QImage(), RGB(255, 255, 255), 0, 0};
  static WinGdiObject black{GDI_BRUSH, true, QImage(), RGB(0, 0, 0), 0, 0};
  static WinGdiObject pen{GDI_PEN, true, QImage(), RGB(0, 0, 0), 1, 0};
  static WinGdiObject bitmap{GDI_BITMAP, true, QImage(), 0, 0, 0};  // no pixels: draws nothing
  switch (which) {
    case WHITE_BRUSH: return &white;
    case BLACK_BRUSH: return &black;
    case -1: return &pen;     // the pen of a new canvas
    default: return &bitmap;  // the bitmap of a new memory canvas
  }
}

bool LiveCanvas(HDC dc) { return dc && LiveCanvases().count(dc); }
bool LiveObject(HGDIOBJ o) { return o && (o->bStock || LiveObjects().count(o)); }

HDC NewCanvas(HWND hwnd, QImage* target) {
  WinCanvas* dc = new WinCanvas{hwnd,         target,       nullptr,          StockObject(-1), StockObject(WHITE_BRUSH),
                                RGB(255, 255, 255), RGB(0, 0, 0), OPAQUE, TA_LEFT | TA_TOP, POINT{0, 0},
                                nullptr,      nullptr,      nullptr};
  dc->hPen->iSelected++;
  dc->hBrush->iSelected++;
  LiveCanvases().insert(dc);
  return dc;
}

void FreeCanvas(HDC dc) {
  for (HGDIOBJ o : {dc->hBitmap, dc->hPen, dc->hBrush})
    if (o) o->iSelected--;
  if (dc->pSvgPainter && dc->pSvgPainter->isActive()) dc->pSvgPainter->end();
  delete dc->pSvgPainter;
  delete dc->pSvg;
  delete dc->pSvgBytes;
  LiveCanvases().erase(dc);
  delete dc;
}

// The canvas's pixels, or null when it has nothing to draw on.
QImage* Target(HDC dc) {
  if (!LiveCanvas(dc) || !dc->pTarget || dc->pTarget->isNull()) return nullptr;
  return dc->pTarget;
}

int g_iTestRatio = 0;  // a device pixel ratio that tests force, 0 for the screen's

// Device pixels per logical pixel of an image.
long long ScaleOf(const QImage* img) { return std::max(1LL, static_cast<long long>(std::lround(img->devicePixelRatio()))); }

// The ratio a window's screen image gets: its screen's, rounded, 1 to 4.
int WindowRatio(HWND hwnd) {
  double r = g_iTestRatio ? g_iTestRatio : QtWin_InputWidget(hwnd)->devicePixelRatioF();
  return std::clamp(static_cast<int>(std::lround(r)), 1, 4);
}

QRgb ToRgb(COLORREF c) { return qRgb(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
COLORREF ToColorRef(QRgb p) { return RGB(qRed(p), qGreen(p), qBlue(p)); }

// Fills the intersection of [x0, x1) x [y0, y1) with the image.
void FillPixels(QImage* img, long long x0, long long y0, long long x1, long long y1, QRgb rgb) {
  x0 = std::max(x0, 0LL), y0 = std::max(y0, 0LL);
  x1 = std::min(x1, static_cast<long long>(img->width())), y1 = std::min(y1, static_cast<long long>(img->height()));
  if (x0 >= x1 || y0 >= y1) return;
  for (long long y = y0; y < y1; ++y) {
    QRgb* row = reinterpret_cast<QRgb*>(img->scanLine(static_cast<int>(y)));
    std::fill(row + x0, row + x1, rgb);
  }
}

// Clips the segment to the rectangle [lo, hi] on both axes (Liang-Barsky);
// 0 when nothing of it lies inside.
int ClipToBox(double* x0, double* y0, double* x1, double* y1, double loX, double loY, double hiX, double hiY) {
  double dx = *x1 - *x0, dy = *y1 - *y0, a = 0.0, b = 1.0;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {*x0 - loX, hiX - *x0, *y0 - loY, hiY - *y0};
  for (int k = 0; k < 4; ++k) {
    if (p[k] == 0.0) {
      if (q[k] < 0.0) return 0;
      continue;
    }
    double r = q[k] / p[k];
    if (p[k] < 0.0) a = std::max(a, r);
    else b = std::min(b, r);
    if (a > b) return 0;
  }
  double sx = *x0, sy = *y0;
  *x0 = std::round(sx + a * dx), *y0 = std::round(sy + a * dy);
  *x1 = std::round(sx + b * dx), *y1 = std::round(sy + b * dy);
  return 1;
}

// The pixels of a line from (x0, y0) toward (x1, y1), end pixel excluded
// (drawn when drawEnd), as exact Bresenham steps, handed over as the run of
// each column: run(x, ya, yb) covers (x, ya) .. (x, yb), ya <= yb, in the
// order the line passes them; nothing is clipped.
template <typename Run>
void LineRuns(long long x0, long long y0, long long x1, long long y1, bool drawEnd, Run&& run) {
  const long long dx = std::llabs(x1 - x0), dy = -std::llabs(y1 - y0);
  const long long sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  if (dx == 0) {
    // Vertical lines are most of a curve's columns: one run down the column.
    const long long ya = sy > 0 ? y0 : y1 + (drawEnd ? 0 : 1), yb = sy > 0 ? y1 - (drawEnd ? 0 : 1) : y0;
    if (ya <= yb) run(x0, ya, yb);
    return;
  }
  long long err = dx + dy;
  if (dx < -dy) {
    // Steep: y steps every time and x once 2 * err reaches dy, so the length
    // of each column's run follows from err with one division.
    while (x0 != x1) {
      const long long m = 2 * err >= dy ? 0 : (dy - 2 * err + 2 * dx - 1) / (2 * dx);  // steps before x moves
      const long long yEnd = y0 + m * sy;
      run(x0, std::min(y0, yEnd), std::max(y0, yEnd));
      err += m * dx;
      const long long e2 = 2 * err;
      x0 += sx, err += dy, y0 = yEnd;
      if (e2 <= dx) err += dx, y0 += sy;
    }
    // The last column runs to the end pixel.
    const long long yb = drawEnd ? y1 : y1 - sy;
    if (y0 != y1 || drawEnd) run(x1, std::min(y0, yb), std::max(y0, yb));
    return;
  }
  // Shallow: x steps every time, so every pixel is a column's run of its own.
  for (;;) {
    if (x0 == x1 && y0 == y1) {
      if (drawEnd) run(x0, y0, y0);
      return;
    }
    run(x0, y0, y0);
    const long long e2 = 2 * err;
    if (e2 >= dy) err += dy, x0 += sx;
    if (e2 <= dx) err += dx, y0 += sy;
  }
}

// The runs of a pen line of the given width on a w x h image, as LineRuns
// gives them; a line whose ends lie far outside the image is clipped to the
// image's surroundings first (its clipped ends are then drawn).
template <typename Run>
void SegmentRuns(long long w, long long h, long long x0, long long y0, long long x1, long long y1, int width,
                 Run&& run) {
  bool drawEnd = false;
  if (std::min(x0, x1) < -LINE_DIRECT_LIMIT || std::min(y0, y1) < -LINE_DIRECT_LIMIT ||
      std::max(x0, x1) > w + LINE_DIRECT_LIMIT || std::max(y0, y1) > h + LINE_DIRECT_LIMIT) {
    double ax = x0, ay = y0, bx = x1, by = y1;
    if (!ClipToBox(&ax, &ay, &bx, &by, -width - 1.0, -width - 1.0, w + width + 1.0, h + width + 1.0)) return;
    drawEnd = bx != x1 || by != y1;  // a clipped end is not the line's own end
    x0 = static_cast<long long>(ax), y0 = static_cast<long long>(ay);
    x1 = static_cast<long long>(bx), y1 = static_cast<long long>(by);
  }
  LineRuns(x0, y0, x1, y1, drawEnd, run);
}

// Writes the pixels (x, ya .. yb) that lie on the image.
inline void ColumnRun(uchar* bits, qsizetype stride, long long w, long long h, long long x, long long ya,
                      long long yb, QRgb rgb) {
  if (x < 0 || x >= w) return;
  ya = std::max(ya, 0LL), yb = std::min(yb, h - 1);
  if (ya > yb) return;
  uchar* p = bits + ya * stride + x * static_cast<long long>(sizeof(QRgb));
  for (long long y = ya; y <= yb; ++y, p += stride) *reinterpret_cast<QRgb*>(p) = rgb;
}

// A line from (x0, y0) toward (x1, y1), end pixel excluded, in the pen's
// colour and width: every pixel of the line is the centre of a width x width
// square (one pixel for width 1).
void DrawSegment(QImage* img, long long x0, long long y0, long long x1, long long y1, QRgb rgb, int width) {
  const long long w = img->width(), h = img->height();
  if (width <= 1) {
    uchar* bits = img->bits();
    const qsizetype stride = img->bytesPerLine();
    SegmentRuns(w, h, x0, y0, x1, y1, width,
                [&](long long x, long long ya, long long yb) { ColumnRun(bits, stride, w, h, x, ya, yb, rgb); });
    return;
  }
  const long long half = (width - 1) / 2;
  SegmentRuns(w, h, x0, y0, x1, y1, width, [&](long long x, long long ya, long long yb) {
    FillPixels(img, x - half, ya - half, x - half + width, yb - half + width, rgb);
  });
}

// Which pixels of an image are already covered, one bit each, column by
// column: polylines drawn from the topmost down write only what no later one
// covers.
struct Coverage {
  uint64_t* pBits;   // the columns' words, iWords per column; owned (malloc'd)
  long long iWords;  // 64-row words per column

  // Writes the pixels (x, ya .. yb) on the image that are not covered yet and
  // marks them covered.
  void Run(uchar* bits, qsizetype stride, long long w, long long h, long long x, long long ya, long long yb,
           QRgb rgb) {
    if (x < 0 || x >= w) return;
    ya = std::max(ya, 0LL), yb = std::min(yb, h - 1);
    if (ya > yb) return;
    uint64_t* col = pBits + x * iWords;
    uchar* px = bits + x * static_cast<long long>(sizeof(QRgb));
    if (ya == yb) {  // shallow lines give one pixel at a time
      const uint64_t bit = 1ULL << (ya & 63);
      if (!(col[ya >> 6] & bit)) col[ya >> 6] |= bit, *reinterpret_cast<QRgb*>(px + ya * stride) = rgb;
      return;
    }
    const long long last = yb >> 6;
    uint64_t want = ~0ULL << (ya & 63);
    for (long long k = ya >> 6;; ++k, want = ~0ULL) {
      if (k == last) want &= ~0ULL >> (63 - (yb & 63));
      uint64_t fresh = want & ~col[k];
      col[k] |= want;
      while (fresh) {  // each stretch of uncovered rows at once
        const int a = __builtin_ctzll(fresh);
        const uint64_t from = fresh >> a;
        const int len = ~from ? __builtin_ctzll(~from) : 64 - a;
        uchar* p = px + ((k << 6) + a) * stride;
        for (int y = 0; y < len; ++y, p += stride) *reinterpret_cast<QRgb*>(p) = rgb;
        fresh &= len + a >= 64 ? 0 : ~0ULL << (len + a);
      }
      if (k == last) return;
    }
  }
};

void PenLine(HDC dc, QImage* img, int x0, int y0, int x1, int y1) {
  HPEN pen = dc->hPen;
  const long long s = ScaleOf(img);
  DrawSegment(img, x0 * s, y0 * s, x1 * s, y1 * s, ToRgb(pen ? pen->cr : 0),
              static_cast<int>(s) * (pen ? std::max(pen->iWidth, 1) : 1));
}

// The one font of every canvas; null without a GUI application (no text then).
const QFont* CanvasFont() {
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return nullptr;
  static QFont font = [] {
    QFont f(CANVAS_FONT_FAMILY);
    f.setPixelSize(CANVAS_FONT_PIXELS);
    f.setStyleHint(QFont::SansSerif);
    return f;
  }();
  return &font;
}

// A canvas over the window's screen image, sized to the client area first.
HDC WindowCanvas(HWND hwnd) {
  if (!QtWin_IsLive(hwnd)) return nullptr;
  RECT rc{};
  Win_GetClientRect(hwnd, &rc);
  int s = WindowRatio(hwnd);
  int w = std::max(rc.right - rc.left, 1) * s, h = std::max(rc.bottom - rc.top, 1) * s;
  if (!hwnd->pScreen) hwnd->pScreen = new QImage();
  if (hwnd->pScreen->width() != w || hwnd->pScreen->height() != h) {
    *hwnd->pScreen = QImage(w, h, QImage::Format_RGB32);
    hwnd->pScreen->setDevicePixelRatio(s);
    if (!hwnd->pScreen->isNull()) hwnd->pScreen->fill(qRgb(255, 255, 255));
  }
  return NewCanvas(hwnd, hwnd->pScreen);
}

// Ends a window canvas and asks the widget to show the screen image (inside
// the widget's own paint event the copy follows anyway).
int EndWindowCanvas(HWND hwnd, HDC dc) {
  if (!LiveCanvas(dc)) return 0;
  FreeCanvas(dc);
  if (!QtWin_IsLive(hwnd)) return 1;
  QWidget* screen = QtWin_InputWidget(hwnd);  // the client widget, which shows the screen image
  if (!screen->testAttribute(Qt::WA_WState_InPaintEvent)) screen->update();
  return 1;
}

}  // namespace

HDC Win_BeginPaint(HWND hwnd, PAINTSTRUCT* ps) {
  HDC dc = WindowCanvas(hwnd);
  if (!dc) return nullptr;
  hwnd->iPaintPending = 0;  // the paint about to happen answers the request
  if (ps) {
    *ps = PAINTSTRUCT{};
    ps->hdc = dc;
    Win_GetClientRect(hwnd, &ps->rcPaint);
  }
  return dc;
}

int Win_EndPaint(HWND hwnd, const PAINTSTRUCT* ps) { return ps ? EndWindowCanvas(hwnd, ps->hdc) : 0; }

HDC Win_GetDC(HWND hwnd) { return WindowCanvas(hwnd); }

int Win_ReleaseDC(HWND hwnd, HDC dc) { return EndWindowCanvas(hwnd, dc); }

HDC Win_CreateCompatibleDC(HDC) {
  HDC dc = NewCanvas(nullptr, nullptr);
  Win_SelectObject(dc, StockObject(-2));
  return dc;
}

HBITMAP Win_CreateCompatibleBitmap(HDC dc, int w, int h) {
  if (w < 1 || h < 1) return nullptr;
  const QImage* like = Target(dc);
  const long long s = like ? ScaleOf(like) : 1;
  if (w * s > INT32_MAX / 4 / std::max(h * s, 1LL)) return nullptr;  // beyond what a QImage holds
  WinGdiObject* bmp = new WinGdiObject{GDI_BITMAP, false,
                                       QImage(static_cast<int>(w * s), static_cast<int>(h * s), QImage::Format_RGB32),
                                       0, 0, 0};
  if (bmp->Image.isNull()) {
    delete bmp;
    return nullptr;
  }
  bmp->Image.setDevicePixelRatio(static_cast<double>(s));
  bmp->Image.fill(qRgb(0, 0, 0));
  LiveObjects().insert(bmp);
  return bmp;
}

int Win_DeleteDC(HDC dc) {
  if (!LiveCanvas(dc) || dc->hwnd) return 0;
  FreeCanvas(dc);
  return 1;
}

HGDIOBJ Win_SelectObject(HDC dc, HGDIOBJ obj) {
  if (!LiveCanvas(dc) || !LiveObject(obj)) return nullptr;
  HGDIOBJ* slot = nullptr;
  switch (obj->iKind) {
    case GDI_BITMAP:
      if (dc->hwnd || (!obj->bStock && obj->iSelected > 0 && dc->hBitmap != obj)) return nullptr;  // one canvas per bitmap
      slot = &dc->hBitmap;
      break;
    case GDI_PEN: slot = &dc->hPen; break;
    case GDI_BRUSH: slot = &dc->hBrush; break;
  }
  HGDIOBJ old = *slot;
  if (old) old->iSelected--;
  *slot = obj;
  obj->iSelected++;
  if (obj->iKind == GDI_BITMAP) dc->pTarget = &obj->Image;
  return old;
}

int Win_DeleteObject(HGDIOBJ obj) {
  if (!LiveObject(obj)) return 0;
  if (obj->bStock) return 1;
  if (obj->iSelected > 0) return 0;
  LiveObjects().erase(obj);
  delete obj;
  return 1;
}

HGDIOBJ Win_GetStockObject(int which) {
  return (which == WHITE_BRUSH || which == BLACK_BRUSH) ? StockObject(which) : nullptr;
}

HBRUSH Win_CreateSolidBrush(COLORREF color) {
  WinGdiObject* brush = new WinGdiObject{GDI_BRUSH, false, QImage(), color & 0xFFFFFF, 0, 0};
  LiveObjects().insert(brush);
  return brush;
}

HPEN Win_CreatePen(int, int width, COLORREF color) {
  WinGdiObject* pen = new WinGdiObject{GDI_PEN, false, QImage(), color & 0xFFFFFF, std::clamp(width, 1, 64), 0};
  LiveObjects().insert(pen);
  return pen;
}

// The painter of an SVG canvas with the canvas's pen, or null.
QPainter* SvgPainter(HDC dc) {
  if (!LiveCanvas(dc) || !dc->pSvgPainter) return nullptr;
  HPEN pen = dc->hPen;
  QPen p(QColor(ToRgb(pen ? pen->cr : 0)));
  p.setWidth(pen ? std::max(pen->iWidth, 1) : 1);
  p.setCapStyle(Qt::FlatCap);
  dc->pSvgPainter->setPen(p);
  dc->pSvgPainter->setBrush(Qt::NoBrush);
  return dc->pSvgPainter;
}

HDC Win_CreateSvgDC(int w, int h) {
  if (w < 1 || h < 1) return nullptr;
  HDC dc = NewCanvas(nullptr, nullptr);
  dc->pSvgBytes = new QBuffer();
  dc->pSvg = new QSvgGenerator();
  dc->pSvg->setOutputDevice(dc->pSvgBytes);
  dc->pSvg->setSize(QSize(w, h));
  dc->pSvg->setViewBox(QRect(0, 0, w, h));
  dc->pSvg->setTitle("Plotsmith diagram");
  dc->pSvgPainter = new QPainter();
  if (!dc->pSvgPainter->begin(dc->pSvg)) {
    Win_DeleteDC(dc);
    return nullptr;
  }
  if (const QFont* font = CanvasFont()) dc->pSvgPainter->setFont(*font);
  return dc;
}

char* Win_EncodeCanvas(HDC dc, size_t* size) {
  if (!LiveCanvas(dc) || !size) return nullptr;
  QByteArray bytes;
  if (dc->pSvgPainter) {
    if (dc->pSvgPainter->isActive()) dc->pSvgPainter->end();
    bytes = dc->pSvgBytes->data();
  } else if (dc->hBitmap && !dc->hBitmap->bStock) {
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    if (!dc->hBitmap->Image.save(&out, "PNG")) return nullptr;
  }
  if (bytes.isEmpty()) return nullptr;
  char* data = static_cast<char*>(std::malloc(static_cast<size_t>(bytes.size())));
  if (!data) return nullptr;
  std::memcpy(data, bytes.constData(), static_cast<size_t>(bytes.size()));
  *size = static_cast<size_t>(bytes.size());
  return data;
}

int Win_CopyBitmapToClipboard(HBITMAP bitmap) {
  if (!LiveObject(bitmap) || bitmap->iKind != GDI_BITMAP || bitmap->Image.isNull()) return 0;
  if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return 0;
  QClipboard* clip = QGuiApplication::clipboard();
  if (!clip) return 0;
  clip->setImage(bitmap->Image);
  return 1;
}

int Win_FillRect(HDC dc, const RECT* rc, HBRUSH brush) {
  if (QPainter* p = SvgPainter(dc); p && rc && LiveObject(brush) && brush->iKind == GDI_BRUSH) {
    p->fillRect(QRect(QPoint(rc->left, rc->top), QPoint(rc->right - 1, rc->bottom - 1)), QColor(ToRgb(brush->cr)));
    return 1;
  }
  QImage* img = Target(dc);
  if (!img || !rc || !LiveObject(brush) || brush->iKind != GDI_BRUSH) return 0;
  const long long s = ScaleOf(img);
  FillPixels(img, rc->left * s, rc->top * s, rc->right * s, rc->bottom * s, ToRgb(brush->cr));
  return 1;
}

int Win_MoveToEx(HDC dc, int x, int y, POINT* old) {
  if (!LiveCanvas(dc)) return 0;
  if (old) *old = dc->ptCur;
  dc->ptCur = POINT{x, y};
  return 1;
}

int Win_LineTo(HDC dc, int x, int y) {
  if (QPainter* p = SvgPainter(dc)) {
    p->drawLine(dc->ptCur.x, dc->ptCur.y, x, y);
    dc->ptCur = POINT{x, y};
    return 1;
  }
  QImage* img = Target(dc);
  if (!img) return 0;
  PenLine(dc, img, dc->ptCur.x, dc->ptCur.y, x, y);
  dc->ptCur = POINT{x, y};
  return 1;
}

int Win_Polyline(HDC dc, const POINT* pts, int count) {
  if (QPainter* p = SvgPainter(dc); p && pts && count >= 2) {
    QPolygon poly(count);
    for (int k = 0; k < count; ++k) poly.setPoint(k, pts[k].x, pts[k].y);
    p->drawPolyline(poly);
    return 1;
  }
  QImage* img = Target(dc);
  if (!img || !pts || count < 2) return 0;
  for (int k = 1; k < count; ++k) PenLine(dc, img, pts[k - 1].x, pts[k - 1].y, pts[k].x, pts[k].y);
  return 1;
}

int Win_Polylines(HDC dc, const HPEN* pens, const POINT* const* pts, const int* counts, int n) {
  if (!LiveCanvas(dc) || n < 0 || (n > 0 && (!pens || !pts || !counts))) return 0;
  for (int k = 0; k < n; ++k)
    if (!LiveObject(pens[k]) || pens[k]->iKind != GDI_PEN) return 0;
  QImage* img = Target(dc);
  bool thin = img && ScaleOf(img) == 1;
  for (int k = 0; k < n && thin; ++k) thin = pens[k]->iWidth <= 1;
  const long long w = img ? img->width() : 0, h = img ? img->height() : 0;
  // One bit per pixel: about a hundred kilobytes for a window-sized image.
  Coverage cover{nullptr, (h + 63) / 64};
  if (thin && n > 1) cover.pBits = static_cast<uint64_t*>(std::calloc(static_cast<size_t>(w * cover.iWords), 8));
  if (!cover.pBits) {  // one after another, as separate calls draw them
    HGDIOBJ old = dc->hPen;
    for (int k = 0; k < n; ++k) {
      Win_SelectObject(dc, pens[k]);
      Win_Polyline(dc, pts[k], counts[k]);
    }
    Win_SelectObject(dc, old);
    return 1;
  }
  // The topmost first: each pixel gets the colour of the last polyline over it.
  uchar* bits = img->bits();
  const qsizetype stride = img->bytesPerLine();
  for (int k = n - 1; k >= 0; --k) {
    const POINT* p = pts[k];
    const QRgb rgb = ToRgb(pens[k]->cr);
    for (int j = 1; p && j < counts[k]; ++j)
      SegmentRuns(w, h, p[j - 1].x, p[j - 1].y, p[j].x, p[j].y, 1, [&](long long x, long long ya, long long yb) {
        cover.Run(bits, stride, w, h, x, ya, yb, rgb);
      });
  }
  std::free(cover.pBits);
  return 1;
}

int Win_SetBkMode(HDC dc, int mode) {
  if (!LiveCanvas(dc) || (mode != OPAQUE && mode != TRANSPARENT)) return 0;
  int old = dc->iBkMode;
  dc->iBkMode = mode;
  return old;
}

COLORREF Win_SetBkColor(HDC dc, COLORREF color) {
  if (!LiveCanvas(dc)) return COLOR_INVALID;
  COLORREF old = dc->crBk;
  dc->crBk = color & 0xFFFFFF;
  return old;
}

COLORREF Win_SetTextColor(HDC dc, COLORREF color) {
  if (!LiveCanvas(dc)) return COLOR_INVALID;
  COLORREF old = dc->crText;
  dc->crText = color & 0xFFFFFF;
  return old;
}

UINT Win_SetTextAlign(HDC dc, UINT align) {
  if (!LiveCanvas(dc)) return 0;
  UINT old = dc->uAlign;
  dc->uAlign = align;
  return old;
}

int Win_TextOut(HDC dc, int x, int y, const char* text, int count) {
  QImage* img = Target(dc);
  const QFont* font = CanvasFont();
  if ((!img && !SvgPainter(dc)) || !font || !text || count < 0) return 0;
  QString s = QString::fromLocal8Bit(text, count);
  QFontMetrics fm(*font);
  long long w = fm.horizontalAdvance(s), h = fm.height(), ascent = fm.ascent();
  long long left = x, top = y;
  switch (dc->uAlign & TA_CENTER) {
    case TA_RIGHT: left -= w; break;
    case TA_CENTER: left -= w / 2; break;
    default: break;
  }
  switch (dc->uAlign & TA_BASELINE) {
    case TA_BASELINE: top -= ascent; break;
    case TA_BOTTOM: top -= h; break;
    default: break;
  }
  if (QPainter* p = SvgPainter(dc)) {
    if (dc->iBkMode == OPAQUE) p->fillRect(QRect(int(left), int(top), int(w), int(h)), QColor(ToRgb(dc->crBk)));
    p->setPen(QColor(ToRgb(dc->crText)));
    p->drawText(QPoint(static_cast<int>(left), static_cast<int>(top + ascent)), s);
    return 1;
  }
  const long long scale = ScaleOf(img);
  if (dc->iBkMode == OPAQUE) FillPixels(img, left * scale, top * scale, (left + w) * scale, (top + h) * scale, ToRgb(dc->crBk));
  // The painter takes logical coordinates: it applies the image's ratio itself.
  if (left + w < 0 || top + h < 0 || left > img->width() || top > img->height()) return 1;
  QPainter painter(img);
  painter.setFont(*font);
  painter.setPen(QColor(ToRgb(dc->crText)));
  painter.drawText(QPoint(static_cast<int>(left), static_cast<int>(top + ascent)), s);
  return 1;
}

int Win_GetTextExtentPoint32(HDC dc, const char* text, int count, SIZE* size) {
  const QFont* font = CanvasFont();
  if (!LiveCanvas(dc) || !font || !text || count < 0 || !size) return 0;
  QFontMetrics fm(*font);
  size->cx = fm.horizontalAdvance(QString::fromLocal8Bit(text, count));
  size->cy = fm.height();
  return 1;
}

int Win_DrawFocusRect(HDC dc, const RECT* rc) {
  QImage* img = Target(dc);
  if (!img || !rc) return 0;
  // Every other pixel of the outline, by the parity of x + y, is inverted; the
  // same call again restores it.
  const long long w = img->width(), h = img->height(), s = ScaleOf(img);
  const long long l = rc->left * s, t = rc->top * s, r = static_cast<long long>(rc->right) * s - 1,
                  b = static_cast<long long>(rc->bottom) * s - 1;
  if (r < l || b < t) return 1;
  auto invert = [&](long long x, long long y) {
    if (x < 0 || y < 0 || x >= w || y >= h || ((x + y) & 1)) return;
    QRgb* p = reinterpret_cast<QRgb*>(img->scanLine(static_cast<int>(y))) + x;
    *p ^= 0x00FFFFFFu;
  };
  const long long x0 = std::max(l, 0LL), x1 = std::min(r, w - 1);
  const long long y0 = std::max(t + 1, 0LL), y1 = std::min(b - 1, h - 1);
  for (long long x = x0; x <= x1; ++x) {
    invert(x, t);
    if (b != t) invert(x, b);
  }
  for (long long y = y0; y <= y1; ++y) {
    invert(l, y);
    if (r != l) invert(r, y);
  }
  return 1;
}

COLORREF Win_GetPixel(HDC dc, int x, int y) {
  QImage* img = Target(dc);
  if (!img) return COLOR_INVALID;
  const long long s = ScaleOf(img), px = x * s, py = y * s;  // the logical pixel's top left device pixel
  if (x < 0 || y < 0 || px >= img->width() || py >= img->height()) return COLOR_INVALID;
  return ToColorRef(img->pixel(static_cast<int>(px), static_cast<int>(py)));
}

int Win_BitBlt(HDC dst, int x, int y, int w, int h, HDC src, int sx, int sy, DWORD rop) {
  QImage* to = Target(dst);
  QImage* from = Target(src);
  if (!to || !from || rop != SRCCOPY || w < 1 || h < 1) return 0;
  // Clip the copy against both images, in device pixels of the target.
  const long long s = ScaleOf(to);
  long long dx = x * s, dy = y * s, fx = sx * s, fy = sy * s, cw = w * s, ch = h * s;
  if (fx < 0) dx -= fx, cw += fx, fx = 0;
  if (fy < 0) dy -= fy, ch += fy, fy = 0;
  if (dx < 0) fx -= dx, cw += dx, dx = 0;
  if (dy < 0) fy -= dy, ch += dy, dy = 0;
  cw = std::min({cw, from->width() - fx, to->width() - dx});
  ch = std::min({ch, from->height() - fy, to->height() - dy});
  if (cw <= 0 || ch <= 0) return 1;
  const size_t bytes = static_cast<size_t>(cw) * sizeof(QRgb);
  auto copyRow = [&](long long r) {
    std::memmove(to->scanLine(static_cast<int>(dy + r)) + dx * sizeof(QRgb),
                 from->constScanLine(static_cast<int>(fy + r)) + fx * sizeof(QRgb), bytes);
  };
  // Within one image, rows are copied in the order that reads each before it is overwritten.
  if (to == from && dy > fy) {
    for (long long r = ch - 1; r >= 0; --r) copyRow(r);
  } else {
    for (long long r = 0; r < ch; ++r) copyRow(r);
  }
  return 1;
}

int Win_SaveBitmapPng(HBITMAP bitmap, const char* path) {
  if (!LiveObject(bitmap) || bitmap->iKind != GDI_BITMAP || !path) return ERROR_WRITE;
  QByteArray png;
  QBuffer buffer(&png);
  if (!buffer.open(QIODevice::WriteOnly) || !bitmap->Image.save(&buffer, "PNG")) return ERROR_WRITE;
  static BufferedFile file;  // 64 KiB: kept off the stack
  SafeWrite sw;
  if (int rc = SafeWrite_Begin(&sw, &file, path)) return rc;
  BufferedFile_Write(&file, png.constData(), static_cast<int>(png.size()));
  return SafeWrite_Commit(&sw, &file);  // a failed write is sticky in the record
}

HBITMAP Win_LoadBitmapPng(const char* path) {
  if (!path) return nullptr;
  QImage image;
  if (!image.load(QString::fromLocal8Bit(path), "PNG")) return nullptr;
  WinGdiObject* bmp =
      new WinGdiObject{GDI_BITMAP, false, image.convertToFormat(QImage::Format_RGB32), 0, 0, 0};
  LiveObjects().insert(bmp);
  return bmp;
}

void WinTest_SetDevicePixelRatio(int ratio) { g_iTestRatio = std::clamp(ratio, 0, 4); }

int WinTest_ScreenImageSize(HWND hwnd, int* width, int* height) {
  if (!QtWin_IsLive(hwnd) || !hwnd->pScreen || !width || !height) return 0;
  *width = hwnd->pScreen->width();
  *height = hwnd->pScreen->height();
  return 1;
}
