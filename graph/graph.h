#pragma once
// The diagram's own state and the coordinate mappings between x values,
// sample values, sample indices and client pixels.

#include "curve/channel.h"
#include "winutil/wintypes.h"

constexpr int GRAPH_MAX_SELECTIONS = 4;  // selection rectangles at most
constexpr int GRAPH_SCROLL_MAX = 1000;   // both scroll bars run over 0 .. this
constexpr int EDIT_MODE_SELECT = 0;      // the left button draws a selection
constexpr int EDIT_MODE_POINTS = 1;      // the left button drags sample values

// One selection rectangle, in the values of its channel.
struct GraphSelection {
  int iChannel;     // channel active when the selection was drawn
  int iVisible;     // 1 while the rectangle is drawn and counts
  double dX1, dX2;  // x bounds, dX1 <= dX2
  double dY1, dY2;  // value bounds, dY1 <= dY2
  COLORREF crFill;  // fill colour, GRAPH_SELECTION_COLORS of its slot
};

// The diagram's state inside AppState: what the paint laid out last and what
// the mouse is doing.  Cleared to zero at start apart from iLastEditIndex.
struct Graph {
  RECT rcPlot;          // plot area of the last paint, client pixels
  int iViewChanged;     // 1 when what is shown changed since the last paint
  GraphSelection Selection[GRAPH_MAX_SELECTIONS];  // the selection slots
  int iCurrentSelection;  // 0 to 3, or -1
  int iActiveChannel;     // 0 to 7
  int iEditMode;          // EDIT_MODE_SELECT or EDIT_MODE_POINTS
  int iPanelWidth;        // width of the panel strip at the last paint, pixels
  int iPanelEraseRequest; // 1 when the next paint must clear the panel strip
  int iLastEditIndex;     // sample last set by a point drag, -1 when none is under way
  int iStrokeOpen;        // 1 from a press in points mode to its release (the stroke's step is open)
  RECT rcLegend[MAX_CHANNELS];  // legend box of each channel at the last paint (empty: not drawn)
  int iPanelShownAtLastPaint;   // AppState.iPanelShown as the last paint saw it
  int iBandDragging;      // 1 while the left button draws a rubber band
  int iFocusRectShown;    // 1 while rcFocus is inverted on the screen
  RECT rcFocus;           // rubber band rectangle on the screen, client pixels
  POINT ptAnchor;         // where the rubber band started, client pixels
  POINT ptCurrent;        // the rubber band's moving corner, client pixels
  POINT ptPointer;        // the pointer's last position over the drawing area, client pixels
  int iMarkers;           // bit 0: marker A is set, bit 1: marker B is set
  double dMarkerX[2];     // x of marker A and of marker B
  int iStacked;           // 1: every visible channel is drawn in a lane of its own
  RECT rcLane[MAX_CHANNELS];  // lane of each channel at the last layout (empty: none)
  int iTipShown;          // 1 while the readout tooltip is shown
};

constexpr int GRAPH_MIN_TICK_SPACING = 20;  // pixels between ticks at least
constexpr int GRAPH_MAX_TICKS = 1000;       // loop iterations per axis at most
constexpr int AXIS_KIND_LEFT = 0;
constexpr int AXIS_KIND_BOTTOM = 3;
constexpr int GRAPH_PANEL_WIDTH = 80;   // parameter panel strip, at most half the drawing area
constexpr int GRAPH_LEGEND_HEIGHT = 20; // legend strip above the plot
constexpr int GRAPH_MIN_AREA = 50;      // nothing is drawn in an area this small or smaller

// Hit-test parts of the drawing area.
constexpr int GRAPH_PART_LEFT_AXIS = 1;
constexpr int GRAPH_PART_RIGHT_AXIS = 2;
constexpr int GRAPH_PART_LEGEND = 3;
constexpr int GRAPH_PART_X_AXIS = 4;
constexpr int GRAPH_PART_PLOT = 5;

// Layout of one axis, built afresh on every paint.
struct GraphAxis {
  RECT rcStrip;          // strip of the drawing area that belongs to the axis
  int iKind;             // AXIS_KIND_LEFT or AXIS_KIND_BOTTOM
  int iPixLo, iPixHi;    // pixel span carrying the value range (top/bottom or left/right)
  int iMinTickSpacing;   // always GRAPH_MIN_TICK_SPACING
  double dMin, dMax;     // values at the two ends
  char szFormat[88];     // printf format of every tick label
};

// Scroll state handed from the window procedure to the scroll handlers: the
// bar's range and page and the new position computed from the scroll code.
struct GraphScrollState {
  int iMin, iMax;  // the bar's range
  int iPage;       // the bar's page (visible part of the range)
  int iPos;        // position the scroll code asks for
};

// Curve colours by channel number.
constexpr COLORREF GRAPH_CHANNEL_COLORS[MAX_CHANNELS] = {
    RGB(0, 0, 0),       RGB(255, 127, 127), RGB(127, 255, 127), RGB(127, 127, 255),
    RGB(207, 207, 0),   RGB(0, 207, 207),   RGB(207, 0, 207),   RGB(127, 127, 127)};

// Fill colours of the four selection slots at start-up.
constexpr COLORREF GRAPH_SELECTION_COLORS[GRAPH_MAX_SELECTIONS] = {
    RGB(192, 192, 255), RGB(192, 255, 192), RGB(255, 192, 192), RGB(255, 255, 192)};

struct AppState;

// The channel whose value range scales every curve: always channel 0.
int Graph_ScaleChannelOf(const AppState* app, int channel);
// View range of the scale channel; null out arguments are skipped.
void Graph_GetViewY(const AppState* app, int channel, double* min, double* max);
// Data range of the scale channel; null out arguments are skipped.
void Graph_GetDataY(const AppState* app, int channel, double* min, double* max);
// x value to client x, clamped to the plot edges.
int Graph_XToPixel(const AppState* app, int channel, double x);
// Sample value to client y (upward axis), clamped to the plot edges.
int Graph_YToPixel(const AppState* app, int channel, double v);
// Client x to x value, clamped to the view.
double Graph_PixelToX(const AppState* app, int channel, int px);
// Client y to sample value, clamped to the view.
double Graph_PixelToY(const AppState* app, int channel, int py);
// x value to a truncated sample index of the channel, or -1.
int Graph_XToIndex(const AppState* app, int channel, double x);
// Sample index to its x value.
double Graph_IndexToX(const AppState* app, int channel, int index);
// Clamps a client point into the plot rectangle.
void Graph_ClampToPlot(const AppState* app, int* x, int* y);
// Clamps v into lo..hi (lo first, so lo > hi gives hi).  Inline: the curve
// walk clamps every column and row it maps.
inline void ClampInt(int* v, int lo, int hi) {
  if (!v) return;
  if (*v < lo) *v = lo;
  if (*v > hi) *v = hi;
}
// 1 when (x, y) lies in r, right and bottom edges included.
int PointInRect(int x, int y, const RECT* r);
// 1 when the selection exists and spans a positive area.
int Selection_IsValid(const GraphSelection* s);

// Clamps a fraction into 0 .. 1; one that is not a number counts as 0.
double Graph_ClampFraction(double f);
// Scroll bar page for a visible span of a full span, on the range 0 .. GRAPH_SCROLL_MAX.
int Graph_ScrollPage(double full, double vis);
// Scroll bar position for the fraction f (clamped into 0 .. 1) of the free travel.
int Graph_ScrollPos(int page, double f);

// Stores the view ranges and brings both scroll bars of the main window in line.
void Graph_SetView(AppState* app, int channel, double x0, double x1, double y0, double y1);
// The record registered for a main window, or null.
AppState* Graph_FromWindow(HWND hwnd);

// Axis scaling and tick labels.
// Smallest 1-2-5 step that keeps ticks minSpacing pixels apart over len pixels
// for a value span; coarse and decimals are optional outputs.
void Axis_TickStep(double span, int len, int minSpacing, double* step, double* coarse, int* decimals);
// Clears the axis and fills strip, kind, pixel span, spacing, range and "%lg";
// 1, or 0 for a null axis.
int Axis_Init(GraphAxis* axis, int kind, int left, int top, int right, int bottom, double min, double max);
// Picks the left axis' label format and returns the wider end label's width + 10.
int Axis_LabelWidth(HDC dc, GraphAxis* axis);
// Draws the axis line, ticks and labels; 1 when drawn.
int Axis_Draw(HDC dc, const GraphAxis* axis);
// Sets every channel's range from its samples and the view to the whole x extent.
void Graph_AutoScale(AppState* app);
// Requests a repaint (flags bit 0: auto-scale first); 0 without a main window.
int Graph_Invalidate(AppState* app, int flags);

// Rendering.
// Paints the drawing area double-buffered (the WM_PAINT handler); returns 0.
int Graph_Paint(AppState* app, HWND hwnd);
// Draws the whole diagram into dc over a w x h drawing area and sets rcPlot;
// the paint and the command-line renderer share it.
void Graph_Draw(AppState* app, HDC dc, int w, int h);
// 1 when path ends in ".svg" (letter case ignored): pictures are then SVG, else PNG.
int Graph_IsSvgPath(const char* path);
// Draws the diagram over a w x h area as an SVG document (a path ending in
// .svg) or a PNG image and replaces path with it through a temporary file.
// Sets rcPlot for that size, as a paint does.  Returns 0 or the result code
// (the system's ENOMEM when the picture could not be made); a failure leaves
// path as it was.
int Graph_SavePicture(AppState* app, const char* path, int w, int h);
// Draws the diagram over a w x h area and puts the image on the clipboard;
// 1 when it got there.  Sets rcPlot for that size, as a paint does.
int Graph_CopyPicture(AppState* app, int w, int h);
// Draws the legend of the visible channels from (x, y) and records their boxes.
void Graph_DrawLegend(HDC dc, AppState* app, int x, int y);
// Draws the visible channels' curves, each a polyline with at most two points
// per pixel column, in channel order with the active one last (on top).
// Draws nothing when there is no memory for the points.
void Graph_DrawCurves(AppState* app, HDC dc);

// Mouse and view interaction.
// The part under a client pixel; text (84 bytes) and channel are optional outputs.
int Graph_HitTest(AppState* app, int x, int y, char* text, int* channel);
// The first visible selection slot containing the pixel, or -1.
int Graph_SelectionAt(AppState* app, int x, int y);
// Stores the ordered bounds into slot s (0 to 3) and sets iViewChanged.
void Graph_SetSelection(AppState* app, int s, double x1, double x2, double y1, double y2);
// Channel, sample index (or -1) and value under a pixel of the plot; 0 outside it.
int Graph_PointAt(AppState* app, int x, int y, int* channel, int* index, double* value);
// Writes the readout of the pixel into the status bar's info part.
void Graph_ShowCursorInfo(AppState* app, int x, int y);
// Writes the edit mode text into the status bar's mode part.
void Graph_ShowMode(AppState* app);
// Removes the rubber band rectangle from the screen when it is shown.
void Graph_EraseFocusRect(AppState* app);
// Moves the rubber band rectangle to the given corners on the screen.
void Graph_DrawFocusRect(AppState* app, int x1, int y1, int x2, int y2);
// Opens the selection popup at the mouse; the menu call's result, or 0.
int Graph_ShowPopupMenu(AppState* app);
// The mouse handlers (keys: MK_* bits, x and y: client pixels): a move writes
// the readout and follows the rubber band or the point drag; a press in the
// plot starts a band or a drag; a release ends them (a band becomes the
// current selection and opens the popup), picks a channel by its legend entry
// or, with the right button held, opens the popup over a selection.  Each
// returns 0 (handled) and does nothing for a null record.
int Graph_OnMouseMove(AppState* app, int keys, int x, int y);
int Graph_OnButtonDown(AppState* app, int keys, int x, int y);
int Graph_OnButtonUp(AppState* app, int keys, int x, int y);
// Answers the background erase: the paint covers everything; returns 1.
int Graph_OnEraseBackground(AppState* app);
// Moves the x view within the active channel; 1 when the view was set.
int Graph_OnHScroll(AppState* app, const GraphScrollState* state);
// Moves the value view within the data range; 1 when the view was set.
int Graph_OnVScroll(AppState* app, const GraphScrollState* state);
void Graph_ZoomToSelection(AppState* app);
void Graph_ZoomOutCompletely(AppState* app);
void Graph_HideSelection(AppState* app);
void Graph_NextSelection(AppState* app);
void Graph_SetEditMode(AppState* app, int mode);
// Doubles the x view's width around its centre, within the auto-scaled x extent.
void Graph_ZoomOutHalf(AppState* app);
// Moves the x view by fraction f of its width (negative: left), within the
// active channel's samples; the value view stays.
void Graph_ScrollView(AppState* app, double f);
// Multiplies the x view's width by factor around its centre (below 1 zooms in),
// within the auto-scaled x extent; nothing for a record without data.
void Graph_ZoomView(AppState* app, double factor);
// Shows the first (toEnd 0) or the last (toEnd 1) samples of the active
// channel at the current view width.
void Graph_ScrollViewToEnd(AppState* app, int toEnd);
// Wheel over the plot: zooms the x view by 1.25 per notch around the x under the
// pointer (client x, y); with MK_SHIFT scrolls by a tenth of the view per notch.
int Graph_OnMouseWheel(AppState* app, int keys, int delta, int x, int y);
