// The edit commands as a user drives them: menu commands and scroller moves
// reach the main window as messages; boxes are answered through the seam.
#include <cmath>
#include <cstring>

#include "curve/lowpass.h"
#include "tests/shell/edit_fixture.h"

namespace {

using EditFlow = EditFlowTest;

std::vector<short> Ramp(int n, int from, int step) {
  std::vector<short> v;
  for (int i = 0; i < n; ++i) v.push_back(static_cast<short>(from + i * step));
  return v;
}

TEST_F(EditFlow, OpenWaveCropUndoPresetUndoTwice) {
  std::string wav = files.File("two.wav");
  ASSERT_TRUE(TestFiles_Write(wav, WaveBytes({Ramp(200, 0, 100), Ramp(200, -5000, 30)}, 100)));
  Open(wav);
  ASSERT_EQ(app.Channels.iChannelsInUse, 2);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Loaded file \"" + wav + "\", 200 points");
  EXPECT_EQ(app.iModified, 0);
  const std::vector<double> all0 = Samples(0), all1 = Samples(1);

  // x 0.5 .. 0.998 s covers samples 50 .. 100 (the end rounds to the nearest sample).
  Select(0.5, 0.998);
  Command(IDM_CROP);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Cropped selection, 51 points remaining");
  EXPECT_EQ(Samples(0), std::vector<double>(all0.begin() + 50, all0.begin() + 101));
  EXPECT_EQ(Samples(1), std::vector<double>(all1.begin() + 50, all1.begin() + 101));
  EXPECT_EQ(app.Graph.iCurrentSelection, -1);
  EXPECT_EQ(app.Graph.Selection[0].iVisible, 0);
  EXPECT_EQ(app.iModified, 1);

  // Undo brings back both cut channels, and again on a second Undo.
  for (int round = 0; round < 2; ++round) {
    Command(IDM_UNDO);
    EXPECT_EQ(Samples(0), all0);
    EXPECT_EQ(Samples(1), all1);
  }

  // A preset after a crop: its one-channel backup replaces the crop's.
  Select(0.5, 0.998);
  Command(IDM_CROP);
  const std::vector<double> cut0 = Samples(0), cut1 = Samples(1);
  Command(IDM_LOWPASS_FIRST + 6);
  CurveChannel ref{};
  Channel_Init(&ref, 0);
  for (int i = 0; i < 51; ++i) Channel_SetSample(&ref, i, cut0[i]);
  ASSERT_EQ(Channel_LowPass(&ref, &ref, 0, 0, 0.75, 0.1), 1);
  EXPECT_EQ(Samples(0), std::vector<double>(ref.pdSamples, ref.pdSamples + 51));
  Channel_Free(&ref);
  Command(IDM_UNDO);
  Command(IDM_UNDO);
  EXPECT_EQ(Samples(0), cut0);
  EXPECT_EQ(Samples(1), cut1);
  EXPECT_EQ(AskedKinds(), "open");  // Undo always had something to restore
}

TEST_F(EditFlow, CropKeepsWhatTheSelectionCoversOfEachChannel) {
  struct Case {
    double x1, x2;       // the selection's x range
    int first0, count0;  // channel 0: 100 samples at x 0, 1, 2, ...
    int first1, count1;  // channel 1: 40 samples at x 30, 30.5, 31, ... (-1: unchanged)
  };
  const Case cases[] = {
      {-20.0, 9.6, 0, 11, -1, 40},     // starts before the first sample
      {95.2, 400.0, 95, 5, -1, 40},    // reaches past the end: nothing from behind it
      {40.0, 44.0, 40, 5, 20, 9},      // both channels, each at its own indices
      {-50.0, -10.0, 0, 100, -1, 40},  // overlaps neither: nothing cut
  };
  for (const Case& k : cases) {
    for (int c = 0; c < 2; ++c) {
      CurveChannel& ch = Ch(c);
      ch.iNrOfSamples = 0;
      for (int i = 0; i < ch.iAllocated; ++i) ch.pdSamples[i] = 999.0;  // garbage behind the end
      ch.dXOrigin = c ? 30.0 : 0.0;
      ch.dXStep = c ? 0.5 : 1.0;
      for (int i = 0; i < (c ? 40 : 100); ++i) ChannelSet_SetSample(&app.Channels, c, i, c * 1000 + i);
      ch.iVisible = 1;
    }
    Select(k.x1, k.x2);
    Command(IDM_CROP);
    ASSERT_EQ(Ch(0).iNrOfSamples, k.count0) << k.x1;
    EXPECT_EQ(Ch(0).pdSamples[0], k.first0) << k.x1;
    EXPECT_EQ(Ch(0).pdSamples[k.count0 - 1], k.first0 + k.count0 - 1) << k.x1;
    ASSERT_EQ(Ch(1).iNrOfSamples, k.count1) << k.x1;
    EXPECT_EQ(Ch(1).pdSamples[0], 1000 + (k.first1 < 0 ? 0 : k.first1)) << k.x1;
  }
}

TEST_F(EditFlow, UndoIsExactAndSaysWhenThereIsNothing) {
  Command(IDM_UNDO);
  ASSERT_EQ(s_asked.size(), 1u);
  EXPECT_EQ(s_asked[0].szText, "Nothing to undo.");
  EXPECT_EQ(s_asked[0].szCaption, "Plotsmith V0.1");
  // A long backup followed by a short one: the restore gives exactly the short one.
  for (int i = 0; i < 300; ++i) ChannelSet_SetSample(&app.Channels, 1, i, 7.0);
  Undo_Backup(&app, 1);
  Undo_Backup(&app, 0);
  EXPECT_EQ(app.UndoBuffer.iNrOfSamples, 100);
  Ch(0).iNrOfSamples = 0;
  for (int i = 0; i < 250; ++i) ChannelSet_SetSample(&app.Channels, 0, i, -2.0);
  Command(IDM_UNDO);
  ASSERT_EQ(Ch(0).iNrOfSamples, 100);
  EXPECT_EQ(Ch(0).pdSamples[99], std::sin(0.1 * 99));
  // An empty backup empties its channel again.
  Undo_Backup(&app, 2);
  for (int i = 0; i < 10; ++i) ChannelSet_SetSample(&app.Channels, 2, i, 1.0);
  Command(IDM_UNDO);
  EXPECT_EQ(Ch(2).iNrOfSamples, 0);
  EXPECT_EQ(app.iModified, 1);
}

TEST_F(EditFlow, DeleteHiddenChannelsKeepsChannelNumbersTrue) {
  for (int c = 1; c < 4; ++c)
    for (int i = 0; i < 50; ++i) ChannelSet_SetSample(&app.Channels, c, i, c + 0.5);
  for (int c = 1; c < 4; ++c) Ch(c).iVisible = 1;
  app.Graph.iActiveChannel = 3;
  Command(IDM_LOWPASS_FIRST);  // backs up channel 4 (slot 3)
  Command(IDM_CHANNEL_FIRST + 0);
  Command(IDM_CHANNEL_FIRST + 2);
  Command(IDM_DELETE_HIDDEN);
  EXPECT_EQ(app.Channels.iChannelsInUse, 2);
  EXPECT_STREQ(Ch(0).szName, "Channel 2");
  EXPECT_STREQ(Ch(1).szName, "Channel 4");
  EXPECT_EQ(Ch(2).pdSamples, nullptr);
  EXPECT_EQ(app.Graph.iActiveChannel, 1);
  EXPECT_EQ(app.iUndoChannel, 1);
  Command(IDM_UNDO);
  EXPECT_EQ(Samples(1), std::vector<double>(50, 3.5));
  EXPECT_EQ(Ch(0).pdSamples[0], 1.5);

  // Deleting the backed-up, active curve drops the backup; channel 1 becomes active.
  Command(IDM_CHANNEL_FIRST + 1);
  Command(IDM_DELETE_HIDDEN);
  EXPECT_EQ(app.iUndoChannel, -1);
  EXPECT_EQ(app.Graph.iActiveChannel, 0);
  Command(IDM_UNDO);
  EXPECT_EQ(AskedKinds(), "box");
}

TEST_F(EditFlow, LiveFilterWritesIntoTheChannelItsBackupCameFrom) {
  for (int i = 0; i < 64; ++i) ChannelSet_SetSample(&app.Channels, 1, i, i % 2 ? 1.0 : -1.0);
  const std::vector<double> sine = Samples(0), square = Samples(1);
  Command(IDM_LOWPASS_INTERACTIVE);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE),
            "Lowpass params: A=relative cutoff frequency (0...1), B=transition width (0...1)");
  EXPECT_EQ(app.bPanelMode, PANEL_MODE_LOWPASS);
  app.Graph.iActiveChannel = 1;  // a channel made active later is never written
  struct Move {
    int pos;               // scroller position moved to
    const char* readout;   // the status text expected
    double cutoff;         // the cut-off it stands for
  };
  for (Move m : {Move{500, "f_cutoff:0.500000", 0.5}, Move{0, "f_cutoff:1.000000", 1.0},
                 Move{1000, "f_cutoff:0.000000", 0.0}}) {
    Win_SendMessage(app.hwndMain, WM_VSCROLL, static_cast<WPARAM>(MAKELONG(SB_THUMBPOSITION, m.pos)),
                    reinterpret_cast<LPARAM>(app.hwndScroller[0]));
    EXPECT_EQ(StatusText(STATUS_PART_INFO), m.readout);
    CurveChannel want{};
    Channel_Init(&want, 0);
    for (int i = 0; i < 100; ++i) Channel_SetSample(&want, i, sine[i]);
    Channel_LowPass(&want, &want, 0, 0, m.cutoff, 0.1);
    EXPECT_EQ(Samples(0), std::vector<double>(want.pdSamples, want.pdSamples + 100)) << m.pos;
    Channel_Free(&want);
    EXPECT_EQ(Samples(1), square);
  }
  Command(IDC_PANEL_CANCEL);
  EXPECT_EQ(Samples(0), sine);
  EXPECT_EQ(app.bPanelMode, PANEL_MODE_NONE);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "");
}

TEST_F(EditFlow, ScrollByATenthStopsAtTheChannelEnds) {
  struct Case {
    int id;                         // IDM_SCROLL_LEFT or IDM_SCROLL_RIGHT
    double from, to, left, right;  // x view before and expected after
  };
  const Case cases[] = {{IDM_SCROLL_RIGHT, 85, 95, 86, 96},
                        {IDM_SCROLL_RIGHT, 89.5, 99.5, 90, 100},
                        {IDM_SCROLL_LEFT, 0, 10, 0, 10},
                        {IDM_SCROLL_LEFT, 20, 40, 18, 38},
                        {IDM_SCROLL_RIGHT, -10, 190, 0, 100}};
  for (const Case& k : cases) {
    app.Channels.dXViewMin = k.from;
    app.Channels.dXViewMax = k.to;
    Command(k.id);
    EXPECT_DOUBLE_EQ(app.Channels.dXViewMin, k.left) << k.from;
    EXPECT_DOUBLE_EQ(app.Channels.dXViewMax, k.right) << k.from;
  }
}

TEST_F(EditFlow, CtrlZUndoesAndTheUndoItemSaysSo) {
  const std::vector<double> sine = Samples(0);
  Command(IDM_LOWPASS_FIRST);
  ASSERT_NE(Samples(0), sine);
  WinTest_PressKey(app.hwndMain, 'Z', FCONTROL);
  Win_PostQuitMessage(0);  // handed out after the key
  EXPECT_EQ(PlotWin_RunMessageLoop(&app), 0);
  EXPECT_EQ(Samples(0), sine);
  EXPECT_EQ(MenuItemText(app.hMainMenu, IDM_UNDO), "&Undo\tCtrl-Z");
}

TEST_F(EditFlow, AboutBox) {
  std::snprintf(PlotWin_CommandLine, sizeof PlotWin_CommandLine, "%s", "/data/a.txt");
  Command(IDM_ABOUT);
  ASSERT_EQ(s_asked.size(), 1u);
  const std::string about = s_asked[0].szText;
  EXPECT_EQ(s_asked[0].szCaption, "Plotsmith V0.1");
  EXPECT_NE(about.find(std::string("\r\n   Compiled: ") + __DATE__ + "\r\n   Updates at "), std::string::npos);
  EXPECT_NE(about.find(" .\r\nManual+Demos not available yet .\r\n\r\nInvoked with command line: \r\n   "
                       "\"/data/a.txt\" ."),
            std::string::npos);
}

}  // namespace
