// The per-column curve walk.  Every sample inside the x view maps to a pixel
// column; the samples of one column collapse into its lowest and highest point,
// emitted nearer end first, so a million samples draw as about two points per
// column and no peak is lost.  The column of a sample is a monotonic function
// of its index: each column's last index is first estimated by inverting the
// mapping and then confirmed (or found by a galloping search from the
// estimate), so a column costs a few mappings whatever its length.
//
// A column's extremes come from the channel's min/max summaries for whole
// blocks of 128 and 8192 samples, the middle first.  The parts at its two
// ends, which cover only part of a block, are read from the stored doubles
// only when they can change the column: when the summary of their enclosing
// block maps inside the rows found so far (and brings no new NaN), they are
// left out.  The row mapping is monotonic, so the rows, and with them the
// polyline, are the same as those of a sample-by-sample merge.
//
// Outside the samples in view, the walk adds the segment to the neighbouring
// sample beyond each end (or the one segment that spans the whole view when no
// sample lies inside), clipped at the plot rectangle, so a deep zoom still
// shows the line that crosses the plot.
#include "graph/curve_walk.h"

#include <climits>
#include <cmath>
#include <cstdlib>
#include <limits>

#include "curve/safe_int.h"
#include "graph/graph_map.h"
#include "shell/app_state.h"

namespace {

constexpr long long kFine = 1LL << SUMMARY_SHIFT1;
constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr int kPrefetchColumns = 4;  // how far ahead the column ends are asked for
constexpr int kUnmapped = INT_MIN;   // a row or column not mapped yet (one of this value is just mapped again)

// Output cursor over the caller's point array.
struct PointSink {
  POINT* pPts;  // the caller's array
  int iCap;     // its size; points beyond it are dropped
  int iCount;   // points written so far
  void Emit(int x, int y) {
    if (iCount < iCap) pPts[iCount++] = POINT{x, y};
  }
};

// Pixel row of value v, clamped to the plot.
int RowOf(const AppState* app, int c, double v) {
  int y = Graph_YToPixel(app, c, v);
  const RECT& rc = app->Graph.rcPlot;
  ClampInt(&y, rc.top, rc.bottom);
  return y;
}

// Smallest and largest value of part of a column, gathered so far, with the
// rows they map to once asked for.
struct ColumnRange {
  double dLo = kInf;    // smallest non-NaN value so far
  double dHi = -kInf;   // largest non-NaN value so far
  int iNaN = 0;         // 1 when a NaN was among them
  int iRowLo = kUnmapped;  // row of dLo once asked for
  int iRowHi = kUnmapped;  // row of dHi once asked for
  void Fold(double lo, double hi, int nan) {
    if (lo < dLo) dLo = lo, iRowLo = kUnmapped;
    if (hi > dHi) dHi = hi, iRowHi = kUnmapped;
    iNaN |= nan;
  }
};

// One channel's walk: its samples, summaries and both mappings with their
// constants taken once.  Every index passed lies within the storage.
struct Walker {
  const CurveChannel* pCh;   // the channel walked
  GraphLinearMap XMap;       // x value to client column
  GraphLinearMap YMap;       // value to client row
  RECT rcPlot;               // every column and row is clamped into it
  double dIndexAtLeft;       // fractional index where column rcPlot.left begins
  double dIndexPerColumn;    // indices per pixel column (not finite without width)

  // Pixel column of sample i, as the mapping and the clamp to the plot give it.
  int Column(long long i) const {
    int x = GraphMap_Pixel(XMap, pCh->dXOrigin + static_cast<int>(i) * pCh->dXStep);
    ClampInt(&x, rcPlot.left, rcPlot.right);
    return x;
  }
  // Pixel row of value v, clamped to the plot.
  int Row(double v) const {
    int y = GraphMap_Pixel(YMap, v);
    ClampInt(&y, rcPlot.top, rcPlot.bottom);
    return y;
  }

  // Last index in i .. last whose column is col (sample i lies in col).  Sets
  // *next to the column of the index after it when that was mapped, else to
  // kUnmapped.
  int LastInColumn(int i, int last, int col, int* next) const {
    // The estimate: the index just before the one where column col + 1 begins.
    double guess = std::ceil(dIndexAtLeft + (col + 1.0 - rcPlot.left) * dIndexPerColumn) - 1.0;
    long long good = i, bad = last + 1LL;  // Column(good) <= col < Column(bad); bad may lie past last
    int badCol = kUnmapped;
    long long g = guess > i ? (guess < last ? static_cast<long long>(guess) : last) : i;
    if (g == i || Column(g) <= col) {
      good = g;
      for (long long stride = 1; good < last; stride *= 2) {  // gallop up
        long long probe = g + stride < last ? g + stride : last;
        int pc = Column(probe);
        if (pc > col) {
          bad = probe, badCol = pc;
          break;
        }
        good = probe;
      }
    } else {
      bad = g, badCol = Column(g);
      for (long long stride = 1;; stride *= 2) {  // gallop down
        long long probe = g - stride;
        if (probe <= i) break;
        int pc = Column(probe);
        if (pc <= col) {
          good = probe;
          break;
        }
        bad = probe, badCol = pc;
      }
    }
    while (bad - good > 1) {
      long long mid = good + (bad - good) / 2;
      int mc = Column(mid);
      if (mc <= col) good = mid;
      else bad = mid, badCol = mc;
    }
    *next = bad <= last ? badCol : kUnmapped;
    return static_cast<int>(good);
  }

  // Rows of r's extremes, mapped once.
  int RowLo(ColumnRange* r) const { return r->iRowLo != kUnmapped ? r->iRowLo : (r->iRowLo = Row(r->dLo)); }
  int RowHi(ColumnRange* r) const { return r->iRowHi != kUnmapped ? r->iRowHi : (r->iRowHi = Row(r->dHi)); }

  // Whether values within lo .. hi (with a NaN among them when nan) can
  // change the rows of r; false when they bring no new NaN and, where they
  // reach beyond its extremes, map to the same rows (the mapping is monotonic).
  bool Adds(ColumnRange* r, double lo, double hi, int nan) const {
    if (nan && !r->iNaN) return true;
    if (!(lo <= hi)) return false;  // no number among them
    if (!(r->dLo <= r->dHi)) return true;
    if (hi > r->dHi && Row(hi) != RowHi(r)) return true;
    return lo < r->dLo && Row(lo) != RowLo(r);
  }

  // Folds the stored samples a .. e - 1 into r.
  void Samples(ColumnRange* r, long long a, long long e) const {
    double lo, hi;
    int nan;
    Samples_MinMax(pCh->pdSamples + a, e - a, &lo, &hi, &nan);
    r->Fold(lo, hi, nan);
  }

  // Folds samples a .. e - 1, all inside one summary block at level shift
  // (whose summary covers them), into r unless the block cannot change it.
  void Edge(ColumnRange* r, long long a, long long e, int shift) const {
    if (a >= e) return;
    const ChannelSummary& s = pCh->Summary;
    const bool coarse = shift == SUMMARY_SHIFT2;
    const long long k = a >> shift;
    const SummaryBlock& b = coarse ? s.pCoarse[k] : s.pFine[k];
    if (!Adds(r, b.dLo, b.dHi, coarse ? s.pbCoarseNaN[k] : s.pbFineNaN[k])) return;
    if (coarse) Blocks(r, a, e, SUMMARY_SHIFT1);
    else Samples(r, a, e);
  }

  // Folds samples a .. e - 1 into r: the whole blocks of 2^shift samples
  // inside the summarised part first, then the parts before and after them.
  void Blocks(ColumnRange* r, long long a, long long e, int shift) const {
    const ChannelSummary& s = pCh->Summary;
    const long long size = 1LL << shift;
    const long long cov = s.pFine && s.iCovered < e ? s.iCovered : (s.pFine ? e : a);
    const long long ba = (a + size - 1) & ~(size - 1), bb = cov & ~(size - 1);
    if (bb <= ba) {
      if (shift == SUMMARY_SHIFT2) Blocks(r, a, e, SUMMARY_SHIFT1);
      else Samples(r, a, e);
      return;
    }
    const SummaryBlock* blocks = shift == SUMMARY_SHIFT2 ? s.pCoarse : s.pFine;
    const unsigned char* nans = shift == SUMMARY_SHIFT2 ? s.pbCoarseNaN : s.pbFineNaN;
    double lo = kInf, hi = -kInf;
    int nan = 0;
    for (long long k = ba >> shift; k < bb >> shift; ++k) {  // without branches: the blocks are many
      lo = blocks[k].dLo < lo ? blocks[k].dLo : lo;
      hi = blocks[k].dHi > hi ? blocks[k].dHi : hi;
      nan |= nans[k];
    }
    r->Fold(lo, hi, nan);
    Edge(r, a, ba, shift);
    if (cov == e) Edge(r, bb, e, shift);  // the block's summary covers the whole tail
    else if (shift == SUMMARY_SHIFT2) Blocks(r, bb, e, SUMMARY_SHIFT1);
    else Samples(r, bb, e);
  }

  // The block of samples where column col is estimated to end, when that
  // lies within first .. last, else null.  On a long channel the ends of the
  // columns lie far apart, and each would wait for the memory when its
  // samples are read unless the walk asks for them early.
  const double* EndBlock(int col, int first, int last) const {
    const double at = dIndexAtLeft + (col + 1.0 - rcPlot.left) * dIndexPerColumn;
    if (!(at >= first && at + kFine <= last)) return nullptr;
    return pCh->pdSamples + (static_cast<long long>(at) & ~(kFine - 1));
  }

  // Rows of the lowest and highest point of the samples i .. end: those of
  // the largest and smallest value, widened to the NaN row when a NaN is
  // among them; both the NaN row when no value is a number.
  void ColumnRows(int i, int end, int nanRow, int* yLow, int* yHigh) const {
    ColumnRange r;
    Blocks(&r, i, end + 1LL, SUMMARY_SHIFT2);
    *yLow = *yHigh = nanRow;
    if (!(r.dLo <= r.dHi)) return;
    // The row mapping falls as the value rises: the highest value is the lowest y.
    *yLow = RowHi(&r);
    *yHigh = RowLo(&r);
    if (r.iNaN && nanRow < *yLow) *yLow = nanRow;
    if (r.iNaN && nanRow > *yHigh) *yHigh = nanRow;
  }
};

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

// The merged columns of samples first .. last (first <= last).
void WalkColumns(const AppState* app, int c, const CurveChannel& ch, int first, int last, PointSink* out) {
  Walker w{&ch, Graph_XMap(app), Graph_YMap(app, c), app->Graph.rcPlot, 0.0, 0.0};
  const double width = static_cast<double>(w.rcPlot.right) - w.rcPlot.left;
  w.dIndexAtLeft = (w.XMap.dLo - ch.dXOrigin) / ch.dXStep;
  w.dIndexPerColumn = w.XMap.dSpan / width / ch.dXStep;
  const int nanRow = w.Row(std::numeric_limits<double>::quiet_NaN());
  int prevY = w.Row(ch.pdSamples[first]);
  int col = w.Column(first);
  // Columns that span several blocks read their ends far apart: ask for those
  // a few columns ahead.
  const bool farApart = w.dIndexPerColumn >= 2.0 * kFine;
  for (int i = first; i <= last;) {
    // (In this loop, not in a function: the compiler drops a call to a
    // function whose only effect is a prefetch.)
    if (const double* ahead = farApart ? w.EndBlock(col + kPrefetchColumns, first, last) : nullptr)
      for (int k = 0; k < kFine; k += 64 / sizeof(double)) __builtin_prefetch(ahead + k);
    int next = kUnmapped;
    const int end = w.LastInColumn(i, last, col, &next);
    int yLow, yHigh;
    w.ColumnRows(i, end, nanRow, &yLow, &yHigh);
    EmitColumn(out, col, yLow, yHigh, &prevY);
    i = end + 1;
    col = next != kUnmapped ? next : (i <= last ? w.Column(i) : 0);
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
