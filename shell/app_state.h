#pragma once
// The one application record and its start values.

#include "curve/channel.h"
#include "graph/graph.h"
#include "winutil/wintypes.h"

constexpr int PLOTWIN_MAX_INSTANCES = 4;
constexpr const char* SETTINGS_FILE = "Plotsmth.ini";
constexpr int APP_TEXT_LEN = 256;
constexpr int PARAM_COUNT = 3;
constexpr unsigned char PANEL_MODE_NONE = 0;
constexpr unsigned char PANEL_MODE_LOWPASS = 1;

struct ParamScroller {
  double dParamMin;
  double dParamMax;
  double dParamValue;
  char szParamLetter[8];
  char szParamName[24];
};

struct SpectrumRefHeader {
  double dTime;
  double dBinWidthHz;
  double dOffsetHz;
  int iNrOfBins;
  int iCompsPerBin;
  int iType;
  int iScaleUnit;
  double dScaleFactor;
  double dScaleOffset;
  int iAvrgCount;
};

struct AppState {
  ChannelSet Channels;  // first member: the record's address is channel 0's
  SpectrumRefHeader SpectrumHeader;
  ::Graph Graph;
  int iModified;
  char szCaption[APP_TEXT_LEN];
  char szTitle[APP_TEXT_LEN];
  char szDataFile[APP_TEXT_LEN];
  ParamScroller Param[PARAM_COUNT];
  int iPanelShown;
  unsigned char bPanelMode;
  CurveChannel UndoBuffer;
  int iUndoChannel;  // channel backed up in UndoBuffer, or -1
  // Channel c as it was before the last crop cut it (valid while bit c of
  // iCropBackups is set); owned storage, grown on demand, freed by Undo_FreeAll.
  CurveChannel CropBackup[MAX_CHANNELS];
  int iCropBackups;  // bit c: Undo also restores CropBackup[c]; 0 after any other backup
  HWND hwndMain;
  HWND hwndStatus;
  HWND hwndScroller[PARAM_COUNT];
  HWND hwndOk;
  HWND hwndCancel;
  HINSTANCE hInstance;
  HMENU hMainMenu;
  HMENU hChannelMenu;
  HMENU hSelectionMenu;
};

// Window-to-record table; start-up enters the one record into slot 0.
extern AppState* PlotWin_Instances[PLOTWIN_MAX_INSTANCES];

// Clears the record and sets the captions, file name and graph start values.
void AppState_InitDefaults(AppState* app);
