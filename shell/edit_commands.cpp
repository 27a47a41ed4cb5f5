// The edit commands: crop to the current selection, delete hidden channels,
// the low-pass presets and the live low-pass panel, and the help and about
// boxes, and Undo and Redo.  Each change of samples is one step of the edit
// history (shell/history.h): the command opens it, changes the channels
// through the history or tells it which samples it is about to write, and
// ends it.
#include <cmath>
#include <cstdio>

#include "curve/lowpass.h"
#include "curve/safe_int.h"
#include "graph/graph_hit.h"
#include "shell/help_text.h"
#include "shell/plotwin.h"
#include "winutil/progress.h"
#include "winutil/winapi.h"
#include "winutil/window_utils.h"

namespace {

constexpr double kPresetTransition = 0.1;
constexpr const char* kLowPassHelp =
    "Lowpass params: A=relative cutoff frequency (0...1), B=transition width (0...1)";
constexpr const char* kHelpCaption = "Plotsmith - Commands & Functions";
constexpr const char* kAuthorLine = "Plotsmith - a curve editor by the Plotsmith developers";
constexpr const char* kUpdateLocation = "the Plotsmith project's release page";
constexpr int kAboutLen = 2004;

// Entry values of the low-pass panel's three parameters.
struct PanelParam {
  const char* szName;         // name shown with the value
  double dMin, dMax, dValue;  // range and start value
};
constexpr const char* kNoFilterMemory = "Not enough memory for the filter: the channel is unchanged.";
constexpr const char* kFilterCancelled = "Filter cancelled: the channel is unchanged";
constexpr PanelParam kLowPassParams[PARAM_COUNT] = {
    {"f_cutoff", 0.0, 1.0, 0.5}, {"transition", 0.0, 1.0, 0.1}, {"", 0.0, 1.0, 1.0}};

// Indices first..last of the channel's valid samples that x1..x2 covers (each
// x rounded to its nearest sample, then clamped to the valid ones); 0 when
// the range and the channel's samples do not overlap.
int CropRange(const CurveChannel& ch, double x1, double x2, int* first, int* last) {
  int n = ch.iNrOfSamples < ch.iAllocated ? ch.iNrOfSamples : ch.iAllocated;
  if (!ch.pdSamples || n <= 0 || !(ch.dXStep > 0.0)) return 0;
  double a = std::floor((x1 - ch.dXOrigin) / ch.dXStep + 0.5);
  double b = std::floor((x2 - ch.dXOrigin) / ch.dXStep + 0.5);
  if (!(b >= 0.0) || !(a <= n - 1.0) || !(a <= b)) return 0;  // NaN refused as well
  *first = a < 0.0 ? 0 : Double_ToInt(a);
  *last = b > n - 1.0 ? n - 1 : Double_ToInt(b);
  return 1;
}

void SetStatus(AppState* app, int part, const char* text) {
  WinUtil_SetStatusText(app->hwndStatus, part, 0, text);
}

// A change of samples while the filter panel is open first keeps the
// panel's result, as Ok does, so that each is a step of its own.
void ClosePanel(AppState* app) {
  if (app->bPanelMode == PANEL_MODE_LOWPASS) PlotWin_PanelOk(app);
}

// The panel's filter: always from the samples the panel's step kept, and
// only into the channel they came from.  Their forward transform is made
// once for the step (History_OpenSerial names those samples), so each
// setting costs one inverse transform.  A channel up to
// PANEL_LIVE_MAX_SAMPLES is filtered on every move; a longer one only when
// the scroller has stopped, under the progress window, and a Cancel there
// leaves the channel as it was.  A setting the channel shows already is not
// filtered again.
void PanelFilter(AppState* app, int stopped) {
  const int c = app->iPanelChannel;
  CurveChannel kept{};
  if (!History_KeptChannel(app, c, &kept)) return;
  const double cutoff = app->Param[0].dParamValue, width = app->Param[1].dParamValue;
  const unsigned long long step = History_OpenSerial(app);
  const int fresh = !app->LiveFilter.pdBins || app->uLiveFilterStep != step;
  if (!fresh && cutoff == app->dPanelFiltered[0] && width == app->dPanelFiltered[1]) return;
  const int live = kept.iNrOfSamples <= PANEL_LIVE_MAX_SAMPLES;
  if (!live && !stopped) return;
  WorkProgress progress{};
  if (!live) {
    char title[HISTORY_LABEL_LEN + 16];
    std::snprintf(title, sizeof title, "Filtering: low pass %lg", cutoff);
    Progress_Begin(app->hwndMain, title, &progress);
  }
  WorkProgress* watch = live ? nullptr : &progress;
  ProgressPart prepare{}, apply{};
  int rc = 1;
  if (fresh) {
    rc = LowPass_Prepare(&kept, 0, 0, &app->LiveFilter, Progress_Part(&prepare, watch, 0, 50));
    app->uLiveFilterStep = rc == 1 ? step : 0;
  }
  if (rc == 1)
    rc = LowPass_Apply(&app->LiveFilter, &app->Channels.Channel[c], cutoff, width,
                       Progress_Part(&apply, watch, fresh ? 50 : 0, fresh ? 50 : 100));
  if (!live) Progress_End();
  if (rc == 1) {
    app->dPanelFiltered[0] = cutoff;
    app->dPanelFiltered[1] = width;
    app->iModified = 1;
  } else if (rc == LOWPASS_NO_MEMORY) {
    SetStatus(app, STATUS_PART_MESSAGE, kNoFilterMemory);
  } else if (rc == LOWPASS_STOPPED) {
    SetStatus(app, STATUS_PART_MESSAGE, kFilterCancelled);
  }
  app->Graph.iViewChanged = 1;
}

}  // namespace

int PlotWin_CropSelection(AppState* app) {
  if (!app) return 0;
  int s = app->Graph.iCurrentSelection;
  if (s < 0 || s >= GRAPH_MAX_SELECTIONS || !Selection_IsValid(&app->Graph.Selection[s])) return 0;
  double x1 = app->Graph.Selection[s].dX1, x2 = app->Graph.Selection[s].dX2;
  int inUse = app->Channels.iChannelsInUse;
  ClampInt(&inUse, 0, MAX_CHANNELS);
  int cropped = 0, go = 1;
  // The progress window may stop the crop after any channel; the caller's
  // step then takes back the channels cut so far.
  WorkProgress progress{};
  Progress_Begin(app->hwndMain, "Cropping", &progress);
  for (int c = 0; c < inUse && go; ++c) {
    CurveChannel& ch = app->Channels.Channel[c];
    int first = 0, last = 0;
    if (!CropRange(ch, x1, x2, &first, &last)) continue;
    if (History_CropChannel(app, c, first, last)) cropped = 1;
    go = Progress_Report(&progress, c + 1, inUse);
  }
  Progress_End();
  if (!go) return -1;
  if (!cropped) return 0;
  char text[96];
  std::snprintf(text, sizeof text, "Cropped selection, %ld points remaining",
                static_cast<long>(app->Channels.Channel[0].iNrOfSamples));
  SetStatus(app, STATUS_PART_MESSAGE, text);
  return 1;
}

void PlotWin_CmdCrop(AppState* app) {
  if (!app) return;
  ClosePanel(app);
  History_Begin(app, "crop");
  if (PlotWin_CropSelection(app) < 0) {
    History_Cancel(app);
    SetStatus(app, STATUS_PART_MESSAGE, "Crop cancelled: the channels are unchanged");
    app->Graph.iViewChanged = 1;
    return;
  }
  PlotWin_ClearSelections(app);
  Graph_Invalidate(app, 1);
  PlotWin_EndStep(app);
}

void PlotWin_ClearSelections(AppState* app) {
  if (!app) return;
  for (GraphSelection& sel : app->Graph.Selection) {
    if (!sel.iVisible) continue;
    sel.iVisible = 0;
    app->Graph.iViewChanged = 1;
  }
  app->Graph.iCurrentSelection = -1;
}

void PlotWin_DeleteHiddenChannels(AppState* app) {
  if (!app) return;
  // The hidden channels that hold samples go; the others move down over
  // them in their order, and the active channel follows its curve.
  int mask = 0, kept = 0, a = Graph_ActiveChannel(app), newActive = 0;
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    const CurveChannel& ch = app->Channels.Channel[c];
    if (!ch.iVisible && ch.iNrOfSamples > 0) {
      mask |= 1 << c;
      continue;
    }
    if (c == a) newActive = kept;
    ++kept;
  }
  if (mask) {
    ClosePanel(app);
    History_Begin(app, "delete hidden channels");
    History_DeleteChannels(app, mask);
    app->Graph.iActiveChannel = newActive;
    PlotWin_EndStep(app);
  }
  ChannelSet_CountInUse(&app->Channels);
  app->Graph.iViewChanged = 1;
}

void PlotWin_LowPassPreset(AppState* app, int k) {
  if (!app || k < 0 || k >= LOWPASS_PRESET_COUNT) return;
  int c = Graph_ActiveChannel(app);
  char label[HISTORY_LABEL_LEN];
  std::snprintf(label, sizeof label, "low pass %lg", LOWPASS_PRESETS[k]);
  // The clock of the progress window runs from here: keeping the channel's
  // samples for the history is part of the wait.
  char title[HISTORY_LABEL_LEN + 16];
  std::snprintf(title, sizeof title, "Filtering: %s", label);
  WorkProgress progress{};
  Progress_Begin(app->hwndMain, title, &progress);
  ClosePanel(app);
  History_Begin(app, label);
  History_KeepChannel(app, c);
  CurveChannel* ch = &app->Channels.Channel[c];
  int rc = Channel_LowPass(ch, ch, 0, 0, LOWPASS_PRESETS[k], kPresetTransition, &progress);
  Progress_End();
  if (rc == LOWPASS_NO_MEMORY || rc == LOWPASS_STOPPED) {
    History_Cancel(app);
    if (rc == LOWPASS_NO_MEMORY) Win_MessageBox(app->hwndMain, kNoFilterMemory, app->szCaption, MB_OK);
    else SetStatus(app, STATUS_PART_MESSAGE, kFilterCancelled);
  } else {
    PlotWin_EndStep(app);
  }
  app->Graph.iViewChanged = 1;
}

void PlotWin_CmdLowPassInteractive(AppState* app) {
  if (!app) return;
  ClosePanel(app);
  // The step stays open while the panel is: every scroller move filters the
  // samples it kept, Ok ends it and Cancel takes it back.
  app->iPanelChannel = Graph_ActiveChannel(app);
  History_Begin(app, "low pass");
  History_KeepChannel(app, app->iPanelChannel);
  PlotWin_SetPanelMode(app, PANEL_MODE_LOWPASS);
}

void PlotWin_SetPanelMode(AppState* app, unsigned char mode) {
  if (!app) return;
  if (mode == PANEL_MODE_LOWPASS) {
    for (int i = 0; i < PARAM_COUNT; ++i) {
      ParamScroller& p = app->Param[i];
      std::snprintf(p.szParamName, sizeof p.szParamName, "%s", kLowPassParams[i].szName);
      p.dParamMin = kLowPassParams[i].dMin;
      p.dParamMax = kLowPassParams[i].dMax;
      p.dParamValue = kLowPassParams[i].dValue;
    }
    app->dPanelFiltered[0] = app->dPanelFiltered[1] = std::nan("");
    app->Graph.iPanelEraseRequest = 1;
    SetStatus(app, STATUS_PART_MESSAGE, kLowPassHelp);
  } else if (mode == PANEL_MODE_NONE && app->bPanelMode != PANEL_MODE_NONE) {
    SetStatus(app, STATUS_PART_MESSAGE, "");
  }
  app->bPanelMode = mode;
  if (mode == PANEL_MODE_NONE) {
    LowPass_Free(&app->LiveFilter);
    app->uLiveFilterStep = 0;
    PlotWin_ShowPanel(app, 0);
  } else {
    PlotWin_ShowPanel(app, 1);
    PlotWin_ResetScrollerRanges(app);
  }
}

void PlotWin_OnParamScroll(AppState* app, int i, const GraphScrollState* state, int stopped) {
  if (!app) return;
  if (i >= 0 && i < PARAM_COUNT && state) {
    double span = static_cast<double>(state->iMax) - state->iPage;
    if (span > 0.0) {
      ParamScroller& p = app->Param[i];
      double v = p.dParamMax - state->iPos * (p.dParamMax - p.dParamMin) / span;
      if (v < p.dParamMin) v = p.dParamMin;
      if (v > p.dParamMax) v = p.dParamMax;
      p.dParamValue = v;
      SCROLLINFO si{};
      si.cbSize = sizeof si;
      si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
      si.nMin = state->iMin;
      si.nMax = state->iMax;
      si.nPage = state->iPage > 0 ? static_cast<UINT>(state->iPage) : 0u;
      si.nPos = state->iPos;
      Win_SetScrollInfo(app->hwndScroller[i], SB_CTL, &si, 1);
      char text[64];
      std::snprintf(text, sizeof text, "%s:%lf", p.szParamName, v);
      SetStatus(app, STATUS_PART_INFO, text);
    }
  }
  ClampInt(&app->Graph.iActiveChannel, 0, MAX_CHANNELS - 1);
  if (app->bPanelMode == PANEL_MODE_LOWPASS) PanelFilter(app, stopped);
  if (app->Graph.iViewChanged) Graph_Invalidate(app, 0);
}

void PlotWin_PanelOk(AppState* app) {
  if (!app) return;
  CurveChannel kept{};
  if (app->bPanelMode == PANEL_MODE_LOWPASS && History_KeptChannel(app, app->iPanelChannel, &kept)) {
    // The step is named by the cut-off the channel shows, which after a
    // cancelled filter is not the one the scroller points at.
    double shown = app->dPanelFiltered[0];
    if (std::isnan(shown)) shown = app->Param[0].dParamValue;
    char label[HISTORY_LABEL_LEN];
    std::snprintf(label, sizeof label, "low pass %lg", shown);
    History_SetLabel(app, label);
    PlotWin_EndStep(app);
  }
  PlotWin_SetPanelMode(app, PANEL_MODE_NONE);
}

void PlotWin_PanelCancel(AppState* app) {
  if (!app) return;
  CurveChannel kept{};
  if (app->bPanelMode == PANEL_MODE_LOWPASS && History_KeptChannel(app, app->iPanelChannel, &kept)) {
    History_Cancel(app);
    app->Graph.iViewChanged = 1;
  }
  PlotWin_SetPanelMode(app, PANEL_MODE_NONE);
}

void PlotWin_EndStep(AppState* app) {
  if (History_End(app) < 0) SetStatus(app, STATUS_PART_MESSAGE, HISTORY_CANNOT_UNDO_TEXT);
}

// Undo and Redo share all but the direction.
static void UndoOrRedo(AppState* app, int redo) {
  if (!app) return;
  ClosePanel(app);
  char label[HISTORY_LABEL_LEN];
  int lengthChanged = 0;
  int done = redo ? History_Redo(app, label, sizeof label, &lengthChanged)
                  : History_Undo(app, label, sizeof label, &lengthChanged);
  if (!done) {
    Win_MessageBox(app->hwndMain, redo ? "Nothing to redo." : "Nothing to undo.", app->szCaption, MB_OK);
    return;
  }
  if (done < 0) {  // refused for want of memory: nothing changed
    SetStatus(app, STATUS_PART_MESSAGE, redo ? HISTORY_NO_MEMORY_REDO_TEXT : HISTORY_NO_MEMORY_UNDO_TEXT);
    return;
  }
  char text[HISTORY_LABEL_LEN + 16];
  std::snprintf(text, sizeof text, "%s: %s", redo ? "Redone" : "Undone", label);
  SetStatus(app, STATUS_PART_MESSAGE, text);
  if (lengthChanged) PlotWin_ScaleXView(app);
  app->Graph.iViewChanged = 1;
}

void PlotWin_ScaleXView(AppState* app) {
  if (!app) return;
  double x0 = 0.0, x1 = 0.0, y0 = 0.0, y1 = 0.0;
  int a = Graph_ActiveChannel(app);
  Graph_XExtent(app, &x0, &x1);
  Graph_GetViewY(app, a, &y0, &y1);
  Graph_SetView(app, a, x0, x1, y0, y1);
}

void PlotWin_CmdUndo(AppState* app) { UndoOrRedo(app, 0); }

void PlotWin_CmdRedo(AppState* app) { UndoOrRedo(app, 1); }

void PlotWin_ShowHelp(AppState* app) {
  if (!app) return;
  Win_ShowHelpWindow(app->hwndMain, kHelpCaption, Help_Html().c_str());
}

void PlotWin_ShowAbout(AppState* app) {
  if (!app) return;
  char text[kAboutLen];
  std::snprintf(text, sizeof text,
                "%s\r\n   Compiled: %s\r\n   Updates at %s .\r\nManual+Demos not available yet ."
                "\r\n\r\nInvoked with command line: \r\n   \"%s\" .",
                kAuthorLine, __DATE__, kUpdateLocation, PlotWin_CommandLine);
  Win_MessageBox(app->hwndMain, text, app->szCaption, MB_OK);
}
