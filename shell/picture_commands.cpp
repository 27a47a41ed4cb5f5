// File, Export Picture and Edit, Copy Picture: the diagram as it is shown,
// written as a PNG image or an SVG drawing, or put on the clipboard.  Both
// draw into an image of their own and then repaint the window, whose layout
// (rcPlot, legend boxes) the drawing at another size has changed.
#include <cstdio>
#include <cstring>

#include "shell/plotwin.h"
#include "winutil/error_text.h"
#include "winutil/input_dialog.h"
#include "winutil/winapi.h"
#include "winutil/window_utils.h"

namespace {

constexpr char kPictureFilter[] =
    "PNG images (*.png)\0*.png\0"
    "SVG drawings (*.svg)\0*.svg\0";
constexpr const char* kExportLine1 = "Exporting the diagram as a picture.";
constexpr int kMaxSide = 16384;  // larger pictures are refused as the renderer refuses them

// The drawing area: the client area above the status bar.
void DrawingArea(const AppState* app, int* w, int* h) {
  RECT rc{};
  Win_GetClientRect(app->hwndMain, &rc);
  *w = rc.right - rc.left;
  *h = rc.bottom - rc.top - WinUtil_GetWindowHeight(app->hwndStatus);
}

// The window's own layout again after a drawing at another size.
void RepaintWindow(AppState* app) {
  app->Graph.iViewChanged = 1;
  Graph_Invalidate(app, 0);
  Win_UpdateWindow(app->hwndMain);
}

void SetMessage(AppState* app, const char* text) {
  WinUtil_SetStatusText(app->hwndStatus, STATUS_PART_MESSAGE, 0, text);
}

// The name the dialog proposes: the data file's with the extension .png.
void ProposedName(const AppState* app, char* name) {
  AppState_CopyText(name, app->szDataFile);
  char* slash = std::strrchr(name, '/');
  char* dot = std::strrchr(name, '.');
  if (dot && (!slash || dot > slash)) *dot = '\0';
  if (std::strlen(name) + 4 < static_cast<size_t>(APP_TEXT_LEN)) std::strcat(name, ".png");
}

}  // namespace

void PlotWin_CmdExportPicture(AppState* app) {
  if (!app) return;
  int w = 0, h = 0;
  DrawingArea(app, &w, &h);
  if (InputDlg_AskNumber(app->hwndMain, app->szTitle, kExportLine1, "Width in pixels ?", &w, 0) != 1) return;
  if (InputDlg_AskNumber(app->hwndMain, app->szTitle, kExportLine1, "Height in pixels ?", &h, 0) != 1) return;
  ClampInt(&w, 1, kMaxSide);
  ClampInt(&h, 1, kMaxSide);
  char path[APP_TEXT_LEN];
  ProposedName(app, path);
  if (!WinUtil_ChooseFileToSave(app->hwndMain, app->hInstance, "Export Picture", path, APP_TEXT_LEN - 1,
                                kPictureFilter, "png", nullptr))
    return;
  int rc = Graph_SavePicture(app, path, w, h);
  RepaintWindow(app);
  char text[APP_TEXT_LEN + 160];
  if (rc == 0)
    std::snprintf(text, sizeof text, "Exported picture \"%s\" (%d x %d)", path, w, h);
  else
    std::snprintf(text, sizeof text, "ERROR: failed to export \"%s\" (%s)", path, ErrorCodeToText(rc));
  SetMessage(app, text);
}

void PlotWin_CmdCopyPicture(AppState* app) {
  if (!app) return;
  int w = 0, h = 0;
  DrawingArea(app, &w, &h);
  int ok = Graph_CopyPicture(app, w, h);
  RepaintWindow(app);
  char text[96];
  if (ok)
    std::snprintf(text, sizeof text, "Copied the picture (%d x %d) to the clipboard", w, h);
  else
    std::snprintf(text, sizeof text, "ERROR: the picture could not be put on the clipboard");
  SetMessage(app, text);
}
