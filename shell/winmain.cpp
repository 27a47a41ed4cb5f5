// Program entry, the command line, the message loop and shutdown, and the
// offer to recover what a run that did not end normally left unsaved.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iterator>

#include "shell/plotwin.h"
#include "winutil/input_dialog.h"
#include "winutil/winapi.h"
#include "winutil/window_utils.h"

char PlotWin_CommandLine[APP_TEXT_LEN];

namespace {

AppState s_App;
HACCEL s_hAccel;

constexpr unsigned short Key(int vk) { return static_cast<unsigned short>(vk); }

// F9, F7 and F2 give commands that the dispatcher ignores; the others are the
// shortcuts the menus show after a tab (Ctrl+Shift+Z redoes as Ctrl+Y does).  "+" comes with Shift on keyboards
// that put it above "=", so both forms zoom in.
constexpr ACCEL kAccelerators[] = {
    {FVIRTKEY, Key(VK_F9), IDM_ACCEL_F9},
    {FVIRTKEY, Key(VK_F7), IDM_ACCEL_F7},
    {FVIRTKEY, Key(VK_F2), IDM_ACCEL_F2},
    {FCONTROL | FVIRTKEY, Key('Z'), IDM_UNDO},
    {FCONTROL | FVIRTKEY, Key('Y'), IDM_REDO},
    {FCONTROL | FSHIFT | FVIRTKEY, Key('Z'), IDM_REDO},
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
  History_Init(app, History_BudgetFor(Profile_GetInt(SETTINGS_HISTORY_SECTION, "MaxMegabytes", 0, SETTINGS_FILE)));
  char dir[JOURNAL_PATH_LEN];
  if (Journal_DefaultDir(dir, sizeof dir)) Journal_Setup(app, dir);
  if (!s_hAccel) s_hAccel = Win_CreateAcceleratorTable(kAccelerators, static_cast<int>(std::size(kAccelerators)));
  if (PlotWin_CommandLine[0] != '\0') {
    PlotWin_CommandLineToFile(app, PlotWin_CommandLine);
    PlotWin_LoadFile(app, app->szDataFile, 0);
  }
  PlotWin_OfferRecovery(app);
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
    History_Clear(app);
    Journal_Discard(app);  // a normal end leaves no journal, saved or not
    app->hwndMain = nullptr;
    // The record may end before the process (a record per test run): the
    // table must not keep a pointer to it for the next window's lookups.
    for (AppState*& slot : PlotWin_Instances)
      if (slot == app) slot = nullptr;
  }
  return 0;
}

void PlotWin_OfferRecovery(AppState* app) {
  JournalFound found{};
  if (!app || !Journal_FindOrphan(app->Journal.szDir, &found)) return;
  char when[64] = "unknown time";
  auto t = static_cast<std::time_t>(found.llTime);
  std::tm local{};
  if (found.llTime > 0 && localtime_r(&t, &local)) std::strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", &local);
  const char* file = found.szDataFile[0] ? found.szDataFile : found.szPath;
  char text[4 * JOURNAL_PATH_LEN + 400];
  std::snprintf(text, sizeof text, "Plotsmith was closed without saving changes to %s (%s). Recover them?", file, when);
  int answer = found.iDamaged ? IDNO : Win_MessageBox(app->hwndMain, text, app->szCaption, MB_YESNO | MB_ICONQUESTION);
  if (answer == IDYES && Journal_Recover(app, &found)) {
    // The rebuilt state is unsaved work: Save and the prompt still guard it,
    // and this run's journal keeps it from the start.
    History_Init(app, app->History.llBudget);
    app->History.iSavePos = -1;
    app->iModified = 1;
    Journal_StartUnsaved(app);
    char title[2 * APP_TEXT_LEN + 16];
    std::snprintf(title, sizeof title, "%s  -   %s", app->szTitle, app->szDataFile);
    WinUtil_SetWindowText(app->hwndMain, title);
    PlotWin_ScaleXView(app);
    Graph_Invalidate(app, 0);
  }
  if (found.iDamaged) {
    std::snprintf(text, sizeof text,
                  "Plotsmith was closed without saving changes to %s (%s), but they cannot be recovered: "
                  "the journal %s is damaged.",
                  file, when, found.szPath);
    Win_MessageBox(app->hwndMain, text, app->szCaption, MB_OK | MB_ICONWARNING);
  }
  Journal_CloseFound(&found);
}
