#pragma once
// Measuring on the diagram without a window: the markers A and B and their
// differences, the readout of every visible channel under the pointer, the
// value zoom and the fit of the value ranges, the lanes of the stacked view
// and when single samples are marked.  graph_measure.cpp puts these on the
// screen.

#include "graph/graph.h"

constexpr int GRAPH_MARKER_A = 0;          // index of marker A in dMarkerX
constexpr int GRAPH_MARKER_B = 1;          // index of marker B
constexpr int GRAPH_MARKER_TEXT_LEN = 128; // the markers' status text, NUL included
constexpr int GRAPH_TIP_LINE_LEN = 128;    // one line of the readout tooltip, NUL included
constexpr int GRAPH_TIP_LINES = MAX_CHANNELS + 1;  // the x line and one per channel
constexpr double GRAPH_FIT_MARGIN = 0.02;  // Fit values adds this share of the span above and below
constexpr int GRAPH_LANE_GAP = 12;         // pixels between two lanes (the separator lies in it; room for two labels)
constexpr int GRAPH_SAMPLE_MARK_SPACING = 40;  // samples are marked when fewer than width / this are in view
constexpr UINT GRAPH_TIP_TIMER_ID = 2;     // the main window's timer of the readout tooltip
constexpr UINT GRAPH_TIP_DELAY_MS = 500;   // the pointer rests this long before the tooltip shows
constexpr int GRAPH_SAMPLE_MARK_HALF = 2;  // half the side of a sample's square, pixels

// The readout tooltip: its lines, each in its colour.
struct GraphTip {
  int iLines;                                  // lines in use
  char szLine[GRAPH_TIP_LINES][GRAPH_TIP_LINE_LEN];  // the texts
  COLORREF crLine[GRAPH_TIP_LINES];            // colour of each line
};

// Nearest existing sample of channel c to x (rounded, clamped into the
// samples); -1 for a channel without samples or a positive step.
int Graph_NearestIndex(const AppState* app, int c, double x);
// Sets marker m (GRAPH_MARKER_A or _B) at x; marks the view changed.  Nothing for another m or a NaN x.
void Graph_SetMarkerX(AppState* app, int m, double x);
// Clears both markers; 1 when one was set.
int Graph_ClearMarkers(AppState* app);
// With both markers set writes "Δx:..., 1/Δx:..., ΔyN:..." (Δy of the active
// channel's nearest samples, left out when it has none) into text and returns
// 1; otherwise writes "" and returns 0.
int Graph_FormatMarkers(const AppState* app, char* text, int size);
// The readout tooltip of client pixel (x, y): "x: X" in black, then for each
// visible channel in use with samples "name: value  [i]" in its colour.
// 0 (no lines) outside the plot.
int Graph_FormatTip(AppState* app, int x, int y, GraphTip* tip);

// The value view of channel c zoomed by factor (its span times factor)
// around the value anchor; 0 when the view is empty or not finite.
int Graph_ZoomYRange(const AppState* app, int c, double anchor, double factor, double* y0, double* y1);
// The range of channel c's finite values in the x view plus GRAPH_FIT_MARGIN
// of their span on each side; a constant gives v - 1 .. v + 1.  0 when no
// finite value lies in view.
int Graph_FitYRange(const AppState* app, int c, double* y0, double* y1);

// Lays the lanes of the visible channels in use out over rcPlot (top to
// bottom in channel order, GRAPH_LANE_GAP apart) when iStacked is set, else
// clears them all.  Returns the number of lanes.
int Graph_LayoutLanes(AppState* app);
// The rectangle the values of channel c are mapped into: its lane when it has
// one, else rcPlot.
RECT Graph_ValueRect(const AppState* app, int c);
// The channel whose lane holds client y, or -1 (not stacked, or in no lane).
int Graph_LaneAt(const AppState* app, int y);
// 1 when channel c shows so few samples in the x view (fewer than the plot's
// width / GRAPH_SAMPLE_MARK_SPACING) that each is marked by a square.
int Graph_MarksSamples(const AppState* app, int c);

// On the screen (graph_measure.cpp).
// "&Statistics": a message box with the figures of every visible channel
// over the current selection's x range; nothing without a valid selection.
void Graph_ShowStatistics(AppState* app);
// The status readout of client pixel (x, y): the markers' text when both are
// set, " | ", then Graph_FormatCursorInfo's text.  Returns the part code.
int Graph_FormatReadout(AppState* app, int x, int y, char* text, int size);
// Keys A and B and the popup: sets marker m at the x of the pointer's last
// position and updates the readout; 0 (nothing set) when that lies off the plot.
int Graph_SetMarkerAtPointer(AppState* app, int m);
// Escape: clears both markers and updates the readout; 1 when one was set.
int Graph_OnEscape(AppState* app);
// Draws the set markers inside the x view as dashed lines over the plot with
// their letters.
void Graph_DrawMarkers(AppState* app, HDC dc);
// Draws a small square at each sample of channel c in view when
// Graph_MarksSamples says so.
void Graph_DrawSampleMarks(AppState* app, HDC dc, int c);
// Ctrl+wheel over the plot: zooms the value view of the lane under the
// pointer (not stacked: the one shown) by GRAPH_WHEEL_ZOOM per notch around
// the value under the pointer.  1 when the wheel was over the plot.
int Graph_OnValueWheel(AppState* app, int delta, int x, int y);
// "Fit &values": every visible channel's value view to its finite values in
// the x view (not stacked, channel 0's view takes all of them).
void Graph_FitValues(AppState* app);
// "Zoom In &both axes": the current selection's x and value ranges become the view.
void Graph_ZoomBothAxes(AppState* app);
// Turns the stacked lanes on or off and marks the view changed.
void Graph_SetStacked(AppState* app, int on);
// Stacked: the widest value axis strip the lanes' channels need over a plot
// from top to bottom; 0 when not stacked or without channels shown.
int Graph_LaneAxisWidth(AppState* app, HDC dc, int left, int top, int bottom);
// Stacked: draws each lane's value axis from client x left to the plot's
// edge and a separator below every lane but the last; the number of lanes
// drawn (0: not stacked, the caller draws the common axis).
int Graph_DrawLaneAxes(AppState* app, HDC dc, int left);
// A pointer move: over the plot, moves a shown tooltip along or (re)starts
// the rest timer; elsewhere hides the tooltip.
void Graph_TrackTip(AppState* app, int x, int y);
// The rest timer ran out: shows the tooltip at the pointer's last position.
void Graph_OnTipTimer(AppState* app);
// The pointer left the drawing area: hides the tooltip and stops the timer.
void Graph_HideTip(AppState* app);
