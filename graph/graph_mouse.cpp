// Mouse, wheel and scroll bar handlers of the diagram and the view operations
// behind the Mode and Zoom menus, the "<<" and ">>" scrolling and the
// selection popup.  The arithmetic is
// in graph_hit_core.cpp; this unit puts its results on the screen: status bar
// texts, the inverted rubber band rectangle, the popup menu and the repaint
// requests.
#include <cmath>
#include <cstdio>

#include "graph/graph_hit.h"
#include "graph/graph_measure.h"
#include "shell/app_state.h"
#include "winutil/winapi.h"
#include "winutil/window_utils.h"

namespace {

// Inverts the rubber band outline r on the main window's screen canvas.
void InvertFocus(AppState* app, const RECT& r) {
  HDC dc = Win_GetDC(app->hwndMain);
  Win_DrawFocusRect(dc, &r);
  Win_ReleaseDC(app->hwndMain, dc);
}

// Sets the x view, keeping the value view, for the active channel.
void SetXView(AppState* app, double x0, double x1) {
  int a = Graph_ActiveChannel(app);
  double lo = 0.0, hi = 0.0;
  Graph_GetViewY(app, a, &lo, &hi);
  Graph_SetView(app, a, x0, x1, lo, hi);
}

// One step of a point drag at client (x, y): over the plot, stores the value
// under the mouse into the samples from the chain's last index (a press
// starts a new chain) to the one under the mouse, and remembers that one.  No
// sample under the mouse (also just past the last one) stores nothing and
// ends the chain.  The stores of one stroke (press to release) are one step
// of the edit history.
void DragPointTo(AppState* app, int x, int y, bool startsChain) {
  Graph& g = app->Graph;
  int c = g.iActiveChannel, i = -1;
  double v = 0.0;
  if (!Graph_PointAt(app, x, y, &c, &i, &v)) return;
  i = Graph_EditIndex(app, c, i);
  int from = startsChain ? i : g.iLastEditIndex;
  if (startsChain) g.iStrokeOpen = History_Begin(app, "point edit");
  if (i >= 0 && from >= 0) Graph_StoreRun(app, c, from, i, v);
  g.iLastEditIndex = i;
}

void RepaintIfChanged(AppState* app) {
  if (app->Graph.iViewChanged) Graph_Invalidate(app, 0);
}

}  // namespace

void Graph_ShowCursorInfo(AppState* app, int x, int y) {
  if (!app) return;
  char text[GRAPH_READOUT_LEN];
  Graph_FormatReadout(app, x, y, text, sizeof text);
  WinUtil_SetStatusText(app->hwndStatus, STATUS_PART_INFO, 0, text);
}

void Graph_ShowMode(AppState* app) {
  if (!app) return;
  char text[32];
  Graph_FormatMode(app->Graph.iEditMode, text, sizeof text);
  WinUtil_SetStatusText(app->hwndStatus, STATUS_PART_MODE, 0, text);
}

void Graph_EraseFocusRect(AppState* app) {
  if (!app || !app->Graph.iFocusRectShown) return;
  InvertFocus(app, app->Graph.rcFocus);
  app->Graph.iFocusRectShown = 0;
}

void Graph_DrawFocusRect(AppState* app, int x1, int y1, int x2, int y2) {
  if (!app) return;
  Graph_EraseFocusRect(app);
  app->Graph.rcFocus = RECT{x1 < x2 ? x1 : x2, y1 < y2 ? y1 : y2, x1 < x2 ? x2 : x1, y1 < y2 ? y2 : y1};
  InvertFocus(app, app->Graph.rcFocus);
  app->Graph.iFocusRectShown = 1;
}

int Graph_ShowPopupMenu(AppState* app) {
  int x = 0, y = 0;
  if (!app || !WinUtil_GetPopupPosition(&x, &y)) return 0;
  return Win_TrackPopupMenu(app->hSelectionMenu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, x, y, 0, app->hwndMain,
                            nullptr);
}

int Graph_OnMouseMove(AppState* app, int keys, int x, int y) {
  if (!app) return 0;
  char pos[32];
  std::snprintf(pos, sizeof pos, "\t%d,%d", x, y);
  WinUtil_SetStatusText(app->hwndStatus, STATUS_PART_POSITION, 0, pos);
  Graph& g = app->Graph;
  g.ptPointer = POINT{x, y};
  Graph_ShowCursorInfo(app, x, y);
  Graph_TrackTip(app, x, y);
  if (g.iBandDragging) {
    g.ptCurrent = POINT{x, y};
    Graph_DrawFocusRect(app, g.ptAnchor.x, g.ptAnchor.y, x, y);
  } else if (g.iEditMode == EDIT_MODE_POINTS && (keys & MK_LBUTTON)) {
    DragPointTo(app, x, y, false);
  }
  RepaintIfChanged(app);
  return 0;
}

int Graph_OnButtonDown(AppState* app, int keys, int x, int y) {
  if (!app) return 0;
  Graph_EraseFocusRect(app);
  Graph& g = app->Graph;
  if (Graph_HitTest(app, x, y, nullptr, nullptr) == GRAPH_PART_PLOT) {
    // Stacked, a press works on the lane under the pointer, which becomes the active channel.
    int lane = Graph_LaneAt(app, y);
    if (lane >= 0 && lane != g.iActiveChannel) {
      g.iActiveChannel = lane;
      g.iViewChanged = 1;
    }
    if (g.iEditMode == EDIT_MODE_SELECT) {
      g.ptAnchor = g.ptCurrent = POINT{x, y};
      g.iBandDragging = 1;
    } else if (g.iEditMode == EDIT_MODE_POINTS && (keys & MK_LBUTTON)) {
      DragPointTo(app, x, y, true);
    }
  }
  RepaintIfChanged(app);
  return 0;
}

int Graph_OnButtonUp(AppState* app, int keys, int x, int y) {
  if (!app) return 0;
  Graph& g = app->Graph;
  int popup = 0, ch = -1;
  int part = Graph_HitTest(app, x, y, nullptr, &ch);
  if (g.iBandDragging) {
    int s = g.iCurrentSelection;
    if (s < 0 || s >= GRAPH_MAX_SELECTIONS) s = g.iCurrentSelection = 0;
    GraphSelection& sel = g.Selection[s];
    sel.iChannel = g.iActiveChannel;
    sel.iVisible = 1;
    Graph_SetSelection(app, s, Graph_PixelToX(app, sel.iChannel, g.ptAnchor.x),
                       Graph_PixelToX(app, sel.iChannel, g.ptCurrent.x),
                       Graph_PixelToY(app, sel.iChannel, g.ptCurrent.y),
                       Graph_PixelToY(app, sel.iChannel, g.ptAnchor.y));
    g.iBandDragging = 0;
    popup = Selection_IsValid(&sel);
  } else {
    if (part == GRAPH_PART_LEGEND && ch >= 0 && ch < MAX_CHANNELS && ch != g.iActiveChannel) {
      g.iActiveChannel = ch;
      g.iViewChanged = 1;
    }
    if (part == GRAPH_PART_PLOT && g.iEditMode == EDIT_MODE_POINTS) g.iLastEditIndex = -1;
    // The release ends the stroke's step wherever it happens.
    if (g.iStrokeOpen && (keys & MK_LBUTTON)) {
      g.iStrokeOpen = 0;
      if (History_End(app) < 0) WinUtil_SetStatusText(app->hwndStatus, STATUS_PART_MESSAGE, 0, HISTORY_CANNOT_UNDO_TEXT);
    }
  }
  Graph_EraseFocusRect(app);
  if ((keys & MK_RBUTTON) && part == GRAPH_PART_PLOT) {
    int k = Graph_SelectionAt(app, x, y);
    if (k >= 0) {
      popup = 1;
      if (k != g.iCurrentSelection) {
        g.iCurrentSelection = k;
        g.iViewChanged = 1;
      }
    }
  }
  RepaintIfChanged(app);
  if (popup) Graph_ShowPopupMenu(app);
  return 0;
}

int Graph_OnEraseBackground(AppState* app) {
  if (app) app->Graph.iPanelEraseRequest = 1;
  return 1;
}

int Graph_OnHScroll(AppState* app, const GraphScrollState* state) {
  double x0 = 0.0, x1 = 0.0;
  if (!Graph_HScrollRange(app, state, &x0, &x1)) return 0;
  SetXView(app, x0, x1);
  RepaintIfChanged(app);
  return 1;
}

int Graph_OnVScroll(AppState* app, const GraphScrollState* state) {
  double y0 = 0.0, y1 = 0.0;
  if (!Graph_VScrollRange(app, state, &y0, &y1)) return 0;
  Graph_SetView(app, Graph_ActiveChannel(app), app->Channels.dXViewMin, app->Channels.dXViewMax, y0, y1);
  RepaintIfChanged(app);
  return 1;
}

void Graph_ZoomToSelection(AppState* app) {
  if (!app) return;
  int s = app->Graph.iCurrentSelection;
  if (s < 0 || s >= GRAPH_MAX_SELECTIONS) return;
  GraphSelection& sel = app->Graph.Selection[s];
  if (!Selection_IsValid(&sel)) return;
  sel.iVisible = 0;
  Graph_SetView(app, sel.iChannel, sel.dX1, sel.dX2, sel.dY1, sel.dY2);
  app->Graph.iViewChanged = 1;
}

void Graph_ZoomOutCompletely(AppState* app) {
  if (!app) return;
  int s = app->Graph.iCurrentSelection;
  if (s >= 0 && s < GRAPH_MAX_SELECTIONS) app->Graph.Selection[s].iVisible = 1;
  Graph_Invalidate(app, 1);
}

void Graph_HideSelection(AppState* app) {
  if (!app) return;
  int s = app->Graph.iCurrentSelection;
  if (s >= 0 && s < GRAPH_MAX_SELECTIONS) app->Graph.Selection[s].iVisible = 0;
  app->Graph.iViewChanged = 1;
}

void Graph_NextSelection(AppState* app) {
  if (!app) return;
  // From -1 (no current selection) the next one is slot 0.
  int s = ((app->Graph.iCurrentSelection + 1) % GRAPH_MAX_SELECTIONS + GRAPH_MAX_SELECTIONS) % GRAPH_MAX_SELECTIONS;
  if (Selection_IsValid(&app->Graph.Selection[s])) app->Graph.Selection[s].iVisible = 1;
  app->Graph.iCurrentSelection = s;
  app->Graph.iViewChanged = 1;
}

void Graph_SetEditMode(AppState* app, int mode) {
  if (!app) return;
  app->Graph.iEditMode = mode;
  if (mode == EDIT_MODE_POINTS) app->Graph.iLastEditIndex = -1;
  Graph_ShowMode(app);
}

void Graph_ZoomOutHalf(AppState* app) { Graph_ZoomView(app, 2.0); }

void Graph_ZoomView(AppState* app, double factor) {
  if (!app) return;
  double x0 = 0.0, x1 = 0.0;
  double centre = (app->Channels.dXViewMin + app->Channels.dXViewMax) * 0.5;
  if (Graph_ZoomXRange(app, centre, factor, &x0, &x1)) SetXView(app, x0, x1);
  RepaintIfChanged(app);
}

void Graph_ScrollViewToEnd(AppState* app, int toEnd) {
  if (!app) return;
  const ChannelSet& set = app->Channels;
  const CurveChannel& ch = set.Channel[Graph_ActiveChannel(app)];
  double w = std::fabs(set.dXViewMax - set.dXViewMin);
  double extent = std::fabs(ch.iNrOfSamples * ch.dXStep) + std::fabs(ch.dXOrigin - set.dXViewMin);
  if (!(w > 0.0) || !std::isfinite(extent)) return;
  // A move by more than the whole channel stops at its start or end.
  Graph_ScrollView(app, (toEnd ? 1.0 : -1.0) * (extent / w + 1.0));
}

void Graph_ScrollView(AppState* app, double f) {
  double x0 = 0.0, x1 = 0.0;
  if (Graph_ScrollXRange(app, f, &x0, &x1)) SetXView(app, x0, x1);
}

int Graph_OnMouseWheel(AppState* app, int keys, int delta, int x, int y) {
  if (!app || delta == 0) return 0;
  if (keys & MK_CONTROL) {
    Graph_OnValueWheel(app, delta, x, y);
    return 0;
  }
  double notches = static_cast<double>(delta) / WHEEL_DELTA;
  if (keys & MK_SHIFT) {
    // A forward turn (positive delta) moves the view left, as "<<" does.
    Graph_ScrollView(app, -0.1 * notches);
  } else if (Graph_HitTest(app, x, y, nullptr, nullptr) == GRAPH_PART_PLOT) {
    // A forward turn zooms in, a backward turn out, around the x under the pointer.
    double x0 = 0.0, x1 = 0.0;
    double anchor = Graph_PixelToX(app, 0, x);
    if (Graph_ZoomXRange(app, anchor, std::pow(GRAPH_WHEEL_ZOOM, -notches), &x0, &x1)) SetXView(app, x0, x1);
  }
  RepaintIfChanged(app);
  return 0;
}
