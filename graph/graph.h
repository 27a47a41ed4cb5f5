#pragma once
// The diagram's own state and the coordinate mappings between x values,
// sample values, sample indices and client pixels.

#include "curve/channel.h"
#include "winutil/wintypes.h"

constexpr int GRAPH_MAX_SELECTIONS = 4;
constexpr int GRAPH_SCROLL_MAX = 1000;
constexpr int EDIT_MODE_SELECT = 0;
constexpr int EDIT_MODE_POINTS = 1;

struct GraphSelection {
  int iChannel;  // channel active when the selection was drawn
  int iVisible;
  double dX1, dX2;
  double dY1, dY2;
  COLORREF crFill;
};

struct Graph {
  RECT rcPlot;  // plot area of the last paint, client pixels
  int iViewChanged;
  GraphSelection Selection[GRAPH_MAX_SELECTIONS];
  int iCurrentSelection;  // 0 to 3, or -1
  int iActiveChannel;     // 0 to 7
  int iEditMode;
  int iPanelWidth;
  int iPanelEraseRequest;
  int iLastEditIndex;  // -1 when no point drag is under way
  int iBackupBeforeEdit;
  RECT rcLegend[MAX_CHANNELS];
  int iPanelShownAtLastPaint;
  int iBandDragging;
  int iFocusRectShown;
  RECT rcFocus;
  POINT ptAnchor;
  POINT ptCurrent;
};

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
// Clamps v into lo..hi (lo first, so lo > hi gives hi).
void ClampInt(int* v, int lo, int hi);
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
