// The shell side of loading: result message, window title, repaint request.
#include <cstdio>

#include "formats/curve_file.h"
#include "shell/plotwin.h"
#include "winutil/error_text.h"
#include "winutil/winapi.h"
#include "winutil/window_utils.h"

void PlotWin_LoadFile(AppState* app, const char* path, int c) {
  if (!app || !path) return;
  char status[2 * APP_TEXT_LEN + 160];
  char title[2 * APP_TEXT_LEN + 16];
  CurveLoadNotes notes;
  int rc = LoadCurveFile(app, path, c, &notes);
  if (rc == 0) {
    long points = (c >= 0 && c < MAX_CHANNELS) ? app->Channels.Channel[c].iNrOfSamples : 0;
    CurveFile_LoadStatusText(status, sizeof status, path, points, &notes);
    std::snprintf(title, sizeof title, "%s  -   %s", app->szTitle, path);
  } else {
    std::snprintf(status, sizeof status, "ERROR: failed to load \"%s\" (%s)", path, ErrorCodeToText(rc));
    std::snprintf(title, sizeof title, "%s  -  file not loaded", app->szTitle);
  }
  WinUtil_SetStatusText(app->hwndStatus, STATUS_PART_MESSAGE, 0, status);
  if (c == 0) Win_SetWindowText(app->hwndMain, title);
  Graph_Invalidate(app, 1);
}
