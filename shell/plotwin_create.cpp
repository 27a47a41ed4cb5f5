// Creation of the main window and the data defaults.
#include <cmath>
#include <cstring>

#include "shell/plotwin.h"
#include "winutil/winapi.h"

// Samples per channel that start-up preallocates.
constexpr int PLOTWIN_INITIAL_CAPACITY = 65536;

// Channel storage, the record's table slot, the x view and the demonstration sine.
static void PlotWin_SetDataDefaults(AppState* app) {
  ChannelSet_Init(&app->Channels, PLOTWIN_INITIAL_CAPACITY);
  Channel_Init(&app->UndoBuffer, PLOTWIN_INITIAL_CAPACITY);
  app->iUndoChannel = -1;
  PlotWin_Instances[0] = app;
  app->Channels.dXViewMin = 0.0;
  app->Channels.dXViewMax = 100.0;
  CurveChannel& ch = app->Channels.Channel[0];
  ch.dViewMin = ch.dDataMin = -1.0;
  ch.dViewMax = ch.dDataMax = 1.0;
  ch.dXOrigin = 0.0;
  ch.dXStep = 1.0;
  ch.iVisible = 1;
  std::strcpy(ch.szName, "Channel 1");
  ch.iAxis = 0;
  for (int i = 0; i < 100; ++i) ChannelSet_SetSample(&app->Channels, 0, i, std::sin(0.1 * i));
}

static void PlotWin_RegisterClass(HINSTANCE instance) {
  WNDCLASSA wc{};
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = PlotWin_WndProc;
  wc.hInstance = instance;
  wc.hIcon = "PROGRAM_ICON";
  wc.hCursor = IDC_ARROW;
  wc.hbrBackground = COLOR_MENU + 1;
  wc.lpszClassName = PLOTWIN_CLASS_NAME;
  Win_RegisterClass(&wc);
}

void PlotWin_Create(AppState* app, HINSTANCE instance) {
  if (!app) return;
  app->hInstance = instance;
  PlotWin_RegisterClass(instance);
  int height = Profile_GetInt(SETTINGS_SECTION, "Height", 400, SETTINGS_FILE);
  int width = Profile_GetInt(SETTINGS_SECTION, "Width", 600, SETTINGS_FILE);
  int top = Profile_GetInt(SETTINGS_SECTION, "Top", 40, SETTINGS_FILE);
  int left = Profile_GetInt(SETTINGS_SECTION, "Left", 20, SETTINGS_FILE);
  app->hwndMain = Win_CreateWindow(0, PLOTWIN_CLASS_NAME, app->szTitle,
                                   WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL, left, top, width,
                                   height, nullptr, nullptr, instance, nullptr);
  PlotWin_SetDataDefaults(app);
}
