#pragma once
// The one application record and its start values.

#include "curve/channel.h"
#include "curve/lowpass.h"
#include "formats/spectrum_ref.h"
#include "graph/graph.h"
#include "shell/history.h"
#include "shell/journal.h"
#include "winutil/wintypes.h"

constexpr int PLOTWIN_MAX_INSTANCES = 4;                // slots of PlotWin_Instances
constexpr const char* SETTINGS_FILE = "Plotsmth.ini";  // window position between runs
constexpr int APP_TEXT_LEN = 256;                      // captions and paths, NUL included
constexpr const char* APP_DEFAULT_DATA_FILE = "unnamed.txt";  // szDataFile at start and after New
constexpr int RECENT_FILE_MAX = 8;                     // files the File menu lists
constexpr int PARAM_COUNT = 3;                         // scrollers of the parameter panel
constexpr unsigned char PANEL_MODE_NONE = 0;           // the panel serves no operation
constexpr unsigned char PANEL_MODE_LOWPASS = 1;        // the panel drives the interactive low-pass
// The four parts of the status bar (hwndStatus), left to right.
constexpr int STATUS_PART_POSITION = 0;  // pointer position
constexpr int STATUS_PART_INFO = 1;      // readout under the pointer
constexpr int STATUS_PART_MODE = 2;      // edit mode
constexpr int STATUS_PART_MESSAGE = 3;   // results of commands and loads

// One parameter of the panel: its range, value and its texts.  The panel's
// creation sets letters and a 0 .. 1 range; the edit commands set the range
// and name when the panel opens for an operation.
struct ParamScroller {
  double dParamMin;       // value at the scroller's bottom
  double dParamMax;       // value at the scroller's top
  double dParamValue;     // current value, dParamMin .. dParamMax
  char szParamLetter[8];  // label drawn above the scroller ("A", "B", "C")
  char szParamName[24];   // name shown with the value in the status bar
};

struct AppState {
  ChannelSet Channels;  // first member: the record's address is channel 0's
  SpectrumRefHeader SpectrumHeader;  // header of the last reference file loaded
  ::Graph Graph;                     // the diagram's state
  int iModified;  // 1 while the samples differ from the last load or save (or New)
  char szCaption[APP_TEXT_LEN];   // caption of every message box ("Plotsmith V0.1")
  char szTitle[APP_TEXT_LEN];     // window title before the file name ("Plot Smith")
  char szDataFile[APP_TEXT_LEN];  // path of the current file ("unnamed.txt" at start)
  ParamScroller Param[PARAM_COUNT];  // the parameter panel's three scrollers
  int iPanelShown;           // 1 while the parameter panel is shown
  unsigned char bPanelMode;  // PANEL_MODE_NONE or PANEL_MODE_LOWPASS
  int iPanelChannel;         // channel the interactive filter writes while the panel is open
  EditHistory History;  // the steps that Undo takes back and Redo re-applies
  EditJournal Journal;  // the crash journal of the unsaved changes
  LowPassSpectrum LiveFilter;  // forward transform of the samples the open filter panel's step kept
  unsigned long long uLiveFilterStep;  // History_OpenSerial of that step; 0 while LiveFilter is not ready
  double dPanelFiltered[2];  // cut-off and width the panel's channel shows; NaN before the first filter
  HWND hwndMain;                   // the main window, null before it is created
  HWND hwndStatus;                 // its four-part status bar
  HWND hwndScroller[PARAM_COUNT];  // the panel's scroll bars, one per Param
  HWND hwndOk;                     // the panel's OK button
  HWND hwndCancel;                 // the panel's Cancel button
  HINSTANCE hInstance;             // the program instance given to WinMain
  HMENU hMainMenu;                 // the menu bar
  HMENU hChannelMenu;              // the Channels submenu (show or hide, delete hidden)
  HMENU hSelectionMenu;            // the popup menu of the selection
  char szRecentFile[RECENT_FILE_MAX][APP_TEXT_LEN];  // last files opened or saved, newest first
  int iRecentFiles;                                  // entries in use in szRecentFile
};

// Window-to-record table; start-up enters the one record into slot 0.
extern AppState* PlotWin_Instances[PLOTWIN_MAX_INSTANCES];

// Clears the record and sets the captions, file name and graph start values.
void AppState_InitDefaults(AppState* app);
// Copies src (null counts as "") into a text buffer of APP_TEXT_LEN chars,
// cut to fit and always NUL-terminated.
void AppState_CopyText(char* dst, const char* src);
