// Axis tick arithmetic: the 1-2-5 step, the axis record, the tick walk and
// the label formats.  Plain arithmetic, no window system.
#include "graph/axis_core.h"

#include <cmath>
#include <cstdio>

#include "curve/safe_int.h"

void Axis_TickStep(double span, int len, int minSpacing, double* step, double* coarse, int* decimals) {
  int dec = 0;
  if (span < 0.0) span = -span;
  if (!(span >= 0.001)) span = 0.001;  // tiny or not a number
  if (len < 1) len = 1;
  if (minSpacing < 5) minSpacing = 10;
  double l = std::fabs(minSpacing * span) / len;
  double u = 1.0;
  // Bounded so that an infinite span cannot spin; a double has fewer than 700 decades.
  for (int k = 0; l > 1.0 && k < 700; ++k) {
    u = u * 10.0;
    l = l * 0.1;
  }
  for (int k = 0; l < 0.1 && k < 700; ++k) {
    u = u * 0.1;
    l = l * 10.0;
    ++dec;
  }
  double s, c;
  if (l > 0.5) {
    s = 1.0 * u, c = 5.0 * u;
  } else if (l > 0.2) {
    s = 0.5 * u, c = 2.0 * u, ++dec;
  } else if (l > 0.1) {
    s = 0.2 * u, c = 1.0 * u, ++dec;
  } else if (l > 0.05) {
    s = 0.1 * u, c = 0.5 * u, ++dec;
  } else {
    s = 0.05 * u, c = 0.2 * u;
  }
  if (step) *step = s;
  if (coarse) *coarse = c;
  if (decimals) *decimals = dec;
}

int Axis_Init(GraphAxis* axis, int kind, int left, int top, int right, int bottom, double min, double max) {
  if (!axis) return 0;
  *axis = GraphAxis{};
  axis->rcStrip = RECT{left, top, right, bottom};
  axis->iKind = kind;
  axis->iPixLo = kind == AXIS_KIND_LEFT ? top : left;
  axis->iPixHi = kind == AXIS_KIND_LEFT ? bottom : right;
  axis->iMinTickSpacing = GRAPH_MIN_TICK_SPACING;
  axis->dMin = min;
  axis->dMax = max;
  std::snprintf(axis->szFormat, sizeof axis->szFormat, "%%lg");
  return 1;
}

double Axis_Step(const GraphAxis* axis, int* decimals) {
  if (!axis) return 0.0;
  double step = 0.0;
  int len = Int64_ToInt(static_cast<long long>(axis->iPixHi) - axis->iPixLo);
  Axis_TickStep(axis->dMax - axis->dMin, len, axis->iMinTickSpacing, &step, nullptr, decimals);
  return step;
}

double Axis_FirstTick(double dMin, double step) { return dMin - std::fmod(dMin, step); }

void Axis_SetDecimals(GraphAxis* axis, int decimals) {
  if (!axis) return;
  if (decimals > 0 && decimals < 6) std::snprintf(axis->szFormat, sizeof axis->szFormat, "%%.%dlf", decimals);
  else std::snprintf(axis->szFormat, sizeof axis->szFormat, "%%lg");
}

int Axis_FormatLabel(const GraphAxis* axis, double v, char* buf, int size) {
  if (!axis || !buf || size < 1) return 0;
  int n = std::snprintf(buf, static_cast<size_t>(size), axis->szFormat, v);
  if (n < 0) {
    buf[0] = '\0';
    return 0;
  }
  return n < size ? n : size - 1;
}

double Axis_LabelValue(double v, double step) { return std::fabs(v) < 0.1 * step ? 0.0 : v; }

// Pixel of value v on the axis: measured up from iPixHi on the left axis,
// right from iPixLo on the bottom axis; safe for every double.
static int Axis_PixelOf(const GraphAxis* axis, double v, double span) {
  double len = static_cast<double>(axis->iPixHi) - axis->iPixLo;
  long long d = Double_ToInt64(len * (v - axis->dMin) / span);
  // Far beyond any strip either way; keeps the sums below from overflowing.
  constexpr long long kFar = 1LL << 40;
  d = d < -kFar ? -kFar : (d > kFar ? kFar : d);
  if (axis->iKind == AXIS_KIND_LEFT) return Int64_ToInt(axis->iPixHi - d);
  return Int64_ToInt(d + axis->iPixLo);
}

int Axis_ComputeTicks(const GraphAxis* axis, AxisTick* ticks, int cap) {
  if (!axis || !ticks) return 0;
  double step = Axis_Step(axis, nullptr);
  if (!(step > 0.0)) return 0;
  double span = axis->dMax - axis->dMin;
  long long iterations = GRAPH_MAX_TICKS;
  if (axis->iKind == AXIS_KIND_LEFT) {
    if (span == 0.0) return 0;  // such an iteration draws nothing and never advances
    long long n = Double_ToInt64(span / step) + 2;
    if (n < iterations) iterations = n;
  } else if (span == 0.0) {
    span = 1.0;
  }
  if (iterations > cap) iterations = cap;
  int count = 0;
  double v = Axis_FirstTick(axis->dMin, step);
  for (long long k = 0; k < iterations; ++k) {
    ticks[count].iPix = Axis_PixelOf(axis, v, span);
    ticks[count].dValue = v;
    ++count;
    if (axis->dMax >= axis->dMin) {
      v += step;
      if (v > axis->dMax + AXIS_TICK_TOLERANCE) break;
    } else {
      v -= step;
      if (v < axis->dMax - AXIS_TICK_TOLERANCE) break;
    }
  }
  return count;
}

void Axis_BottomRow(const GraphAxis* axis, int hQ, int* tickTop, int* tickEnd) {
  if (!axis) return;
  const RECT& s = axis->rcStrip;
  long long top = s.top, bottom = s.bottom;
  if (top + 6 >= bottom) bottom = top + 7;
  long long rowTop = bottom - hQ - 1;
  if (top + 5 >= rowTop) rowTop = top + 6;
  if (rowTop >= bottom) rowTop = bottom - 1;
  long long y0 = top, y1 = rowTop - 1;
  auto clamp = [&](long long y) {  // in the order of ClampInt
    if (y < s.top) y = s.top;
    if (y > s.bottom) y = s.bottom;
    return Int64_ToInt(y);
  };
  if (tickTop) *tickTop = clamp(y0);
  if (tickEnd) *tickEnd = clamp(y1);
}
