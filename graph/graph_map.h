#pragma once
// The linear map from a value range onto a pixel span, with its constants
// taken once.  Graph_XToPixel and Graph_YToPixel map through it, and the curve
// walk keeps one per axis so that it maps millions of indices and values with
// the very same arithmetic and no call each.

#include "curve/safe_int.h"

// Value lo .. lo + span onto the pixels from iOrigin, iPixels far in the
// direction iSign.  Cleared to zero it maps everything to pixel 0.
struct GraphLinearMap {
  double dLo;          // value at the origin pixel
  double dSpan;        // value range; no positive span maps every value to Double_ToInt(dLo)
  double dPixels;      // pixels the value range covers (may be 0)
  long long iOrigin;   // pixel of dLo
  int iSign;           // +1: pixels grow with the value; -1: they fall
};

// Clamps a fraction into 0 .. 1; one that is not a number counts as 0.
inline double GraphMap_Clamp01(double f) {
  if (f != f) return 0.0;
  if (f < 0.0) f = 0.0;
  if (f > 1.0) f = 1.0;
  return f;
}

// The pixel of v: the fraction of the range, clamped, times the pixels,
// truncated.  A monotonic function of v (non-decreasing or non-increasing with
// the sign), defined for every double.
inline int GraphMap_Pixel(const GraphLinearMap& m, double v) {
  if (!(m.dSpan > 0.0)) return Double_ToInt(m.dLo);
  const long long d = Double_ToInt64(m.dPixels * GraphMap_Clamp01((v - m.dLo) / m.dSpan));
  return Int64_ToInt(m.iSign > 0 ? m.iOrigin + d : m.iOrigin - d);
}

struct AppState;

// The map of x values onto client columns over the plot rectangle of the last
// layout (not clamped to it); app is not null.
GraphLinearMap Graph_XMap(const AppState* app);
// The map of channel c's values onto client rows (upward) over its value
// rectangle: its lane when stacked, else the plot; app is not null.
GraphLinearMap Graph_YMap(const AppState* app, int channel);
