#pragma once
// Arithmetic behind the mouse and view handlers that needs no window: the
// status texts, where a selection lies, the views the scroll bars and the
// zoom steps lead to, and the sample stores of a point drag.  The handlers in
// graph_mouse.cpp and the paint put these results on the screen; tests check
// them without a window.

#include "graph/graph.h"

constexpr int GRAPH_HIT_TEXT_LEN = 84;     // text buffer of Graph_HitTest, NUL included
constexpr int GRAPH_READOUT_LEN = 128;     // the status readout of one pixel
constexpr double GRAPH_WHEEL_ZOOM = 1.25;  // x view width factor per wheel notch
constexpr double GRAPH_MIN_ZOOM_WIDTH = 1e-9;  // narrowest x view, as a fraction of the x extent

// The active channel; channel 0 for a null record or an index out of range.
int Graph_ActiveChannel(const AppState* app);
// The client rectangle a selection covers on the plot of the last layout
// (its value bounds mapped through the plot's mappings); empty for a null
// record or selection.
RECT Graph_SelectionRect(const AppState* app, const GraphSelection* s);
// Writes the readout of client pixel (x, y) into text (size bytes): the part's
// name, or over the plot the x value and the samples of the first two channels
// ("Invalid Scaling" when none can be read).  Returns the part code.
int Graph_FormatCursorInfo(AppState* app, int x, int y, char* text, int size);
// Writes the status text of an edit mode into text (size bytes).
void Graph_FormatMode(int mode, char* text, int size);

// The x extent that auto-scaling gives: smallest origin to largest end over
// the channels holding samples, 0 to 100 when none does.
void Graph_XExtent(const AppState* app, double* lo, double* hi);
// The x view that zooming the current one by factor (its width times factor)
// around x = anchor gives, moved inside the x extent and at most as wide as
// it.  0 (outputs untouched) when the view or the extent is empty, or when
// zooming in would go below GRAPH_MIN_ZOOM_WIDTH of the extent.
int Graph_ZoomXRange(const AppState* app, double anchor, double factor, double* x0, double* x1);
// The x view a horizontal scroll position leads to within the active
// channel; 0 when the bar range, the view or the channel index is unusable.
int Graph_HScrollRange(const AppState* app, const GraphScrollState* state, double* x0, double* x1);
// The x view that moving the current one by fraction f of its width
// (negative: left) gives, within the active channel's samples (an active
// channel out of range counts as channel 0); 0 for a null record.
int Graph_ScrollXRange(const AppState* app, double f, double* x0, double* x1);
// The value view a vertical scroll position leads to within the data range;
// 0 when the bar range, the view or the data range is empty.
int Graph_VScrollRange(const AppState* app, const GraphScrollState* state, double* y0, double* y1);

// The index a point edit of channel c may write for a hit index i: i when a
// sample exists there, else -1 (edits change samples, they never append).
int Graph_EditIndex(const AppState* app, int c, int i);
// Stores v into the existing samples from index "from" to "to" (both
// included) of channel c, the old values kept by the edit history's open
// step (a "point edit" step is opened when none is); marks the view changed and the data modified when
// a sample was stored.  Returns the number of samples stored.
int Graph_StoreRun(AppState* app, int c, int from, int to, double v);
