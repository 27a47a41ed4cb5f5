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

  // Undo brings back both cut channels and scales the view to them again;
  // Redo cuts them again.
  Command(IDM_UNDO);
  EXPECT_EQ(Samples(0), all0);
  EXPECT_EQ(Samples(1), all1);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Undone: crop");
  EXPECT_DOUBLE_EQ(app.Channels.dXViewMax, 2.0);
  EXPECT_EQ(app.iModified, 0);
  Command(IDM_REDO);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Redone: crop");
  EXPECT_EQ(Samples(0), std::vector<double>(all0.begin() + 50, all0.begin() + 101));
  const std::vector<double> cut0 = Samples(0), cut1 = Samples(1);

  // A preset after the crop is a step of its own: two Undos go back through both.
  Command(IDM_LOWPASS_FIRST + 6);
  CurveChannel ref{};
  Channel_Init(&ref, 0);
  for (int i = 0; i < 51; ++i) Channel_SetSample(&ref, i, cut0[i]);
  ASSERT_EQ(Channel_LowPass(&ref, &ref, 0, 0, 0.75, 0.1), 1);
  EXPECT_EQ(Samples(0), std::vector<double>(ref.pdSamples, ref.pdSamples + 51));
  Channel_Free(&ref);
  Command(IDM_UNDO);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Undone: low pass 0.75");
  EXPECT_EQ(Samples(0), cut0);
  EXPECT_EQ(Samples(1), cut1);
  Command(IDM_UNDO);
  EXPECT_EQ(Samples(0), all0);
  EXPECT_EQ(AskedKinds(), "open");
  Command(IDM_UNDO);
  EXPECT_EQ(AskedKinds(), "open box");
  EXPECT_EQ(s_asked.back().szText, "Nothing to undo.");
  EXPECT_EQ(s_asked.back().szCaption, "Plotsmith V0.1");
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

TEST_F(EditFlow, LoadIntoTheNextChannelIsUndoneByFreeingItAgain) {
  std::string wav = files.File("stereo.wav");
  ASSERT_TRUE(TestFiles_Write(wav, WaveBytes({Ramp(30, 0, 10), Ramp(30, 5, 10)}, 10)));
  s_fileAnswers.push_back({1, wav, 1});
  Command(IDM_LOAD_NEXT);
  ASSERT_EQ(app.Channels.iChannelsInUse, 3);
  const std::vector<double> left = Samples(1), right = Samples(2);
  const std::string name1 = Ch(1).szName;
  EXPECT_EQ(app.iModified, 1);
  Command(IDM_UNDO);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Undone: load into channel 2");
  EXPECT_EQ(app.Channels.iChannelsInUse, 1);
  EXPECT_EQ(Ch(1).iNrOfSamples, 0);
  EXPECT_STREQ(Ch(1).szName, "Channel 2");
  EXPECT_EQ(app.iModified, 0);
  Command(IDM_REDO);
  EXPECT_EQ(Samples(1), left);
  EXPECT_EQ(Samples(2), right);
  EXPECT_EQ(Ch(1).szName, name1);
  EXPECT_EQ(app.Channels.iChannelsInUse, 3);
  Command(IDM_REDO);
  EXPECT_EQ(s_asked.back().szText, "Nothing to redo.");
}

TEST_F(EditFlow, DeleteHiddenChannelsKeepsChannelNumbersTrue) {
  for (int c = 1; c < 4; ++c)
    for (int i = 0; i < 50; ++i) ChannelSet_SetSample(&app.Channels, c, i, c + 0.5);
  for (int c = 1; c < 4; ++c) Ch(c).iVisible = 1;
  app.Graph.iActiveChannel = 3;
  Command(IDM_CHANNEL_FIRST + 0);
  Command(IDM_CHANNEL_FIRST + 2);
  Command(IDM_DELETE_HIDDEN);
  EXPECT_EQ(app.Channels.iChannelsInUse, 2);
  EXPECT_STREQ(Ch(0).szName, "Channel 2");
  EXPECT_STREQ(Ch(1).szName, "Channel 4");
  EXPECT_EQ(Ch(2).iNrOfSamples, 0);
  EXPECT_EQ(app.Graph.iActiveChannel, 1);

  // Undo puts every channel back into its slot, hidden ones hidden; Redo
  // deletes them again.
  Command(IDM_UNDO);
  EXPECT_EQ(app.Channels.iChannelsInUse, 4);
  for (int c = 0; c < 4; ++c) {
    EXPECT_EQ(Ch(c).szName, "Channel " + std::to_string(c + 1));
    EXPECT_EQ(Ch(c).iVisible, c == 0 || c == 2 ? 0 : 1);
  }
  EXPECT_EQ(Samples(2), std::vector<double>(50, 2.5));
  EXPECT_EQ(Ch(0).pdSamples[99], std::sin(0.1 * 99));
  EXPECT_EQ(app.Graph.iActiveChannel, 3);
  Command(IDM_REDO);
  EXPECT_STREQ(Ch(1).szName, "Channel 4");
  EXPECT_EQ(Samples(1), std::vector<double>(50, 3.5));
  EXPECT_EQ(app.Channels.iChannelsInUse, 2);
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
  EXPECT_EQ(History_CanUndo(&app), 0);  // Cancel adds no step
  EXPECT_EQ(app.iModified, 0);

  // Ok keeps the result as one step named by its cut-off.
  app.Graph.iActiveChannel = 0;
  Command(IDM_LOWPASS_INTERACTIVE);
  Win_SendMessage(app.hwndMain, WM_VSCROLL, static_cast<WPARAM>(MAKELONG(SB_THUMBPOSITION, 750)),
                  reinterpret_cast<LPARAM>(app.hwndScroller[0]));
  const std::vector<double> filtered = Samples(0);
  ASSERT_NE(filtered, sine);
  Command(IDC_PANEL_OK);
  Command(IDM_UNDO);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Undone: low pass 0.25");
  EXPECT_EQ(Samples(0), sine);
  Command(IDM_REDO);
  EXPECT_EQ(Samples(0), filtered);
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

TEST_F(EditFlow, CtrlZAndCtrlYWalkThroughThePresetsAndTheItemsGray) {
  // The menu grays follow the history (WM_INITMENU before a popup opens).
  auto grays = [this] {
    Win_SendMessage(app.hwndMain, WM_INITMENU, reinterpret_cast<WPARAM>(app.hMainMenu), 0);
    return std::to_string((Win_GetMenuState(app.hMainMenu, IDM_UNDO, MF_BYCOMMAND) & MF_GRAYED) != 0) +
           std::to_string((Win_GetMenuState(app.hMainMenu, IDM_REDO, MF_BYCOMMAND) & MF_GRAYED) != 0);
  };
  EXPECT_EQ(grays(), "11");
  const std::vector<double> raw = Samples(0);
  Command(IDM_LOWPASS_FIRST + 4);
  const std::vector<double> once = Samples(0);
  Command(IDM_LOWPASS_FIRST + 2);
  const std::vector<double> twice = Samples(0);
  ASSERT_NE(once, raw);
  ASSERT_NE(twice, once);
  EXPECT_EQ(grays(), "01");
  // Real key presses through the toolkit, each followed by the loop's turn.
  auto press = [this](int vk, int modifiers) {
    WinTest_PressKey(app.hwndMain, vk, modifiers);
    Win_PostQuitMessage(0);  // handed out after the key
    EXPECT_EQ(PlotWin_RunMessageLoop(&app), 0);
  };
  press('Z', FCONTROL);
  EXPECT_EQ(Samples(0), once);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Undone: low pass 0.01");
  press('Z', FCONTROL);
  EXPECT_EQ(Samples(0), raw);
  EXPECT_EQ(grays(), "10");
  press('Y', FCONTROL);
  EXPECT_EQ(Samples(0), once);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Redone: low pass 0.1");
  EXPECT_EQ(grays(), "00");
  press('Z', FCONTROL | FSHIFT);
  EXPECT_EQ(Samples(0), twice);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Redone: low pass 0.01");
  EXPECT_EQ(grays(), "01");
  EXPECT_EQ(MenuItemText(app.hMainMenu, IDM_UNDO), "&Undo\tCtrl-Z");
  EXPECT_EQ(MenuItemText(app.hMainMenu, IDM_REDO), "&Redo\tCtrl-Y");
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
