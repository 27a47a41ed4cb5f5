// The one application record's start values and the window-to-record table.
// The record is cleared to zero first, so only the values that differ from
// zero are set here.
#include "shell/app_state.h"

#include <cstring>

AppState* PlotWin_Instances[PLOTWIN_MAX_INSTANCES];

void AppState_CopyText(char* dst, const char* src) {
  std::strncpy(dst, src ? src : "", APP_TEXT_LEN - 1);
  dst[APP_TEXT_LEN - 1] = '\0';
}

void AppState_InitDefaults(AppState* app) {
  if (!app) return;
  std::memset(app, 0, sizeof(*app));
  AppState_CopyText(app->szDataFile, APP_DEFAULT_DATA_FILE);
  AppState_CopyText(app->szCaption, "Plotsmith V0.1");
  AppState_CopyText(app->szTitle, "Plot Smith");
  app->Graph.iLastEditIndex = -1;
  app->bPanelMode = PANEL_MODE_NONE;
  for (int s = 0; s < GRAPH_MAX_SELECTIONS; ++s) {
    GraphSelection& sel = app->Graph.Selection[s];
    sel.iVisible = 0;
    sel.dX1 = sel.dX2 = sel.dY1 = sel.dY2 = 0.0;
    sel.crFill = GRAPH_SELECTION_COLORS[s];
  }
}
