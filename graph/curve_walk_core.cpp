// The per-column curve walk.  Every sample inside the x view maps to a pixel
// column; the samples of one column collapse into its lowest and highest point,
// emitted nearer end first, so a million samples draw as about two points per
// column and no peak is lost.  The column of a sample is a monotonic function
// of its index, so each column's index range is found by a galloping search
// and only its minimum and maximum value are mapped to pixels.  Those come from
// the channel's min/max summaries for whole blocks of 128 and 8192 samples and
// from the stored doubles for the rest, so a column's cost grows with the
// logarithm of its samples, not with their number, and the result is the
// same as a sample-by-sample merge.
//
// Outside the samples in view, the walk adds the segment to the neighbouring
// sample beyond each end (or the one segment that spans the whole view when no
// sample lies inside), clipped at the plot rectangle, so a deep zoom still
// shows the line that crosses the plot.
#include "graph/curve_walk.h"

#include <cmath>
#include <cstdlib>
#include <limits>

#include "curve/safe_int.h"
#include "shell/app_state.h"

namespace {

// Output cursor over the caller's point array.
struct PointSink {
  POINT* pPts;  // the caller's array
  int iCap;     // its size; points beyond it are dropped
  int iCount;   // points written so far
  void Emit(int x, int y) {
    if (iCount < iCap) pPts[iCount++] = POINT{x, y};
  }
};

// Pixel column of sample i, as the mapping and the clamp to the plot give it.
int ColumnOf(const AppState* app, int c, int i) {
  int x = Graph_XToPixel(app, c, Graph_IndexToX(app, c, i));
  const RECT& rc = app->Graph.rcPlot;
  ClampInt(&x, rc.left, rc.right);
  return x;
}

// Pixel row of value v, clamped to the plot.
int RowOf(const AppState* app, int c, double v) {
  int y = Graph_YToPixel(app, c, v);
  const RECT& rc = app->Graph.rcPlot;
  ClampInt(&y, rc.top, rc.bottom);
  return y;
}

// Emits a finished column: one point, or both ends with the one nearer the
// previous point first (the lower one on the screen on a tie).
void EmitColumn(PointSink* out, int x, int yLow, int yHigh, int* prevY) {
  if (yLow == yHigh) {
    out->Emit(x, yLow);
    *prevY = yLow;
    return;
  }
  long long toHigh = std::llabs(static_cast<long long>(yHigh) - *prevY);
  long long toLow = std::llabs(static_cast<long long>(*prevY) - yLow);
  if (toHigh <= toLow) {
    out->Emit(x, yHigh);
    out->Emit(x, yLow);
    *prevY = yLow;
  } else {
    out->Emit(x, yLow);
    out->Emit(x, yHigh);
    *prevY = yHigh;
  }
}

// Last index in i .. last whose column is col (sample i lies in col).
int LastInColumn(const AppState* app, int c, int i, int last, int col) {
  int good = i;
  long long probe = i + 1LL, stride = 1;
  while (probe <= last && ColumnOf(app, c, static_cast<int>(probe)) <= col) {
    good = static_cast<int>(probe);
    stride *= 2;
    probe = i + stride;
  }
  long long bad = probe <= last ? probe : last + 1LL;  // first index known beyond col
  while (bad - good > 1) {
    int mid = static_cast<int>(good + (bad - good) / 2);
    if (ColumnOf(app, c, mid) <= col) good = mid;
    else bad = mid;
  }
  return good;
}

// The merged columns of samples first .. last (first <= last).
void WalkColumns(const AppState* app, int c, const CurveChannel& ch, int first, int last, PointSink* out) {
  const double* p = ch.pdSamples;
  const int nanRow = RowOf(app, c, std::numeric_limits<double>::quiet_NaN());
  int prevY = RowOf(app, c, p[first]);
  for (int i = first; i <= last;) {
    int col = ColumnOf(app, c, i);
    int end = LastInColumn(app, c, i, last, col);
    double lo = 0.0, hi = 0.0;
    int nan = 0;
    Channel_MinMax(&ch, i, end, &lo, &hi, &nan);
    // The row mapping falls as the value rises: the highest value is the lowest y.
    int yLow = nanRow, yHigh = nanRow;
    if (lo <= hi) {
      yLow = RowOf(app, c, hi);
      yHigh = RowOf(app, c, lo);
      if (nan && nanRow < yLow) yLow = nanRow;
      if (nan && nanRow > yHigh) yHigh = nanRow;
    }
    EmitColumn(out, col, yLow, yHigh, &prevY);
    i = end + 1;
  }
}

// Sample i in unclamped pixel coordinates of the plot (x view span > 0).
// A value whose row is not finite, or a value range without span, takes the
// clamped row of the mapping.  0 when x is not finite.
int PixelPoint(const AppState* app, int c, const double* p, int i, double* x, double* y) {
  const RECT& rc = app->Graph.rcPlot;
  const ChannelSet& set = app->Channels;
  double span = set.dXViewMax - set.dXViewMin;
  *x = rc.left + (static_cast<double>(rc.right) - rc.left) * (Graph_IndexToX(app, c, i) - set.dXViewMin) / span;
  double lo = 0.0, hi = 0.0;
  Graph_GetViewY(app, c, &lo, &hi);
  *y = rc.bottom - (static_cast<double>(rc.bottom) - rc.top) * (p[i] - lo) / (hi - lo);
  if (!(hi - lo > 0.0) || !std::isfinite(*y)) *y = RowOf(app, c, p[i]);
  return std::isfinite(*x) ? 1 : 0;
}

// Clips the segment a -> b to the plot rectangle (Liang-Barsky); on success
// the visible part runs from parameter *t0 to *t1.
int ClipSegment(const RECT& rc, double ax, double ay, double bx, double by, double* t0, double* t1) {
  const double dx = bx - ax, dy = by - ay;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {ax - rc.left, rc.right - ax, ay - rc.top, rc.bottom - ay};
  double a = 0.0, b = 1.0;
  for (int k = 0; k < 4; ++k) {
    if (p[k] == 0.0) {
      if (q[k] < 0.0) return 0;
      continue;
    }
    double r = q[k] / p[k];
    if (p[k] < 0.0) {
      if (r > b) return 0;
      if (r > a) a = r;
    } else {
      if (r < a) return 0;
      if (r < b) b = r;
    }
  }
  *t0 = a;
  *t1 = b;
  return 1;
}

// The point at parameter t of a -> b, rounded to the nearest pixel (a clipped
// end lies on the plot's edge up to rounding) and kept on the plot.
void EmitAt(const AppState* app, PointSink* out, double ax, double ay, double bx, double by, double t) {
  int x = Double_ToInt(std::floor(ax + (bx - ax) * t + 0.5));
  int y = Double_ToInt(std::floor(ay + (by - ay) * t + 0.5));
  Graph_ClampToPlot(app, &x, &y);
  out->Emit(x, y);
}

// Emits the visible part of segment i -> i + 1.  An end that lies on a sample
// the columns draw anyway (the segment is not cut there) is left out when
// asked: startIfCut for the start, endIfCut for the end.
void EmitClipped(const AppState* app, int c, const double* p, int i, bool startIfCut, bool endIfCut,
                 PointSink* out) {
  double ax, ay, bx, by, t0, t1;
  if (!PixelPoint(app, c, p, i, &ax, &ay) || !PixelPoint(app, c, p, i + 1, &bx, &by)) return;
  if (!ClipSegment(app->Graph.rcPlot, ax, ay, bx, by, &t0, &t1)) return;
  if (!startIfCut || t0 > 0.0) EmitAt(app, out, ax, ay, bx, by, t0);
  if (!endIfCut || t1 < 1.0) EmitAt(app, out, ax, ay, bx, by, t1);
}

}  // namespace

int CurveWalk_Capacity(const AppState* app) {
  if (!app) return 0;
  const RECT& rc = app->Graph.rcPlot;
  long long cols = static_cast<long long>(rc.right) - rc.left;
  if (cols < 0) cols = 0;
  return Int64_ToInt(2 * (cols + 1) + 4);
}

int CurveWalk_Points(const AppState* app, int c, POINT* pts, int cap) {
  if (!app || !pts || cap < 1 || c < 0 || c >= MAX_CHANNELS) return 0;
  const CurveChannel& ch = app->Channels.Channel[c];
  int n = ch.iNrOfSamples < ch.iAllocated ? ch.iNrOfSamples : ch.iAllocated;
  if (!ch.pdSamples || n < 1 || !(ch.dXStep > 0.0)) return 0;
  const double r0 = (app->Channels.dXViewMin - ch.dXOrigin) / ch.dXStep;
  const double r1 = (app->Channels.dXViewMax - ch.dXOrigin) / ch.dXStep;
  if (r0 != r0 || r1 != r1) return 0;
  // Samples inside the view: first .. last, each clamped to the valid indices.
  double f = std::ceil(r0), l = std::floor(r1);
  int first = f <= 0.0 ? 0 : (f >= n ? n : static_cast<int>(f));
  int last = l < 0.0 ? -1 : (l >= n - 1 ? n - 1 : static_cast<int>(l));
  const bool spans = app->Channels.dXViewMax - app->Channels.dXViewMin > 0.0;

  PointSink out{pts, cap, 0};
  if (first <= last) {
    // Entering segment from the sample before the view, then the columns, then
    // the leaving segment to the sample after it.
    if (spans && first > 0) EmitClipped(app, c, ch.pdSamples, first - 1, false, true, &out);
    WalkColumns(app, c, ch, first, last, &out);
    if (spans && last < n - 1) EmitClipped(app, c, ch.pdSamples, last, true, false, &out);
  } else if (spans && first == last + 1 && first > 0 && first < n) {
    // The view lies between two samples: the one segment that crosses it.
    EmitClipped(app, c, ch.pdSamples, first - 1, false, false, &out);
  }
  return out.iCount;
}
