#pragma once
// Statistics of the samples of a channel over an x range: what the selection
// popup's "&Statistics" box and `plotsmith-cli info --range` show.  Portable
// arithmetic on sample arrays; no window.

#include "curve/channel.h"

constexpr int GRAPH_STATS_LINE_LEN = 400;  // one channel's line of GraphStats_Format, NUL included

// Figures of the samples whose x lies in a closed range.  NaN samples are
// left out of every figure and counted apart; infinities take part (so a
// range holding one gives an infinite or NaN mean and RMS).
struct GraphStats {
  long long llCount;   // samples in the range that are not NaN
  long long llNaN;     // NaN samples in the range, left out
  double dMin;         // smallest value (NaN when llCount is 0)
  double dMax;         // largest value (NaN when llCount is 0)
  double dMean;        // sum / llCount
  double dRms;         // square root of (sum of squares / llCount)
  double dPeakToPeak;  // dMax - dMin
  double dXMin;        // x of the first sample holding dMin
  double dXMax;        // x of the first sample holding dMax
};

// The sample indices first..last (both included) of n samples at x = origin +
// i * step whose x lies in x1..x2 (either order).  0 when none does, when step
// is not positive or a bound is NaN.
int GraphStats_IndexRange(long long n, double origin, double step, double x1, double x2, long long* first,
                          long long* last);
// Computes the figures of samples[0..n-1] (x = origin + i * step) over the x
// range x1..x2 into out; a range holding no sample gives counts of 0 and NaN
// figures.  0 for a null array or out.  One pass; 2^26 samples take well under
// 100 ms.
int GraphStats_Compute(const double* samples, long long n, double origin, double step, double x1, double x2,
                       GraphStats* out);
// The figures of channel c over x1..x2, as GraphStats_Compute on its valid samples.
int GraphStats_OfChannel(const CurveChannel* ch, double x1, double x2, GraphStats* out);
// Writes one channel's figures as "name: n=..., min=... at x=..., ..." into
// text (size bytes), the numbers with `digits` significant digits.
void GraphStats_Format(const char* name, const GraphStats* s, int digits, char* text, int size);
