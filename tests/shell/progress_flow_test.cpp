// Long work under the progress window: a filter, a crop, a load and a save,
// each stopped through the modal seam at a chosen report (the window's delay
// set to 0 so that small data shows it), and what each leaves behind.
#include <cmath>
#include <cstring>

#include "tests/shell/edit_fixture.h"
#include "winutil/progress.h"

namespace {

struct ProgressFlow : EditFlowTest {
  static inline int s_stopAt = 0;                   // the report the user cancels at (1-based; 0 never)
  static inline std::vector<std::string> s_titles;  // the window's title at each report

  static int Progress(HWND, const char* title, long long, long long) {
    s_titles.push_back(title);
    return static_cast<int>(s_titles.size()) != s_stopAt;
  }
  void SetUp() override {
    EditFlowTest::SetUp();
    static const WinModalSeam seam{Box, FileDialog, Number, Progress};
    Win_SetModalSeam(&seam);
    Progress_SetDelay(0);
    s_stopAt = 0;
    s_titles.clear();
  }
  void TearDown() override {
    Progress_SetDelay(PROGRESS_DEFAULT_DELAY_MS);
    EditFlowTest::TearDown();
  }
  // Channel 0 holds n samples of a wave, as a fresh file would.
  void Fill(int n) {
    std::vector<double> v(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) v[static_cast<size_t>(i)] = std::sin(i * 0.01) + (i % 7) * 0.125;
    Channel_SetCount(&Ch(0), 0);
    ChannelSet_SetSamples(&app.Channels, 0, 0, v.data(), n);
    ChannelSet_CountInUse(&app.Channels);
    History_Init(&app, app.History.llBudget);
  }
};

TEST_F(ProgressFlow, CancelledFilterAndCropLeaveTheChannelsAsTheyWere) {
  Fill(200000);
  const std::vector<double> before = Samples(0);
  for (int stopAt = 1; stopAt <= 12; ++stopAt) {  // every stage of the filter, the transforms among them
    s_stopAt = stopAt;
    s_titles.clear();
    Command(IDM_LOWPASS_FIRST + 2);
    ASSERT_EQ(Samples(0).size(), before.size());
    EXPECT_EQ(std::memcmp(Samples(0).data(), before.data(), before.size() * sizeof(double)), 0) << stopAt;
    EXPECT_EQ(History_CanUndo(&app), 0);
    EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Filter cancelled: the channel is unchanged");
  }
  EXPECT_EQ(s_titles.front(), "Filtering: low pass 0.01");
  s_stopAt = 0;  // the same preset run to its end changes the channel and can be undone
  Command(IDM_LOWPASS_FIRST + 2);
  EXPECT_NE(Samples(0), before);
  EXPECT_EQ(History_CanUndo(&app), 1);

  Command(IDM_UNDO);
  Select(1000, 5000);
  s_stopAt = 1;
  s_titles.clear();
  Command(IDM_CROP);
  EXPECT_EQ(s_titles, std::vector<std::string>{"Cropping"});
  EXPECT_EQ(Samples(0), before);
  EXPECT_EQ(History_CanUndo(&app), 0);
  EXPECT_EQ(History_CanRedo(&app), 1);  // the undone filter stays to be redone
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Crop cancelled: the channels are unchanged");
}

// What the user saw when the real window's loop first ran, before pressing Escape.
struct SeenBehind {
  HWND hwndMain;        // the main window
  int iMainEnabled;     // whether it took input then
  std::string szTitle;  // the progress window's title
};
SeenBehind g_Seen;

void PressEscapeInTheWindow(HWND, UINT, std::uintptr_t, DWORD) {
  char title[128] = "";
  g_Seen.szTitle = WinTest_ProgressWindow(title, sizeof title, nullptr) ? title : "(none)";
  g_Seen.iMainEnabled = Win_IsWindowEnabled(g_Seen.hwndMain);
  WinTest_CancelProgress(1);
}

TEST_F(ProgressFlow, TheRealWindowRunsItsLoopOverTheDisabledMainWindow) {
  Win_SetModalSeam(nullptr);
  static const WinModalSeam seam{Box, FileDialog, Number, nullptr};  // the real progress window
  Win_SetModalSeam(&seam);
  Fill(100000);
  const std::vector<double> before = Samples(0);
  g_Seen = SeenBehind{app.hwndMain, -1, ""};
  // A message already queued is dispatched by the window's own loop.
  Win_PostMessage(app.hwndMain, WM_TIMER, 77, reinterpret_cast<LPARAM>(PressEscapeInTheWindow));
  Command(IDM_LOWPASS_FIRST + 3);
  EXPECT_EQ(g_Seen.szTitle, "Filtering: low pass 0.03");
  EXPECT_EQ(g_Seen.iMainEnabled, 0);
  EXPECT_EQ(Samples(0), before);
  EXPECT_EQ(History_CanUndo(&app), 0);
  EXPECT_EQ(WinTest_ProgressWindow(nullptr, 0, nullptr), 0);
  EXPECT_EQ(Win_IsWindowEnabled(app.hwndMain), 1);
}

TEST_F(ProgressFlow, CancelledLoadKeepsWhatWasReadAndSaysSo) {
  std::vector<double> v(300000);
  for (size_t i = 0; i < v.size(); ++i) v[i] = static_cast<double>(i % 1000);
  std::string path = files.File("long.txt");
  ASSERT_TRUE(TestFiles_Write(path, TextBytes(v)));
  s_stopAt = 3;  // two buffers of the file are read
  Open(path);
  ASSERT_EQ(s_titles.size(), 3u);
  EXPECT_EQ(s_titles[0], "Loading \"" + path + "\"");
  int n = Ch(0).iNrOfSamples;
  ASSERT_GT(n, 0);
  ASSERT_LT(n, 300000);
  for (int i = 0; i < n; ++i) ASSERT_EQ(Ch(0).pdSamples[i], v[static_cast<size_t>(i)]) << i;
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Loaded file \"" + path + "\", " + std::to_string(n) +
                                                 " points (loading cancelled: only the first " +
                                                 std::to_string(n) + " samples were loaded)");
  // A WAV read stopped in its data is said the same way, not called a short file.
  std::vector<short> pcm(200000);
  for (size_t i = 0; i < pcm.size(); ++i) pcm[i] = static_cast<short>(i % 3000);
  std::string wav = files.File("long.wav");
  ASSERT_TRUE(TestFiles_Write(wav, WaveBytes({pcm}, 8000)));
  s_titles.clear();
  Open(wav);
  n = Ch(0).iNrOfSamples;
  ASSERT_GT(n, 0);
  ASSERT_LT(n, 200000);
  EXPECT_EQ(Ch(0).pdSamples[n - 1], pcm[static_cast<size_t>(n - 1)] / 32767.0);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Loaded file \"" + wav + "\", " + std::to_string(n) +
                                                 " points (loading cancelled: only the first " +
                                                 std::to_string(n) + " samples were loaded)");
  // So is a FLAC, read through the sound library, that the editor saved whole.
  Fill(300000);
  std::string flac = files.File("long.flac");
  s_stopAt = 0;
  s_fileAnswers.push_back({1, flac, 1});
  Command(IDM_SAVE);
  s_stopAt = 2;
  s_titles.clear();
  Open(flac);
  n = Ch(0).iNrOfSamples;
  ASSERT_GT(n, 0);
  ASSERT_LT(n, 300000);
  EXPECT_EQ(StatusText(STATUS_PART_MESSAGE), "Loaded file \"" + flac + "\", " + std::to_string(n) +
                                                 " points (loading cancelled: only the first " +
                                                 std::to_string(n) + " samples were loaded)");
}

TEST_F(ProgressFlow, CancelledSaveLeavesTheOldFile) {
  Fill(300000);
  for (const char* name : {"old.txt", "old.wav", "old.flac"}) {
    std::string path = files.File(name);
    ASSERT_TRUE(TestFiles_Write(path, "the old file"));
    s_stopAt = 2;
    s_titles.clear();
    s_fileAnswers.push_back({1, path, 1});
    Command(IDM_SAVE);
    EXPECT_EQ(s_titles.size(), 2u) << name;
    EXPECT_EQ(TestFiles_Read(path), "the old file") << name;
    EXPECT_STRNE(app.szDataFile, path.c_str());  // the data in memory keeps its name
    EXPECT_EQ(StatusText(STATUS_PART_MESSAGE),
              "ERROR: failed to save \"" + path + "\" (cancelled: the file on disk was left as it was)");
  }
  EXPECT_EQ(TestFiles_CountEntries(files.szPath), 3);  // no temporary file is left
}

}  // namespace
