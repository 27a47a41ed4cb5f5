// Statistics of a channel over an x range in one pass over its samples: four
// interleaved accumulators keep the sums' dependency chains short so that the
// loop runs at memory speed; the rare new minimum or maximum takes a branch
// that records its index.
#include "graph/graph_stats.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

#include "curve/safe_int.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr int kLanes = 4;

// Accumulators of one lane: every fourth sample.
struct Lane {
  double dSum, dSumSq;
  long long llCount;
  double dMin, dMax;
  long long llMinAt, llMaxAt;
};

inline void Take(Lane& l, double v, long long i) {
  if (v != v) return;  // NaN: counted by the caller, left out here
  l.dSum += v;
  l.dSumSq += v * v;
  ++l.llCount;
  if (v < l.dMin || l.llMinAt < 0) {
    l.dMin = v;
    l.llMinAt = i;
  }
  if (v > l.dMax || l.llMaxAt < 0) {
    l.dMax = v;
    l.llMaxAt = i;
  }
}

// Merges lane b into a; ties go to the lower index, so the first sample wins.
void Merge(Lane& a, const Lane& b) {
  a.dSum += b.dSum;
  a.dSumSq += b.dSumSq;
  a.llCount += b.llCount;
  if (b.llMinAt >= 0 && (a.llMinAt < 0 || b.dMin < a.dMin || (b.dMin == a.dMin && b.llMinAt < a.llMinAt))) {
    a.dMin = b.dMin;
    a.llMinAt = b.llMinAt;
  }
  if (b.llMaxAt >= 0 && (a.llMaxAt < 0 || b.dMax > a.dMax || (b.dMax == a.dMax && b.llMaxAt < a.llMaxAt))) {
    a.dMax = b.dMax;
    a.llMaxAt = b.llMaxAt;
  }
}

}  // namespace

int GraphStats_IndexRange(long long n, double origin, double step, double x1, double x2, long long* first,
                          long long* last) {
  if (n <= 0 || !(step > 0.0) || x1 != x1 || x2 != x2) return 0;
  if (x1 > x2) std::swap(x1, x2);
  // Sample indices as doubles, clamped into 0 .. n - 1 before they become integers.
  double lo = std::ceil((x1 - origin) / step), hi = std::floor((x2 - origin) / step);
  if (!(lo <= hi) || hi < 0.0 || lo > static_cast<double>(n - 1)) return 0;
  long long a = lo < 0.0 ? 0 : Double_ToInt64(lo);
  long long b = Double_ToInt64(hi);
  if (b > n - 1) b = n - 1;
  if (a > b) return 0;
  if (first) *first = a;
  if (last) *last = b;
  return 1;
}

int GraphStats_Compute(const double* samples, long long n, double origin, double step, double x1, double x2,
                       GraphStats* out) {
  if (!samples || !out) return 0;
  *out = GraphStats{};
  out->dMin = out->dMax = out->dMean = out->dRms = out->dPeakToPeak = out->dXMin = out->dXMax = kNaN;
  long long first = 0, last = -1;
  if (!GraphStats_IndexRange(n, origin, step, x1, x2, &first, &last)) return 1;
  Lane lanes[kLanes];
  for (Lane& l : lanes) l = Lane{0.0, 0.0, 0, 0.0, 0.0, -1, -1};
  long long i = first;
  for (; i + kLanes - 1 <= last; i += kLanes) {
    for (int k = 0; k < kLanes; ++k) Take(lanes[k], samples[i + k], i + k);
  }
  for (; i <= last; ++i) Take(lanes[0], samples[i], i);
  for (int k = 1; k < kLanes; ++k) Merge(lanes[0], lanes[k]);
  const Lane& t = lanes[0];
  out->llCount = t.llCount;
  out->llNaN = (last - first + 1) - t.llCount;
  if (t.llCount == 0) return 1;
  out->dMin = t.dMin;
  out->dMax = t.dMax;
  out->dMean = t.dSum / static_cast<double>(t.llCount);
  out->dRms = std::sqrt(t.dSumSq / static_cast<double>(t.llCount));
  out->dPeakToPeak = t.dMax - t.dMin;
  out->dXMin = origin + static_cast<double>(t.llMinAt) * step;
  out->dXMax = origin + static_cast<double>(t.llMaxAt) * step;
  return 1;
}

int GraphStats_OfChannel(const CurveChannel* ch, double x1, double x2, GraphStats* out) {
  if (!ch || !out) return 0;
  int n = ch->iNrOfSamples < ch->iAllocated ? ch->iNrOfSamples : ch->iAllocated;
  static const double kNone = 0.0;  // stands in for a channel without storage (no sample is read)
  return GraphStats_Compute(ch->pdSamples ? ch->pdSamples : &kNone, ch->pdSamples ? n : 0, ch->dXOrigin,
                            ch->dXStep, x1, x2, out);
}

void GraphStats_Format(const char* name, const GraphStats* s, int digits, char* text, int size) {
  if (!text || size <= 0) return;
  if (!s) {
    text[0] = 0;
    return;
  }
  int d = digits;
  int used = std::snprintf(text, static_cast<size_t>(size), "%s: n=%lld", name ? name : "", s->llCount);
  if (used < 0 || used >= size) return;
  if (s->llNaN) used += std::snprintf(text + used, static_cast<size_t>(size - used), " (NaN left out: %lld)", s->llNaN);
  if (used < 0 || used >= size || s->llCount == 0) return;
  std::snprintf(text + used, static_cast<size_t>(size - used),
                ", min=%.*g at x=%.*g, max=%.*g at x=%.*g, mean=%.*g, RMS=%.*g, peak to peak=%.*g", d, s->dMin, d,
                s->dXMin, d, s->dMax, d, s->dXMax, d, s->dMean, d, s->dRms, d, s->dPeakToPeak);
}
