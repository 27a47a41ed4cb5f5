// Drawing of the two axes: the axis line, the tick marks and the labels at
// the positions that the tick walk (axis_core.cpp) computes.
#include <cstring>
#include <initializer_list>

#include "graph/axis_core.h"
#include "winutil/winapi.h"
#include "winutil/window_utils.h"

int Axis_LabelWidth(HDC dc, GraphAxis* axis) {
  if (!axis) return 0;
  int decimals = 0;
  double step = Axis_Step(axis, &decimals);
  if (!(step > 0.0)) step = 1.0;
  Axis_SetDecimals(axis, decimals);
  int widest = 0;
  for (double end : {axis->dMin, axis->dMax}) {
    char label[AXIS_LABEL_LEN];
    Axis_FormatLabel(axis, Axis_FirstTick(end, step), label, sizeof label);
    int w = 0;
    WinUtil_GetTextExtent(dc, label, &w, nullptr);
    if (w > widest) widest = w;
  }
  return widest + 10;
}

// Value axis: ticks from R - 8 to R (both included), labels right-aligned at
// R - 8 on a baseline a third of "Q" below the tick.
static void Axis_DrawLeft(HDC dc, const GraphAxis* axis, const AxisTick* ticks, int n, int hQ) {
  const RECT& s = axis->rcStrip;
  int x0 = s.right - 8, x1 = s.right;
  ClampInt(&x0, s.left, s.right);
  ClampInt(&x1, s.left, s.right);
  WinUtil_DrawLine(dc, s.right, axis->iPixLo, s.right, axis->iPixHi);
  double step = Axis_Step(axis, nullptr);
  Win_SetTextAlign(dc, TA_RIGHT | TA_BASELINE);
  for (int k = 0; k < n; ++k) {
    int y = ticks[k].iPix;
    if (y < s.top || y > s.bottom) continue;
    WinUtil_DrawLine(dc, x0, y, x1 + 1, y);
    if (y + hQ / 3 <= s.top) continue;
    char label[AXIS_LABEL_LEN];
    int len = Axis_FormatLabel(axis, Axis_LabelValue(ticks[k].dValue, step), label, sizeof label);
    Win_TextOut(dc, s.right - 8, y + hQ / 3, label, len);
  }
}

// x axis: ticks hang from the axis line, labels are centred below them and
// skipped while they would run into the previous label.
static void Axis_DrawBottom(HDC dc, const GraphAxis* axis, const AxisTick* ticks, int n, int hQ, int wQ) {
  const RECT& s = axis->rcStrip;
  int y0 = s.top, y1 = s.top;
  Axis_BottomRow(axis, hQ, &y0, &y1);
  WinUtil_DrawLine(dc, axis->iPixLo, s.top, axis->iPixHi, s.top);
  Win_SetTextAlign(dc, TA_CENTER | TA_TOP);
  long long lastRight = s.left;
  for (int k = 0; k < n; ++k) {
    int x = ticks[k].iPix;
    if (x < s.left || x > s.right) continue;
    WinUtil_DrawLine(dc, x, y0, x, y1);
    if (x <= lastRight) continue;
    char label[AXIS_LABEL_LEN];
    int len = Axis_FormatLabel(axis, ticks[k].dValue, label, sizeof label);
    Win_TextOut(dc, x, y1, label, len);
    lastRight = x + static_cast<long long>(len) * wQ;
  }
}

int Axis_Draw(HDC dc, const GraphAxis* axis) {
  if (!dc || !axis) return 0;
  int wQ = 1, hQ = 1;
  WinUtil_GetTextExtent(dc, "Q", &wQ, &hQ);
  Win_SetBkMode(dc, OPAQUE);
  AxisTick ticks[GRAPH_MAX_TICKS];
  int n = Axis_ComputeTicks(axis, ticks, GRAPH_MAX_TICKS);
  if (axis->iKind == AXIS_KIND_LEFT) Axis_DrawLeft(dc, axis, ticks, n, hQ);
  else Axis_DrawBottom(dc, axis, ticks, n, hQ, wQ);
  return 1;
}
