#pragma once
// Tick arithmetic of the two axes, free of any drawing: where the ticks of an
// axis lie, which values they carry and how their labels are formatted.  The
// drawing side (graph_axis.cpp) only turns these positions into lines and text.

#include "graph/graph.h"

constexpr int AXIS_LABEL_LEN = 84;      // label text buffer, at most 83 characters
constexpr double AXIS_TICK_TOLERANCE = 1e-9;  // tick end tolerance in value units

// One tick of an axis: its pixel along the axis and the value it marks.
struct AxisTick {
  int iPix;       // client y (left axis) or client x (bottom axis)
  double dValue;  // the tick value as reached by stepping from the first tick
};

// The tick step of the axis (its own pixel span and spacing); 0 when no tick
// can be placed.  decimals is optional.
double Axis_Step(const GraphAxis* axis, int* decimals);
// First tick value dMin - fmod(dMin, step).
double Axis_FirstTick(double dMin, double step);
// Sets szFormat from a decimal count: "%.<n>lf" for 1 to 5, "%lg" otherwise.
void Axis_SetDecimals(GraphAxis* axis, int decimals);
// Formats v with the axis format into buf (size bytes, cut when longer);
// returns the length written.  A null axis or buffer writes nothing and gives 0.
int Axis_FormatLabel(const GraphAxis* axis, double v, char* buf, int size);
// The value a left-axis label shows: 0.0 when v is zero up to rounding
// (|v| < 0.1 step), so that no "-0.0" or tiny power of ten appears.
double Axis_LabelValue(double v, double step);
// Walks the ticks of the axis in drawing order (positions may lie outside the
// strip; the caller skips those).  Writes at most cap ticks and returns their
// count; 0 for a null axis, no step, or a left axis without value span.
int Axis_ComputeTicks(const GraphAxis* axis, AxisTick* ticks, int cap);
// Bottom axis label row for a "Q" height hQ: ticks run from *tickTop down to
// *tickEnd (end pixel excluded) and labels hang from *tickEnd.
void Axis_BottomRow(const GraphAxis* axis, int hQ, int* tickTop, int* tickEnd);
