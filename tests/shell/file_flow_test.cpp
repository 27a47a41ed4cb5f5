// The File menu's commands as a user drives them: commands reach the main
// window as messages; boxes, file dialogs and number dialogs are answered
// through the seam.
#include <cmath>

#include "tests/shell/edit_fixture.h"

namespace {

using FileFlow = EditFlowTest;

TEST_F(FileFlow, SaveAsTextNewAndReopen) {
  Command(IDM_LOWPASS_FIRST + 4);  // a change to save
  ASSERT_EQ(app.iModified, 1);
  // Reals are saved as fractions of the channel's data range.
  std::vector<double> filtered = Samples(0);
  for (double& v : filtered) v = (v - Ch(0).dDataMin) / (Ch(0).dDataMax - Ch(0).dDataMin);
  std::string path = files.File("saved.txt");
  s_fileAnswers.push_back({1, path, 3});  // "Text files, floating point (*.txt)"
  Command(IDM_SAVE);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Saved file \"" + path + "\"");
  EXPECT_EQ(Title(), "Plot Smith  -   " + path);
  EXPECT_EQ(app.iModified, 0);

  // New asks nothing more (the data is saved) and makes 3 x 50 zeros.
  s_numberAnswers = {{1, 3}, {1, 50}};
  Command(IDM_NEW);
  EXPECT_EQ(AskedKinds(), "save number number");
  EXPECT_EQ(s_asked[1].szText, "Number of channels ?");
  EXPECT_EQ(s_asked[2].szText, "Number of samples per channel ?");
  EXPECT_EQ(s_asked[2].szCaption, "Plot Smith");
  EXPECT_EQ(app.Channels.iChannelsInUse, 3);
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(Samples(c), std::vector<double>(50, 0.0));
    EXPECT_EQ(Ch(c).iVisible, 1);
    EXPECT_EQ(Ch(c).dXStep, 1.0);
    EXPECT_EQ(Ch(c).szName, "Channel " + std::to_string(c + 1));
  }
  EXPECT_EQ(Title(), "Plot Smith");
  EXPECT_STREQ(app.szDataFile, "unnamed.txt");
  Command(IDM_UNDO);  // the backup went with the old data
  EXPECT_EQ(s_asked.back().szText, "Nothing to undo.");

  Open(path);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Loaded file \"" + path + "\", 100 points");
  ASSERT_EQ(Ch(0).iNrOfSamples, 100);
  for (int i = 0; i < 100; ++i) EXPECT_NEAR(Ch(0).pdSamples[i], filtered[i], 2e-6);
  EXPECT_EQ(app.iModified, 0);
}

TEST_F(FileFlow, NewClampsItsAnswersAndACancelChangesNothing) {
  struct Case {
    std::deque<EditNumberAnswer> answers;  // the number dialogs' answers
    int channels, samples;  // 0: the data stays
  };
  const Case cases[] = {{{{1, 0}, {1, 0}}, 1, 1},
                        {{{1, 99}, {1, 2000000}}, 8, 2000000},  // beyond the old limit of 1,048,576
                        {{{1, 3}, {1, 576001}}, 3, 576001},    // exactly the count asked for
                        {{{2, 0}}, 0, 0},
                        {{{1, 2}, {0, 0}}, 0, 0}};
  for (const Case& k : cases) {
    s_numberAnswers = k.answers;
    int before = Ch(0).iNrOfSamples;
    Command(IDM_NEW);
    EXPECT_EQ(Ch(0).iNrOfSamples, k.channels ? k.samples : before);
    if (!k.channels) continue;
    EXPECT_EQ(app.Channels.iChannelsInUse, k.channels);
    EXPECT_EQ(Ch(k.channels - 1).pdSamples[k.samples - 1], 0.0);
  }
}

// The prompt's three answers (and Yes with the save dialog cancelled) before
// each guarded command: only No and a successful save let it go on.
TEST_F(FileFlow, SaveChangesPromptGuardsEveryCommandThatDropsData) {
  std::string next = files.File("next.txt");
  ASSERT_TRUE(TestFiles_Write(next, TextBytes({1, 2, 3, 4})));
  struct Guarded {
    int id;                  // 0: the close box
    const char* goesOnWith;  // the question the command asks after the prompt
  };
  const Guarded commands[] = {{IDM_NEW, "number"}, {IDM_OPEN, "open"}, {IDM_LOAD_NEXT, "open"}, {0, ""}};
  struct Answer {
    std::deque<int> boxes;              // buttons of the prompts
    std::deque<EditFileAnswer> saves;  // answers of the save dialogs
    int goesOn;                        // 1 when the command carries on after them
  };
  const Answer answers[] = {{{IDCANCEL}, {}, 0},
                            {{IDNO}, {}, 1},
                            {{IDYES}, {{0, "", 1}}, 0},
                            {{IDYES}, {{1, files.File("kept.txt"), 3}}, 1}};
  for (const Guarded& g : commands) {
    for (const Answer& a : answers) {
      s_asked.clear();
      s_boxAnswers = a.boxes;
      s_fileAnswers = a.saves;
      app.iModified = 1;
      if (g.id) {
        Command(g.id);
      } else {
        WinTest_ClickClose(app.hwndMain);
        WinTest_RunFor(20);
      }
      ASSERT_FALSE(s_asked.empty());
      EXPECT_EQ(s_asked[0].szText, "Data may have been modified.\r\nSave changes in file ?");
      EXPECT_EQ(s_asked[0].uType, MB_YESNOCANCEL | MB_ICONQUESTION | MB_DEFBUTTON3);
      std::string last = s_asked.back().szKind;
      if (g.id) {
        EXPECT_EQ(last == g.goesOnWith, a.goesOn == 1) << g.id << " " << AskedKinds();
      } else {
        EXPECT_EQ(Win_IsWindow(app.hwndMain), a.goesOn == 0) << AskedKinds();
        if (!a.goesOn) continue;
        MSG msg{};  // the window is gone: drop its quit message and start again
        while (Win_PeekMessage(&msg, nullptr, 0, 0, 1)) {
        }
        PlotWin_Start(&app, nullptr, "");
      }
    }
  }
}

TEST_F(FileFlow, LoadNextChannelAddsACurveThatUndoRemoves) {
  std::string next = files.File("next.txt");
  ASSERT_TRUE(TestFiles_Write(next, TextBytes({1, 2, 3, 4, 5})));
  s_fileAnswers.push_back({1, next, 2});
  Command(IDM_LOAD_NEXT);
  EXPECT_EQ(s_asked.back().szText, "Load Data for Channel #2");
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Loaded file \"" + next + "\", 5 points");
  EXPECT_EQ(Samples(1), (std::vector<double>{1, 2, 3, 4, 5}));
  EXPECT_EQ(Title(), "Plot Smith");  // the main file stays
  EXPECT_STREQ(app.szDataFile, "unnamed.txt");
  EXPECT_EQ(app.iModified, 1);
  // Saved with the longer main curve, it is padded with its last value, as the status says.
  s_fileAnswers.push_back({1, files.File("both.txt"), 1});
  Command(IDM_SAVE);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Saved file \"" + files.File("both.txt") + "\" (channel 2 padded by " +
                                                 std::to_string(Ch(0).iNrOfSamples - 5) + " samples with its last value)");
  Command(IDM_UNDO);
  EXPECT_EQ(Ch(1).iNrOfSamples, 0);
  EXPECT_EQ(app.Channels.iChannelsInUse, 1);

  // The channel takes the name of a header row, and loses it to a file without one.
  std::string named = files.File("named.csv");
  ASSERT_TRUE(TestFiles_Write(named, "volts\n1\nx\n"));
  for (const std::string& path : {named, next}) {
    s_boxAnswers.push_back(IDNO);
    s_fileAnswers.push_back({1, path, 2});
    Command(IDM_LOAD_NEXT);
    EXPECT_STREQ(Ch(1).szName, path == named ? "volts" : "Channel 2");
    if (path == named) {
      EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Loaded file \"" + named + "\", 2 points (1 missing value)");
    }
    Command(IDM_UNDO);
  }

  // A failing load names the chosen file; with every channel in use only a box.
  s_boxAnswers.push_back(IDNO);
  s_fileAnswers.push_back({1, files.File("missing.txt"), 2});
  Command(IDM_LOAD_NEXT);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE).find("ERROR: failed to load \"" + files.File("missing.txt") + "\" ("),
            0u);
  app.Channels.iChannelsInUse = 8;
  s_asked.clear();
  Command(IDM_LOAD_NEXT);
  ASSERT_EQ(AskedKinds(), "box");
  EXPECT_EQ(s_asked[0].szText, "All channels are in use.\r\nDelete a channel and try again.");
}

TEST_F(FileFlow, SaveEntryPicksTheLayout) {
  struct Case {
    int entry;           // the save dialog's filter entry chosen
    const char* name;    // the file name chosen
    const char* starts;  // how the saved file must begin
  };
  const Case cases[] = {{4, "b.json", "{"},      {5, "c.txt", ""},         {1, "d.txt", ""},
                        {7, "e16.flac", "fLaC"}, {8, "e24.flac", "fLaC"}, {9, "f.ogg", "OggS"}};
  for (const Case& k : cases) {
    s_fileAnswers.push_back({1, files.File(k.name), k.entry});
    Command(IDM_SAVE);
    EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Saved file \"" + files.File(k.name) + "\"");
    EXPECT_EQ(TestFiles_Read(files.File(k.name)).rfind(k.starts, 0), 0u) << k.name;
  }
  EXPECT_NE(TestFiles_Read(files.File("c.txt")), TestFiles_Read(files.File("d.txt")));
  // The FLAC entries differ in the bits per sample of the stream header.
  for (const char* name : {"e16.flac", "e24.flac"}) {
    std::string flac = TestFiles_Read(files.File(name));
    ASSERT_GT(flac.size(), 22u);
    int bits = (((static_cast<unsigned char>(flac[20]) & 1) << 4) | (static_cast<unsigned char>(flac[21]) >> 4)) + 1;
    EXPECT_EQ(bits, name[1] == '1' ? 16 : 24) << name;
  }
}

TEST_F(FileFlow, DroppedFileOpensAfterThePrompt) {
  std::string path = files.File("dropped.txt");
  ASSERT_TRUE(TestFiles_Write(path, TextBytes({5, 6, 7})));
  app.iModified = 1;
  s_boxAnswers.push_back(IDCANCEL);
  const char* paths[] = {path.c_str()};
  WinTest_DropFiles(app.hwndMain, paths, 1);
  WinTest_RunFor(20);
  EXPECT_EQ(Ch(0).iNrOfSamples, 100);
  s_boxAnswers.push_back(IDNO);
  WinTest_DropFiles(app.hwndMain, paths, 1);
  WinTest_RunFor(20);
  EXPECT_EQ(Samples(0), (std::vector<double>{5, 6, 7}));
  EXPECT_EQ(Title(), "Plot Smith  -   " + path);
  EXPECT_EQ(AskedKinds(), "box box");
}

}  // namespace
