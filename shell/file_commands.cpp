// The File menu's commands and the shell side of every load and save: the
// file dialogs and their filter lists, the save type of the chosen entry, the
// result texts in the status bar, the window title, and the save-changes
// prompt that guards New, Open, loading into the next channel and closing.
//
// iModified marks unsaved changes: the data commands set it, New, a
// successful load into channel 0 and a successful save clear it (they are
// the history's save point).  New and loading into channel 0 start a new
// history; loading into the next channel is a step of it.
#include <cstdio>
#include <cstring>

#include "formats/curve_file.h"
#include "formats/format_table.h"
#include "shell/plotwin.h"
#include "winutil/input_dialog.h"
#include "winutil/progress.h"
#include "winutil/winapi.h"
#include "winutil/window_utils.h"

namespace {

constexpr const char* kDefExt = "txt";
constexpr int kPathMax = APP_TEXT_LEN - 1;
constexpr const char* kNewLine1 = "Creating new data array.";
constexpr int kNewMaxSamples = CHANNEL_MAX_ALLOC;

void SetMessage(AppState* app, const char* text) {
  WinUtil_SetStatusText(app->hwndStatus, STATUS_PART_MESSAGE, 0, text);
}

// Fills channels 0..n-1 with m zeros each, empties the rest, drops the undo
// state and scales the diagram to the new data.
void MakeNewData(AppState* app, int n, int m) {
  ChannelSet& set = app->Channels;
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    CurveChannel& ch = set.Channel[c];
    ch.iNrOfSamples = 0;
    std::snprintf(ch.szName, sizeof ch.szName, "Channel %d", c + 1);
    ch.iVisible = c < n;
    if (c >= n) continue;
    ch.dXOrigin = 0.0;
    ch.dXStep = 1.0;
    ch.dViewMin = ch.dDataMin = -1.0;
    ch.dViewMax = ch.dDataMax = 1.0;
    static const double kZeros[65536] = {};
    for (int i = 0; i < m; i += 65536) Channel_StoreSamples(&ch, i, kZeros, m - i < 65536 ? m - i : 65536);
  }
  ChannelSet_CountInUse(&set);
  if (app->Graph.iActiveChannel >= n) app->Graph.iActiveChannel = 0;
  Graph_Invalidate(app, 1);
}

}  // namespace

int PlotWin_ConfirmDiscard(AppState* app) {
  if (!app || !app->iModified) return 1;
  int answer = Win_MessageBox(app->hwndMain, "Data may have been modified.\r\nSave changes in file ?",
                              app->szCaption, MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON3);
  if (answer == IDNO) return 1;
  if (answer != IDYES) return 0;
  int type = SAVE_TYPE_INT16;
  char path[APP_TEXT_LEN];
  if (!PlotWin_ChooseSaveFile(app, &type, path)) return 0;
  return PlotWin_SaveFile(app, path, type) == 0 ? 1 : 0;
}

int PlotWin_ChooseSaveFile(AppState* app, int* type, char* path) {
  if (!app || !path) return 0;
  char name[APP_TEXT_LEN];
  AppState_CopyText(name, app->szDataFile);
  int index = -1;
  int chosen = WinUtil_ChooseFileToSave(app->hwndMain, app->hInstance, "Save Curve as Text File", name,
                                        kPathMax, CurveFormat_SaveFilter(), kDefExt, &index);
  if (chosen) AppState_CopyText(path, name);
  if (chosen && type) *type = CurveFormat_SaveTypeOfEntry(index, *type);
  return chosen;
}

int PlotWin_SaveFile(AppState* app, const char* path, int type) {
  if (!app || !path) return 0;
  char status[APP_TEXT_LEN + 640];  // the path and the notes of a save
  char title[2 * APP_TEXT_LEN + 16];
  CurveSaveNotes notes;
  WorkProgress progress{};
  std::snprintf(title, sizeof title, "Saving \"%s\"", path);
  Progress_Begin(app->hwndMain, title, &progress);
  int rc = SaveCurveFile(&app->Channels, &app->SpectrumHeader, path, 0, type, &notes, &progress);
  Progress_End();
  CurveFile_SaveStatusText(status, sizeof status, path, rc, &notes);
  if (notes.szReason[0]) std::fprintf(stderr, "%s\n", status);
  SetMessage(app, status);
  if (rc != 0) return rc;  // the file in memory keeps its name, title and Modified flag
  AppState_CopyText(app->szDataFile, path);
  History_MarkSaved(app);
  PlotWin_AddRecentFile(app, path);
  std::snprintf(title, sizeof title, "%s  -   %s", app->szTitle, app->szDataFile);
  WinUtil_SetWindowText(app->hwndMain, title);
  return rc;
}

void PlotWin_LoadFile(AppState* app, const char* path, int c) {
  if (!app || !path) return;
  char status[2 * APP_TEXT_LEN + 160];
  char title[2 * APP_TEXT_LEN + 16];
  CurveLoadNotes notes;
  WorkProgress progress{};
  std::snprintf(title, sizeof title, "Loading \"%s\"", path);
  Progress_Begin(app->hwndMain, title, &progress);
  int rc = LoadCurveFile(&app->Channels, &app->SpectrumHeader, path, c, &notes, &progress);
  Progress_End();
  if (rc == 0) {
    long points = (c >= 0 && c < MAX_CHANNELS) ? app->Channels.Channel[c].iNrOfSamples : 0;
    CurveFile_LoadStatusText(status, sizeof status, path, points, &notes);
    std::snprintf(title, sizeof title, "%s  -   %s", app->szTitle, path);
    // A fresh main file has nothing unsaved and a history of its own; a
    // curve added to it is a step of the history it has.
    if (c == 0) {
      History_Init(app, app->History.llBudget);
      History_MarkSaved(app);
      PlotWin_AddRecentFile(app, path);
    }
  } else {
    // A failed read may have left channel 0 changed: the steps no longer fit it.
    if (c == 0) {
      History_Init(app, app->History.llBudget);
      app->History.iSavePos = -1;
    }
    CurveFile_LoadErrorText(status, sizeof status, path, rc, &notes);
    // A decoding library's reason goes to stderr as well, for bug reports.
    if (notes.szReason[0]) std::fprintf(stderr, "%s\n", status);
    std::snprintf(title, sizeof title, "%s  -  file not loaded", app->szTitle);
  }
  SetMessage(app, status);
  if (c == 0) WinUtil_SetWindowText(app->hwndMain, title);
  Graph_Invalidate(app, 1);
}

void PlotWin_CmdNew(AppState* app) {
  if (!app || !PlotWin_ConfirmDiscard(app)) return;
  int n = 1;
  if (InputDlg_AskNumber(app->hwndMain, app->szTitle, kNewLine1, "Number of channels ?", &n, 0) != 1) return;
  int m = 1024;
  if (InputDlg_AskNumber(app->hwndMain, app->szTitle, kNewLine1, "Number of samples per channel ?", &m, 0) != 1)
    return;
  ClampInt(&n, 1, MAX_CHANNELS);
  ClampInt(&m, 1, kNewMaxSamples);
  // All the storage first, so that a channel set too large for the memory
  // leaves the old data as it was.
  for (int c = 0; c < n; ++c) {
    if (Channel_Reserve(&app->Channels.Channel[c], m)) continue;
    Win_MessageBox(app->hwndMain, "Not enough memory for the new data.", app->szCaption, MB_OK);
    return;
  }
  MakeNewData(app, n, m);
  AppState_CopyText(app->szDataFile, APP_DEFAULT_DATA_FILE);
  WinUtil_SetWindowText(app->hwndMain, app->szTitle);
  History_Init(app, app->History.llBudget);
  History_MarkSaved(app);
}

void PlotWin_CmdOpen(AppState* app) {
  if (!app || !PlotWin_ConfirmDiscard(app)) return;
  if (!WinUtil_ChooseFileToOpen(app->hwndMain, app->hInstance, "Load Curve from Text File", app->szDataFile,
                                kPathMax, CurveFormat_OpenFilter(), kDefExt))
    return;
  PlotWin_LoadFile(app, app->szDataFile, 0);
}

void PlotWin_CmdLoadNextChannel(AppState* app) {
  if (!app) return;
  if (app->Channels.iChannelsInUse >= MAX_CHANNELS) {
    Win_MessageBox(app->hwndMain, "All channels are in use.\r\nDelete a channel and try again.",
                   app->szCaption, MB_OK);
    return;
  }
  if (!PlotWin_ConfirmDiscard(app)) return;
  int c = app->Channels.iChannelsInUse;
  char title[64];
  std::snprintf(title, sizeof title, "Load Data for Channel #%d", c + 1);
  char path[APP_TEXT_LEN];
  AppState_CopyText(path, app->szDataFile);
  if (!WinUtil_ChooseFileToOpen(app->hwndMain, app->hInstance, title, path, kPathMax, CurveFormat_OpenFilter(), kDefExt))
    return;
  // One step: every channel the file may fill, from c on, as it was.
  char label[HISTORY_LABEL_LEN];
  std::snprintf(label, sizeof label, "load into channel %d", c + 1);
  History_Begin(app, label);
  for (int k = c; k < MAX_CHANNELS; ++k) History_KeepChannel(app, k);
  PlotWin_LoadFile(app, path, c);
  PlotWin_EndStep(app);
}

void PlotWin_CmdSave(AppState* app) {
  int type = 0;
  char path[APP_TEXT_LEN];
  if (!PlotWin_ChooseSaveFile(app, &type, path)) return;
  PlotWin_SaveFile(app, path, type);
}

void PlotWin_OpenDroppedFile(AppState* app, const char* path) {
  // A path longer than the name buffer is ignored, as the open dialog refuses it.
  if (!app || !path || std::strlen(path) > static_cast<size_t>(kPathMax)) return;
  if (!PlotWin_ConfirmDiscard(app)) return;
  AppState_CopyText(app->szDataFile, path);
  PlotWin_LoadFile(app, app->szDataFile, 0);
}
