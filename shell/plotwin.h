#pragma once
// The main window of the editor: start-up, window procedure, message loop and
// shutdown.

#include "shell/app_state.h"
#include "winutil/wintypes.h"

constexpr const char* PLOTWIN_CLASS_NAME = "Plotsmith";
constexpr int PLOTWIN_TIMER_ID = 0;
constexpr UINT PLOTWIN_TIMER_MS = 100;
constexpr int STATUS_PART_POSITION = 0;
constexpr int STATUS_PART_INFO = 1;
constexpr int STATUS_PART_MODE = 2;
constexpr int STATUS_PART_MESSAGE = 3;

// Command ids of the accelerator table; the dispatcher has no operation for them.
constexpr int IDM_ACCEL_F9 = 61;
constexpr int IDM_ACCEL_F7 = 62;
constexpr int IDM_ACCEL_F2 = 63;

// Settings of the main window's outer rectangle.
constexpr const char* SETTINGS_SECTION = "MainWnd";

// The command line as given to the program, at most 255 chars; the About text shows it.
extern char PlotWin_CommandLine[APP_TEXT_LEN];
// The module instance handle, stored first thing at start-up.
extern HINSTANCE PlotWin_hInstance;

// Program entry: start-up, then the message loop; returns the quit exit code.
int WinMain(HINSTANCE instance, HINSTANCE previous, const char* cmdLine, int show);
// Start-up up to the message loop: record, window, data, command-line file, show.
void PlotWin_Start(AppState* app, HINSTANCE instance, const char* cmdLine);
// Turns the whole command line into a path in szDataFile (quotes removed).
void PlotWin_CommandLineToFile(AppState* app, const char* cmdLine);
// Registers the class, creates the main window at the stored position and sets the data defaults.
void PlotWin_Create(AppState* app, HINSTANCE instance);
// Window procedure of the main window class.
LRESULT PlotWin_WndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// Runs the message loop until the quit message; returns its exit code.
int PlotWin_RunMessageLoop(AppState* app);
// Destruction of the main window: stores its position, quits, frees the samples.
int PlotWin_OnDestroy(AppState* app, HWND hwnd);
// The 100 ms timer: keeps the "Modified" indicator current.
void PlotWin_OnTimer(AppState* app, int id);
// Loads a file into channel c and reports the result in the status bar and title.
void PlotWin_LoadFile(AppState* app, const char* path, int c);
