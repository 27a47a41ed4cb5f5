// Program entry, the command line, the message loop and shutdown.
#include <cstdio>
#include <cstring>
#include <iterator>

#include "shell/plotwin.h"
#include "winutil/input_dialog.h"
#include "winutil/winapi.h"

char PlotWin_CommandLine[APP_TEXT_LEN];

namespace {

AppState s_App;
HACCEL s_hAccel;

constexpr unsigned short Key(int vk) { return static_cast<unsigned short>(vk); }

// F9, F7 and F2 give commands that the dispatcher ignores; the others are the
// shortcuts the menus show after a tab.  "+" comes with Shift on keyboards
// that put it above "=", so both forms zoom in.
constexpr ACCEL kAccelerators[] = {
    {FVIRTKEY, Key(VK_F9), IDM_ACCEL_F9},
    {FVIRTKEY, Key(VK_F7), IDM_ACCEL_F7},
    {FVIRTKEY, Key(VK_F2), IDM_ACCEL_F2},
    {FCONTROL | FVIRTKEY, Key('Z'), IDM_UNDO},
    {FCONTROL | FVIRTKEY, Key('N'), IDM_NEW},
    {FCONTROL | FVIRTKEY, Key('O'), IDM_OPEN},
    {FCONTROL | FVIRTKEY, Key('L'), IDM_LOAD_NEXT},
    {FCONTROL | FVIRTKEY, Key('S'), IDM_SAVE},
    {FCONTROL | FVIRTKEY, Key('Q'), IDM_EXIT},
    {FVIRTKEY, Key(VK_F1), IDM_HELP},
    {FVIRTKEY, Key(VK_OEM_PLUS), IDM_KEY_ZOOM_IN},
    {FSHIFT | FVIRTKEY, Key(VK_OEM_PLUS), IDM_KEY_ZOOM_IN},
    {FVIRTKEY, Key(VK_ADD), IDM_KEY_ZOOM_IN},
    {FVIRTKEY, Key(VK_OEM_MINUS), IDM_KEY_ZOOM_OUT},
    {FVIRTKEY, Key(VK_SUBTRACT), IDM_KEY_ZOOM_OUT},
    {FVIRTKEY, Key(VK_LEFT), IDM_SCROLL_LEFT},
    {FVIRTKEY, Key(VK_RIGHT), IDM_SCROLL_RIGHT},
    {FVIRTKEY, Key(VK_HOME), IDM_VIEW_START},
    {FVIRTKEY, Key(VK_END), IDM_VIEW_END},
    {FCONTROL | FVIRTKEY, Key('0'), IDM_ZOOM_OUT_ALL},
};

}  // namespace

void PlotWin_CommandLineToFile(AppState* app, const char* cmdLine) {
  if (!app || !cmdLine) return;
  int quoted = 0;
  if (cmdLine[0] == '"') {
    ++cmdLine;
    quoted = 1;
  }
  AppState_CopyText(app->szDataFile, cmdLine);
  size_t n = std::strlen(app->szDataFile);
  if (quoted && n > 0 && app->szDataFile[n - 1] == '"') app->szDataFile[n - 1] = '\0';
}

void PlotWin_Start(AppState* app, HINSTANCE instance, const char* cmdLine) {
  InputDlg_hInstance = instance;
  AppState_CopyText(PlotWin_CommandLine, cmdLine);
  AppState_InitDefaults(app);
  PlotWin_Create(app, instance);
  if (!s_hAccel) s_hAccel = Win_CreateAcceleratorTable(kAccelerators, static_cast<int>(std::size(kAccelerators)));
  if (PlotWin_CommandLine[0] != '\0') {
    PlotWin_CommandLineToFile(app, PlotWin_CommandLine);
    PlotWin_LoadFile(app, app->szDataFile, 0);
  }
  Win_ShowWindow(app->hwndMain, SW_SHOW);
}

int WinMain(HINSTANCE instance, HINSTANCE, const char* cmdLine, int) {
  PlotWin_Start(&s_App, instance, cmdLine);
  return PlotWin_RunMessageLoop(&s_App);
}

int PlotWin_RunMessageLoop(AppState* app) {
  MSG msg{};
  while (Win_GetMessage(&msg, nullptr, 0, 0)) {
    HWND main = app ? app->hwndMain : nullptr;
    if (Win_IsDialogMessage(main, &msg)) continue;
    if (Win_TranslateAccelerator(main, s_hAccel, &msg)) continue;
    Win_TranslateMessage(&msg);
    Win_DispatchMessage(&msg);
  }
  return static_cast<int>(msg.wParam);
}

// Writes one integer key of the main window section.
static void WriteSetting(const char* key, long value) {
  char text[32];
  std::snprintf(text, sizeof text, "%ld", value);
  Profile_WriteString(SETTINGS_SECTION, key, text, SETTINGS_FILE);
}

int PlotWin_OnDestroy(AppState* app, HWND hwnd) {
  RECT rc{};
  if (!Win_IsZoomed(hwnd) && !Win_IsIconic(hwnd) && Win_GetWindowRect(hwnd, &rc)) {
    WriteSetting("Left", rc.left);
    WriteSetting("Top", rc.top);
    WriteSetting("Width", static_cast<long>(rc.right) - rc.left);
    WriteSetting("Height", static_cast<long>(rc.bottom) - rc.top);
  }
  Win_PostQuitMessage(0);
  if (app) {
    ChannelSet_FreeAll(&app->Channels);
    Undo_FreeAll(app);
    app->hwndMain = nullptr;
    // The record may end before the process (a record per test run): the
    // table must not keep a pointer to it for the next window's lookups.
    for (AppState*& slot : PlotWin_Instances)
      if (slot == app) slot = nullptr;
  }
  return 0;
}
