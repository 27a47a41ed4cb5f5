// The edit commands: crop to the current selection, delete hidden channels,
// the low-pass presets and the live low-pass panel, and the help and about
// boxes.  Each backs up what it changes first (shell/undo.h); a crop keeps a
// copy of every channel it cuts in CropBackup so that Undo restores them all.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <utility>

#include "curve/lowpass.h"
#include "curve/safe_int.h"
#include "graph/graph_hit.h"
#include "shell/help_text.h"
#include "shell/plotwin.h"
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

}  // namespace

int PlotWin_CropSelection(AppState* app) {
  if (!app) return 0;
  int s = app->Graph.iCurrentSelection;
  if (s < 0 || s >= GRAPH_MAX_SELECTIONS || !Selection_IsValid(&app->Graph.Selection[s])) return 0;
  double x1 = app->Graph.Selection[s].dX1, x2 = app->Graph.Selection[s].dX2;
  int inUse = app->Channels.iChannelsInUse;
  ClampInt(&inUse, 0, MAX_CHANNELS);
  int cropped = 0;
  for (int c = 0; c < inUse; ++c) {
    CurveChannel& ch = app->Channels.Channel[c];
    int first = 0, last = 0;
    if (!CropRange(ch, x1, x2, &first, &last)) continue;
    Undo_CopyExact(&ch, &app->CropBackup[c]);
    app->iCropBackups |= 1 << c;
    std::memmove(ch.pdSamples, ch.pdSamples + first, sizeof(double) * (last - first + 1));
    ch.iNrOfSamples = last - first + 1;
    cropped = 1;
  }
  if (!cropped) return 0;
  app->iModified = 1;
  char text[96];
  std::snprintf(text, sizeof text, "Cropped selection, %ld points remaining",
                static_cast<long>(app->Channels.Channel[0].iNrOfSamples));
  SetStatus(app, STATUS_PART_MESSAGE, text);
  return 1;
}

void PlotWin_CmdCrop(AppState* app) {
  if (!app) return;
  Undo_Backup(app, Graph_ActiveChannel(app));
  PlotWin_CropSelection(app);
  PlotWin_ClearSelections(app);
  Graph_Invalidate(app, 1);
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
  CurveChannel* ch = app->Channels.Channel;
  // The visible channels move down over the hidden ones in their order; the
  // slots left over at the top become fresh, empty channels.
  int newSlot[MAX_CHANNELS];  // where each old channel went, -1 when removed
  int kept = 0;
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    if (ch[c].iVisible) {
      if (kept != c) ch[kept] = ch[c];
      newSlot[c] = kept++;
      continue;
    }
    if (ch[c].iNrOfSamples > 0) app->iModified = 1;
    Channel_Free(&ch[c]);
    newSlot[c] = -1;
  }
  for (int c = kept; c < MAX_CHANNELS; ++c) Channel_Init(&ch[c], 0);
  // The undo state and the active channel follow their curves.
  int u = app->iUndoChannel;
  app->iUndoChannel = Channel_IsIndex(u) ? newSlot[u] : -1;
  int a = app->Graph.iActiveChannel;
  app->Graph.iActiveChannel = Channel_IsIndex(a) && newSlot[a] >= 0 ? newSlot[a] : 0;
  // Kept crop backups move down with their channels (slots only ever move
  // down and keep their order, so a swap never disturbs one still to move).
  int mask = 0;
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    if (!(app->iCropBackups & (1 << c)) || newSlot[c] < 0) continue;
    if (newSlot[c] != c) std::swap(app->CropBackup[newSlot[c]], app->CropBackup[c]);
    mask |= 1 << newSlot[c];
  }
  app->iCropBackups = mask;
  ChannelSet_CountInUse(&app->Channels);
  app->Graph.iViewChanged = 1;
}

void PlotWin_LowPassPreset(AppState* app, int k) {
  if (!app || k < 0 || k >= LOWPASS_PRESET_COUNT) return;
  int c = Graph_ActiveChannel(app);
  Undo_Backup(app, c);
  CurveChannel* ch = &app->Channels.Channel[c];
  if (Channel_LowPass(ch, ch, 0, 0, LOWPASS_PRESETS[k], kPresetTransition)) app->iModified = 1;
  app->Graph.iViewChanged = 1;
}

void PlotWin_CmdLowPassInteractive(AppState* app) {
  if (!app) return;
  Undo_Backup(app, Graph_ActiveChannel(app));
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
    app->Graph.iPanelEraseRequest = 1;
    SetStatus(app, STATUS_PART_MESSAGE, kLowPassHelp);
  } else if (mode == PANEL_MODE_NONE && app->bPanelMode != PANEL_MODE_NONE) {
    SetStatus(app, STATUS_PART_MESSAGE, "");
  }
  app->bPanelMode = mode;
  if (mode == PANEL_MODE_NONE) {
    PlotWin_ShowPanel(app, 0);
  } else {
    PlotWin_ShowPanel(app, 1);
    PlotWin_ResetScrollerRanges(app);
  }
}

void PlotWin_OnParamScroll(AppState* app, int i, const GraphScrollState* state) {
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
  // The live filter always starts again from the backup and writes back only
  // into the channel that backup was taken from.
  int c = app->iUndoChannel;
  if (app->bPanelMode == PANEL_MODE_LOWPASS && Channel_IsIndex(c)) {
    if (Channel_LowPass(&app->UndoBuffer, &app->Channels.Channel[c], 0, 0, app->Param[0].dParamValue,
                        app->Param[1].dParamValue))
      app->iModified = 1;
    app->Graph.iViewChanged = 1;
  }
  if (app->Graph.iViewChanged) Graph_Invalidate(app, 0);
}

void PlotWin_PanelOk(AppState* app) { PlotWin_SetPanelMode(app, PANEL_MODE_NONE); }

void PlotWin_PanelCancel(AppState* app) {
  if (!app) return;
  Undo_Restore(app);
  PlotWin_SetPanelMode(app, PANEL_MODE_NONE);
}

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
