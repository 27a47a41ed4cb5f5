// Creation of the main window: the menu bar and the selection popup, the
// window class, the main window at its stored position, the status bar, the
// parameter panel (three vertical scrollers with Ok and Cancel) and the data
// defaults.  Also the panel's layout on size changes and the menu texts,
// checks and grays that are brought up to date before a menu opens.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "graph/graph_measure.h"
#include "shell/plotwin.h"
#include "winutil/winapi.h"
#include "winutil/window_utils.h"

// Samples per channel that start-up preallocates.
constexpr int PLOTWIN_INITIAL_CAPACITY = 65536;

namespace {

// One entry of a popup: a command with its text, or a separator (null text).
struct MenuEntry {
  const char* szText;  // item text with its & mnemonic, null for a separator
  int iId;             // command id
};

constexpr int STATUS_PART_COUNT = 4;
constexpr int STATUS_PART_WIDTHS[STATUS_PART_COUNT] = {60, 250, 80, 800};
constexpr int SCROLLER_RANGE_MAX = 1000;
// Panel layout: scroller columns from the left edge, the buttons at the bottom.
constexpr int PANEL_LEFT = 4;
constexpr int PANEL_COLUMN = 24;
constexpr int PANEL_TOP = 20;
constexpr int SCROLLER_WIDTH = 16;
constexpr int BUTTON_WIDTH = 64;
constexpr int BUTTON_HEIGHT = 20;
// Space kept below the scrollers for the two buttons, and their offsets from the bottom.
constexpr int PANEL_BOTTOM_SPACE = 72;
constexpr int OK_FROM_BOTTOM = 48;
constexpr int CANCEL_FROM_BOTTOM = 24;
// Below these sizes of the client area (minus the status bar) nothing is laid out.
constexpr int LAYOUT_MIN_WIDTH = 50;
constexpr int LAYOUT_MIN_HEIGHT = 80;

// A popup filled with the entries.
HMENU MakePopup(std::initializer_list<MenuEntry> entries) {
  HMENU popup = Win_CreatePopupMenu();
  for (const MenuEntry& e : entries) {
    if (e.szText)
      Win_AppendMenu(popup, MF_STRING, static_cast<std::uintptr_t>(e.iId), e.szText);
    else
      Win_AppendMenu(popup, MF_SEPARATOR, 0, nullptr);
  }
  return popup;
}

// Hangs a popup into a menu (the bar or another popup) under the text.
void AppendPopup(HMENU bar, HMENU popup, const char* text) {
  Win_AppendMenu(bar, MF_POPUP, reinterpret_cast<std::uintptr_t>(popup), text);
}

// The "Low pass filter" submenu: one item per preset, then the interactive filter.
HMENU MakeLowPassMenu() {
  HMENU menu = Win_CreatePopupMenu();
  for (int k = 0; k < LOWPASS_PRESET_COUNT; ++k) {
    char text[64];
    std::snprintf(text, sizeof text, "f_cutoff = %lg * f_max", LOWPASS_PRESETS[k]);
    Win_AppendMenu(menu, MF_STRING, static_cast<std::uintptr_t>(IDM_LOWPASS_FIRST + k), text);
  }
  Win_AppendMenu(menu, MF_STRING, IDM_LOWPASS_INTERACTIVE, "Interactive (using scrollers)");
  return menu;
}

// "Channel &1" to "Channel &8" (texts rewritten before each display), then Delete hidden.
HMENU MakeChannelMenu() {
  HMENU menu = Win_CreatePopupMenu();
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    char text[32];
    std::snprintf(text, sizeof text, "Channel &%d", c + 1);
    Win_AppendMenu(menu, MF_STRING, static_cast<std::uintptr_t>(IDM_CHANNEL_FIRST + c), text);
  }
  Win_AppendMenu(menu, MF_STRING, IDM_DELETE_HIDDEN, "Delete &hidden channels (UNchecked above)");
  return menu;
}

// The menu bar with every popup, and the selection popup that is not in it.
void BuildMenus(AppState* app) {
  HMENU bar = Win_CreateMenu();
  app->hMainMenu = bar;
  AppendPopup(bar,
              MakePopup({{"&New\tCtrl-N", IDM_NEW},
                         {"&Open\tCtrl-O", IDM_OPEN},
                         {"&Load data for next channel\tCtrl-L", IDM_LOAD_NEXT},
                         {"&Save\tCtrl-S", IDM_SAVE},
                         {"Export &Picture...", IDM_EXPORT_PICTURE},
                         {nullptr, 0},
                         {"E&xit\tCtrl-Q", IDM_EXIT}}),
              "&File");
  AppendPopup(bar,
              MakePopup({{"&Undo\tCtrl-Z", IDM_UNDO},
                         {"&Redo\tCtrl-Y", IDM_REDO},
                         {"Crop &Selection", IDM_CROP},
                         {"&Copy Picture", IDM_COPY_PICTURE}}),
              "&Edit");
  AppendPopup(bar, MakePopup({{"Edit &Points", IDM_MODE_POINTS}, {"Edit &Nothing", IDM_MODE_NOTHING}}), "&Mode");
  AppendPopup(bar,
              MakePopup({{".. &into selection", IDM_ZOOM_SELECTION},
                         {".. &out completely\tCtrl-0", IDM_ZOOM_OUT_ALL},
                         {".. o&ut by 50 %", IDM_ZOOM_OUT_HALF},
                         {"Fit &values", IDM_ZOOM_FIT_VALUES},
                         {"&Stacked channels\tS", IDM_ZOOM_STACKED}}),
              "&Zoom");
  HMENU functions = Win_CreatePopupMenu();
  AppendPopup(functions, MakeLowPassMenu(), "Low pass filter");
  AppendPopup(bar, functions, "F&unctions");
  app->hChannelMenu = MakeChannelMenu();
  AppendPopup(bar, app->hChannelMenu, "&Channels");
  app->hSelectionMenu = MakePopup({{"Zoom &In", IDM_POPUP_ZOOM_IN},
                                   {"Zoom In &both axes", IDM_POPUP_ZOOM_BOTH},
                                   {"Zoom &Out", IDM_POPUP_ZOOM_OUT},
                                   {"&Hide this selection", IDM_POPUP_HIDE},
                                   {"&Switch to next selection", IDM_POPUP_NEXT},
                                   {"&Statistics", IDM_POPUP_STATISTICS},
                                   {"Set marker &A here", IDM_POPUP_MARKER_A},
                                   {"Set marker &B here", IDM_POPUP_MARKER_A + 1}});
  AppendPopup(bar, MakePopup({{"Commands && functions\tF1", IDM_HELP}, {"&About", IDM_ABOUT}}), "&Help");
  Win_AppendMenu(bar, MF_STRING, IDM_SCROLL_LEFT, "<<");
  Win_AppendMenu(bar, MF_STRING, IDM_SCROLL_RIGHT, ">>");
}

// The class of the main window: full redraw on resize, arrow cursor, menu-coloured background.
void RegisterMainClass(HINSTANCE instance) {
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

// A child control of the main window; the control id travels in the menu argument.
HWND MakeControl(AppState* app, const char* cls, const char* text, DWORD style, int x, int id) {
  return Win_CreateWindow(0, cls, text, WS_CHILD | WS_VISIBLE | style, x, PANEL_TOP, SCROLLER_WIDTH,
                          SCROLLER_WIDTH, app->hwndMain,
                          reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(id)), app->hInstance, nullptr);
}

// Range 0 to 1000 only; page and position stay as they are.
void SetScrollerRange(HWND scroller, int redraw) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE;
  si.nMin = 0;
  si.nMax = SCROLLER_RANGE_MAX;
  Win_SetScrollInfo(scroller, SB_CTL, &si, redraw);
}

// The three scrollers with their parameters, then the Ok and Cancel buttons.
void CreatePanel(AppState* app) {
  app->iPanelShown = 1;
  for (int i = 0; i < PARAM_COUNT; ++i) {
    app->hwndScroller[i] = MakeControl(app, "SCROLLBAR", "", SBS_VERT, PANEL_LEFT + PANEL_COLUMN * i, 0);
    SetScrollerRange(app->hwndScroller[i], 0);
    ParamScroller& p = app->Param[i];
    p.dParamMin = 0.0;
    p.dParamMax = 1.0;
    p.dParamValue = 0.0;
    p.szParamLetter[0] = static_cast<char>('A' + i);
    p.szParamLetter[1] = '\0';
  }
  app->hwndOk = MakeControl(app, "BUTTON", "Ok", WS_TABSTOP | BS_PUSHBUTTON, 8, IDC_PANEL_OK);
  app->hwndCancel = MakeControl(app, "BUTTON", "Cancel", WS_TABSTOP | BS_PUSHBUTTON, 8, IDC_PANEL_CANCEL);
}

// Channel storage, the record's table slot, the x view and the demonstration sine.
void SetDataDefaults(AppState* app) {
  ChannelSet_Init(&app->Channels, PLOTWIN_INITIAL_CAPACITY);
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

}  // namespace

void PlotWin_Create(AppState* app, HINSTANCE instance) {
  if (!app) return;
  app->hInstance = instance;
  BuildMenus(app);
  RegisterMainClass(instance);
  int height = Profile_GetInt(SETTINGS_SECTION, "Height", 400, SETTINGS_FILE);
  int width = Profile_GetInt(SETTINGS_SECTION, "Width", 600, SETTINGS_FILE);
  int top = Profile_GetInt(SETTINGS_SECTION, "Top", 40, SETTINGS_FILE);
  int left = Profile_GetInt(SETTINGS_SECTION, "Left", 20, SETTINGS_FILE);
  app->Graph.iStacked = Profile_GetInt(SETTINGS_SECTION, SETTINGS_KEY_STACKED, 0, SETTINGS_FILE) ? 1 : 0;
  app->hwndMain = Win_CreateWindow(0, PLOTWIN_CLASS_NAME, app->szTitle, WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_HSCROLL,
                                   left, top, width, height, nullptr, app->hMainMenu, instance, nullptr);
  Win_DragAcceptFiles(app->hwndMain, 1);
  app->hwndStatus =
      WinUtil_CreateStatusBar(app->hwndMain, IDC_STATUS, instance, STATUS_PART_COUNT, STATUS_PART_WIDTHS);
  CreatePanel(app);
  SetDataDefaults(app);
  PlotWin_ShowPanel(app, 0);
  Graph_ShowMode(app);  // the mode part names the start mode, not only later changes
  PlotWin_LoadRecentFiles(app);
}

int PlotWin_OnSize(AppState* app, int, int width, int height) {
  if (!app) return 0;
  int h = height - WinUtil_GetWindowHeight(app->hwndStatus);
  if (width <= LAYOUT_MIN_WIDTH || h <= LAYOUT_MIN_HEIGHT) return 0;
  for (int i = 0; i < PARAM_COUNT; ++i)
    Win_MoveWindow(app->hwndScroller[i], PANEL_LEFT + PANEL_COLUMN * i, PANEL_TOP, SCROLLER_WIDTH, h - PANEL_BOTTOM_SPACE, 1);
  Win_MoveWindow(app->hwndOk, PANEL_LEFT, h - OK_FROM_BOTTOM, BUTTON_WIDTH, BUTTON_HEIGHT, 1);
  Win_MoveWindow(app->hwndCancel, PANEL_LEFT, h - CANCEL_FROM_BOTTOM, BUTTON_WIDTH, BUTTON_HEIGHT, 1);
  WinUtil_SetWindowWidth(app->hwndStatus, width);
  if (app->iPanelShown) app->Graph.iPanelEraseRequest = 1;
  return 0;
}

void PlotWin_ShowPanel(AppState* app, int show) {
  if (!app || show == app->iPanelShown) return;
  int cmd = show ? SW_SHOWNOACTIVATE : SW_HIDE;
  for (HWND scroller : app->hwndScroller) Win_ShowWindow(scroller, cmd);
  Win_ShowWindow(app->hwndOk, cmd);
  Win_ShowWindow(app->hwndCancel, cmd);
  app->iPanelShown = show;
  app->Graph.iPanelEraseRequest = 1;
  app->Graph.iViewChanged = 1;
}

void PlotWin_SetStacked(AppState* app, int on) {
  if (!app) return;
  Graph_SetStacked(app, on);
  Profile_WriteString(SETTINGS_SECTION, SETTINGS_KEY_STACKED, on ? "1" : "0", SETTINGS_FILE);
}

void PlotWin_ResetScrollerRanges(AppState* app) {
  if (!app) return;
  for (HWND scroller : app->hwndScroller) SetScrollerRange(scroller, 1);
}

int PlotWin_UpdateMenus(AppState* app) {
  if (!app) return 0;
  const ChannelSet& set = app->Channels;
  WinUtil_SetMenuItemText(app->hMainMenu, IDM_LOAD_NEXT, 0, "&Load data for next channel (#%d)\tCtrl-L",
                          set.iChannelsInUse + 1);
  Win_CheckMenuItem(app->hMainMenu, IDM_ZOOM_STACKED,
                    MF_BYCOMMAND | (app->Graph.iStacked ? MF_CHECKED : MF_UNCHECKED));
  Win_EnableMenuItem(app->hMainMenu, IDM_UNDO, MF_BYCOMMAND | (History_CanUndo(app) ? MF_ENABLED : MF_GRAYED));
  Win_EnableMenuItem(app->hMainMenu, IDM_REDO, MF_BYCOMMAND | (History_CanRedo(app) ? MF_ENABLED : MF_GRAYED));
  int mode = app->Graph.iEditMode;
  Win_CheckMenuItem(app->hMainMenu, IDM_MODE_NOTHING,
                    MF_BYCOMMAND | (mode == EDIT_MODE_SELECT ? MF_CHECKED : MF_UNCHECKED));
  Win_CheckMenuItem(app->hMainMenu, IDM_MODE_POINTS,
                    MF_BYCOMMAND | (mode == EDIT_MODE_POINTS ? MF_CHECKED : MF_UNCHECKED));
  for (int c = 0; c < MAX_CHANNELS; ++c) {
    const CurveChannel& ch = set.Channel[c];
    UINT item = static_cast<UINT>(IDM_CHANNEL_FIRST + c);
    int inUse = c < set.iChannelsInUse;
    // Formatted first and then set as it is, so that a '%' in a name stays text.
    char text[256];
    if (inUse && ch.szName[0])
      std::snprintf(text, sizeof text, "&%d : %.*s", c + 1, CHANNEL_NAME_LEN - 1, ch.szName);
    else
      std::snprintf(text, sizeof text, "Channel &%d", c + 1);
    WinUtil_SetMenuItemText(app->hChannelMenu, static_cast<int>(item), 0, "%s", text);
    Win_EnableMenuItem(app->hChannelMenu, item, MF_BYCOMMAND | (inUse ? MF_ENABLED : MF_GRAYED));
    Win_CheckMenuItem(app->hChannelMenu, item, MF_BYCOMMAND | (inUse && ch.iVisible ? MF_CHECKED : MF_UNCHECKED));
  }
  return 0;
}
