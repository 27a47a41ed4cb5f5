#pragma once
// The main window of the editor: start-up, window procedure, message loop and
// shutdown.

#include "formats/save_type.h"
#include "shell/app_state.h"
#include "winutil/wintypes.h"

constexpr const char* PLOTWIN_CLASS_NAME = "Plotsmith";
constexpr int PLOTWIN_TIMER_ID = 0;
constexpr UINT PLOTWIN_TIMER_MS = 100;

// Command ids of the menus, accelerators and panel buttons.
constexpr int IDM_NEW = 1;
constexpr int IDM_OPEN = 2;
constexpr int IDM_LOAD_NEXT = 3;
constexpr int IDM_SAVE = 4;
constexpr int IDM_EXIT = 5;
constexpr int IDM_EXPORT_PICTURE = 6;  // File, Export Picture: the diagram as PNG or SVG
constexpr int IDM_UNDO = 11;
constexpr int IDM_REDO = 12;
constexpr int IDM_CROP = 17;
constexpr int IDM_COPY_PICTURE = 18;  // Edit, Copy Picture: the diagram on the clipboard
constexpr int IDM_MODE_NOTHING = 22;
constexpr int IDM_MODE_POINTS = 23;
constexpr int IDM_ZOOM_SELECTION = 42;
constexpr int IDM_ZOOM_OUT_ALL = 43;
constexpr int IDM_ZOOM_OUT_HALF = 44;
constexpr int IDM_ZOOM_FIT_VALUES = 46;
constexpr int IDM_ZOOM_STACKED = 47;
constexpr int IDM_LOWPASS_FIRST = 50;  // 50 to 56: the seven presets
constexpr int IDM_LOWPASS_INTERACTIVE = 59;
constexpr int IDM_ACCEL_F9 = 61;  // F9, F7 and F2 have no operation
constexpr int IDM_ACCEL_F7 = 62;
constexpr int IDM_ACCEL_F2 = 63;
constexpr int IDM_KEY_ZOOM_IN = 71;   // + : narrows the x view around its centre
constexpr int IDM_KEY_ZOOM_OUT = 72;  // - : widens it
constexpr int IDM_VIEW_START = 73;    // Home: the start of the channel at the current width
constexpr int IDM_VIEW_END = 74;      // End: its end
constexpr int IDM_ABOUT = 81;
constexpr int IDM_HELP = 82;
constexpr int IDM_SCROLL_LEFT = 91;
constexpr int IDM_SCROLL_RIGHT = 92;
constexpr int IDM_CHANNEL_FIRST = 100;  // 100 to 107: show or hide channel 1 to 8
constexpr int IDM_DELETE_HIDDEN = 120;
constexpr int IDM_RECENT_FIRST = 130;  // 130 to 137: the recent files, newest first
constexpr int IDM_POPUP_ZOOM_IN = 201;
constexpr int IDM_POPUP_ZOOM_OUT = 202;
constexpr int IDM_POPUP_HIDE = 203;
constexpr int IDM_POPUP_NEXT = 204;
constexpr int IDM_POPUP_ZOOM_BOTH = 205;
constexpr int IDM_POPUP_STATISTICS = 206;
constexpr int IDM_POPUP_MARKER_A = 207;  // and 208 for marker B
constexpr int IDC_STATUS = 20;
constexpr int IDC_PANEL_OK = 501;
constexpr int IDC_PANEL_CANCEL = 502;

constexpr int LOWPASS_PRESET_COUNT = 7;
// Relative cut-off frequencies of the commands 50 to 56.
constexpr double LOWPASS_PRESETS[LOWPASS_PRESET_COUNT] = {0.001, 0.003, 0.01, 0.03, 0.1, 0.3, 0.75};
// Longest channel the low-pass panel filters on every scroller move.  One
// setting of 1,048,576 samples (a transform of that size) costs about 17 ms
// and its paint a few more, within a frame of 30 a second; one sample more
// doubles the transform.  Longer channels are filtered when a scroller stops.
constexpr int PANEL_LIVE_MAX_SAMPLES = 1 << 20;

// Settings of the main window's outer rectangle and of the stacked view.
constexpr const char* SETTINGS_SECTION = "MainWnd";
constexpr const char* SETTINGS_KEY_STACKED = "Stacked";
// Settings of the edit history: key "MaxMegabytes" bounds its memory.
constexpr const char* SETTINGS_HISTORY_SECTION = "History";

// The command line as given to the program, at most 255 chars; the About text shows it.
extern char PlotWin_CommandLine[APP_TEXT_LEN];

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
// Destruction of the main window: stores its position (not when maximised or
// minimised), quits, frees the samples; returns 0 (handled).
int PlotWin_OnDestroy(AppState* app, HWND hwnd);
// The 100 ms timer: keeps the "Modified" indicator current.
void PlotWin_OnTimer(AppState* app, int id);
// Main window, menus and layout.
// Lays the panel controls and the status bar out for a client area of width x
// height; a null record or a too small area changes nothing.  Returns 0 (handled).
int PlotWin_OnSize(AppState* app, int type, int width, int height);
// Shows (SW_SHOWNOACTIVATE) or hides the parameter panel's controls.
void PlotWin_ShowPanel(AppState* app, int show);
// Turns the stacked view on or off and keeps the choice in the settings file.
void PlotWin_SetStacked(AppState* app, int on);
// Gives the three panel scrollers the range 0 to 1000 again.
void PlotWin_ResetScrollerRanges(AppState* app);
// Brings the File, Edit, Mode and Channels menu texts, checks and grays up to date;
// returns 0 (handled), also for a null record.
int PlotWin_UpdateMenus(AppState* app);

// Window procedure and dispatch.
// Runs the operation of a menu, accelerator or button command, then repaints
// when needed; unknown ids do nothing.  Returns 0 (handled).
int PlotWin_OnCommand(AppState* app, int code, int id, HWND control);
// Escape clears the markers, or else gives the focus to the parent or owner;
// A and B set a marker at the pointer, S turns the stacked view on or off.
// Every key is then done (returns 0).
int PlotWin_OnKeyDown(AppState* app, HWND hwnd, int key, LPARAM lp);

// File commands.
// The save-changes prompt: 1 to go on, 0 to stop.
int PlotWin_ConfirmDiscard(AppState* app);
// Shows the Save dialog over szDataFile; the chosen name goes into path
// (APP_TEXT_LEN chars), the chosen type into *type when given.  Returns
// non-zero when a name was chosen, 0 when cancelled (or for a null record;
// *type and path then stay).  szDataFile is not changed.
int PlotWin_ChooseSaveFile(AppState* app, int* type, char* path);
// Saves all channels into path; only a successful save makes it szDataFile,
// names it in the title and clears iModified, a failed one changes nothing
// but the status text.  Returns 0 or the error code.
int PlotWin_SaveFile(AppState* app, const char* path, int type);
// Loads a file into channel c and reports the result in the status bar and title.
void PlotWin_LoadFile(AppState* app, const char* path, int c);
void PlotWin_CmdNew(AppState* app);
void PlotWin_CmdOpen(AppState* app);
void PlotWin_CmdLoadNextChannel(AppState* app);
void PlotWin_CmdSave(AppState* app);
// Opens a dropped file as Open does after its dialog (prompt first).
void PlotWin_OpenDroppedFile(AppState* app, const char* path);

// The picture commands.  Export asks for the size (the drawing area's at
// first) and a PNG or SVG name, writes the diagram through the safe save and
// reports in the status bar; Copy puts the drawing area's image on the clipboard.
void PlotWin_CmdExportPicture(AppState* app);
void PlotWin_CmdCopyPicture(AppState* app);

// Recent files: kept in the settings file (section RECENT_SECTION, keys File1
// to File8) and listed in the File menu between Save and Exit.
constexpr const char* RECENT_SECTION = "RecentFiles";
// Reads the list from the settings file and shows it in the File menu.
void PlotWin_LoadRecentFiles(AppState* app);
// Puts path (made absolute) at the top of the list, dropping a former entry of
// it and the ninth; stores the list and shows it.
void PlotWin_AddRecentFile(AppState* app, const char* path);
// The recent-file command i: a file that no longer exists is taken off the
// list (status text), another is opened after the save-changes prompt.
void PlotWin_OpenRecentFile(AppState* app, int i);
// A highlighted menu item: a recent file shows its full path in the status
// bar; any other item, or the menu closing, brings the former text back.
void PlotWin_OnMenuSelect(AppState* app, int id, int flags);

// Edit commands (each one step of the history, shell/history.h).
// Edit, Undo and Redo: take back or re-apply one step and say which in the
// status bar; "Nothing to undo." / "Nothing to redo." in a box otherwise.
void PlotWin_CmdUndo(AppState* app);
void PlotWin_CmdRedo(AppState* app);
// Sets the x view to the whole x extent of the data, keeping every channel's
// value view and data range as they are (after undo, redo and recovery,
// which put those back exactly).
void PlotWin_ScaleXView(AppState* app);
// Ends the open step of the history; when the change cannot be undone the
// status bar says so.
void PlotWin_EndStep(AppState* app);
// At start-up: offers to recover what a run that did not end normally left
// in the journal folder (Yes rebuilds it unsaved, No discards it).
void PlotWin_OfferRecovery(AppState* app);
// Cuts every channel the current selection overlaps to it; 1 when one was cut,
// -1 when the progress window stopped it (the open step must be cancelled).
int PlotWin_CropSelection(AppState* app);
// The Crop command: backup, crop, hide the selections, auto-scale.
void PlotWin_CmdCrop(AppState* app);
// Hides the four selections; no current selection afterwards.
void PlotWin_ClearSelections(AppState* app);
// Removes the hidden channels, moving the others down.
void PlotWin_DeleteHiddenChannels(AppState* app);
// Filters the active channel in place with preset k (0 to 6).
void PlotWin_LowPassPreset(AppState* app, int k);
// Backs up the active channel and opens the low-pass panel.
void PlotWin_CmdLowPassInteractive(AppState* app);
// Sets what the panel controls (PANEL_MODE_*) and shows or hides it.
void PlotWin_SetPanelMode(AppState* app, unsigned char mode);
// A move of panel scroller i: new value, readout, live filter.  stopped is
// 1 when the scroller has stopped moving (SB_ENDSCROLL): a channel longer
// than PANEL_LIVE_MAX_SAMPLES is filtered only then, under the progress
// window, whose Cancel leaves the channel as it was.
void PlotWin_OnParamScroll(AppState* app, int i, const GraphScrollState* state, int stopped);
// Panel Ok keeps the filtered channel; Cancel restores the backup.
void PlotWin_PanelOk(AppState* app);
void PlotWin_PanelCancel(AppState* app);
void PlotWin_ShowHelp(AppState* app);
void PlotWin_ShowAbout(AppState* app);
