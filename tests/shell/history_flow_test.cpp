// The edit history as a user walks it: random sequences of strokes, crops,
// presets, loads into the next channel, deletions, saves, undos and redos,
// each state checked bit for bit against the snapshot taken when it was
// first reached, with a budget small enough that old steps are dropped.
#include <cstring>
#include <random>

#include "tests/shell/edit_fixture.h"
#include "tests/shell/history_state.h"

namespace {

std::string StateOf(const AppState& app) { return HistoryState_Of(app); }

struct HistoryFlow : EditFlowTest {
  // Restarts the editor with a history of the given megabytes (settings file).
  void Restart(int megabytes) {
    Profile_WriteString(SETTINGS_HISTORY_SECTION, "MaxMegabytes", std::to_string(megabytes).c_str(), SETTINGS_FILE);
    Win_DestroyWindow(app.hwndMain);
    WinTest_RunFor(1);
    MSG msg{};
    while (Win_PeekMessage(&msg, nullptr, 0, 0, 1)) {
    }
    PlotWin_Start(&app, nullptr, "");
    RunUntil([this] { return app.Graph.rcPlot.right - app.Graph.rcPlot.left > 200; });
  }
  void Mouse(UINT msg, int keys, int x, int y) {
    Win_SendMessage(app.hwndMain, msg, static_cast<WPARAM>(keys), MAKELONG(x, y));
  }
};

TEST_F(HistoryFlow, RandomEditsUndosAndRedosComeBackBitForBit) {
  Restart(1);
  ASSERT_EQ(app.History.llBudget, 1LL << 20);
  // Two channels of 40000 samples: a preset's step keeps 320 kB, so the
  // 1 MiB budget holds about three of them.
  std::vector<short> a, b;
  std::mt19937 rng(16);
  for (int i = 0; i < 40000; ++i) {
    a.push_back(static_cast<short>(rng() % 20000 - 10000));
    b.push_back(static_cast<short>(i % 700 * 40 - 14000));
  }
  std::string wav = files.File("main.wav"), extra = files.File("extra.txt"), saved = files.File("saved.txt");
  ASSERT_TRUE(TestFiles_Write(wav, WaveBytes({a, b}, 1000)));
  ASSERT_TRUE(TestFiles_Write(extra, TextBytes({1.5, -2.0, 3.25, 0.5, 7.0, -1.0, 2.0, 2.5})));
  Open(wav);
  Command(IDM_MODE_POINTS);

  std::vector<std::string> states{StateOf(app)};  // states[k]: after k steps of the model
  size_t pos = 0, savePos = 0;
  int undone = 0, redone = 0, refused = 0;
  for (int round = 0; round < 200; ++round) {
    const unsigned long long serialBefore = app.History.uLastSerial;
    int what = static_cast<int>(rng() % 12) - 2;  // -2 .. 1 undo, 2 redo
    int inUse = app.Channels.iChannelsInUse;
    app.Graph.iActiveChannel = static_cast<int>(rng() % static_cast<unsigned>(inUse));
    if (what <= 2) {  // undo or redo a few times
      int redo = what == 2;
      for (int k = 1 + static_cast<int>(rng() % 6); k > 0; --k) {
        size_t asked = s_asked.size();
        Command(redo ? IDM_REDO : IDM_UNDO);
        if (s_asked.size() > asked) {
          // Nothing to redo only at the newest state; nothing to undo
          // before the first state only because old steps were dropped.
          EXPECT_EQ(s_asked.back().szText, redo ? "Nothing to redo." : "Nothing to undo.");
          if (redo) {
            EXPECT_EQ(pos, states.size() - 1) << round;
          }
          if (!redo && pos > 0) {
            EXPECT_LT(app.History.iCount, static_cast<int>(states.size()) - 1);  // fewer steps held than made
            ++refused;
          }
          break;
        }
        pos += redo ? 1 : -1;
        (redo ? redone : undone)++;
        ASSERT_LT(pos, states.size());
        ASSERT_TRUE(StateOf(app) == states[pos]) << "round " << round << (redo ? " redo" : " undo");
      }
    } else {
      if (what == 3) {  // a stroke over the plot
        const RECT& r = app.Graph.rcPlot;
        int y = r.top + static_cast<int>(rng() % static_cast<unsigned>(r.bottom - r.top));
        int x = r.left + static_cast<int>(rng() % static_cast<unsigned>(r.right - r.left));
        Mouse(WM_LBUTTONDOWN, MK_LBUTTON, x, y);
        for (int k = 0; k < 3; ++k) Mouse(WM_MOUSEMOVE, MK_LBUTTON, x + 7 * k, y - 5 * k);
        Mouse(WM_LBUTTONUP, 0, x + 20, y);
      } else if (what == 4) {  // a crop of a random x range
        double x0 = (rng() % 800) / 100.0, x1 = x0 + (rng() % 800) / 100.0;
        Select(x0, x1);
        Command(IDM_CROP);
      } else if (what <= 6) {
        Command(IDM_LOWPASS_FIRST + static_cast<int>(rng() % LOWPASS_PRESET_COUNT));
      } else if (what == 7) {
        s_fileAnswers.push_back({1, extra, 1});
        Command(IDM_LOAD_NEXT);
      } else if (what == 8 && inUse > 1) {
        Command(IDM_CHANNEL_FIRST + inUse - 1);  // hide the last channel, then delete it
        Command(IDM_DELETE_HIDDEN);
      } else {
        s_fileAnswers.push_back({1, saved, 3});
        Command(IDM_SAVE);
        savePos = pos;
      }
      // A new step, also one that changed only what StateOf leaves out (a
      // stroke that stored the values already there).
      const EditHistory& h = app.History;
      if (h.iPos > 0 && h.ppSteps[h.iPos - 1]->uSerial > serialBefore) {
        states.resize(++pos);
        states.push_back(StateOf(app));
        if (savePos >= pos) savePos = static_cast<size_t>(-1);  // its state can no longer be reached
      }
    }
    EXPECT_LE(app.History.llBytes, app.History.llBudget);
    EXPECT_EQ(app.iModified, pos == savePos ? 0 : 1) << round;
  }
  EXPECT_GT(undone, 40);
  EXPECT_GT(redone, 10);
  EXPECT_GT(refused, 0);  // old steps were dropped
  std::printf("%d undos, %d redos, %d refused for dropped steps\n", undone, redone, refused);
}

TEST_F(HistoryFlow, UndoBackToTheSavePointAsksNothingOnClose) {
  Command(IDM_LOWPASS_FIRST + 3);
  std::string path = files.File("saved.txt");
  s_fileAnswers.push_back({1, path, 3});
  Command(IDM_SAVE);
  EXPECT_EQ(app.iModified, 0);
  Command(IDM_LOWPASS_FIRST + 1);
  Command(IDM_UNDO);
  EXPECT_EQ(app.iModified, 0);  // back at what is on disk
  Command(IDM_UNDO);            // before the save: modified again
  EXPECT_EQ(app.iModified, 1);
  Command(IDM_REDO);
  EXPECT_EQ(app.iModified, 0);
  // Off the save point New asks first (cancelled here); at it, nothing.
  Command(IDM_REDO);
  Command(IDM_NEW);
  EXPECT_EQ(AskedKinds(), "save box");
  Command(IDM_UNDO);
  s_numberAnswers.push_back({1, 2});
  s_numberAnswers.push_back({1, 10});
  Command(IDM_NEW);
  EXPECT_EQ(AskedKinds(), "save box number number");
  // New starts an empty history.
  EXPECT_EQ(app.Channels.iChannelsInUse, 2);
  EXPECT_EQ(History_CanUndo(&app), 0);
  EXPECT_EQ(History_CanRedo(&app), 0);
  WinTest_ClickClose(app.hwndMain);
  WinTest_RunFor(10);
  EXPECT_FALSE(Win_IsWindow(app.hwndMain));
  EXPECT_EQ(AskedKinds(), "save box number number");
}

TEST_F(HistoryFlow, AChangeTooBigForTheBudgetStillHappensAndSaysSo) {
  Restart(1);
  for (int i = 0; i < 200000; ++i) ChannelSet_SetSample(&app.Channels, 0, i, i % 7);
  Command(IDM_LOWPASS_FIRST + 2);  // keeps 1.6 MB: more than the budget
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), HISTORY_CANNOT_UNDO_TEXT);
  EXPECT_NE(app.Channels.Channel[0].pdSamples[3], 3.0);
  EXPECT_EQ(History_CanUndo(&app), 0);
  EXPECT_EQ(app.iModified, 1);
}

}  // namespace
