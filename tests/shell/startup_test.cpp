// Start-up and shutdown of the editor: the demonstration curve, the window
// placement kept in the settings file, the command line and the message loop.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <sys/stat.h>

#include "shell/plotwin.h"
#include "tests/support/test_files.h"
#include "tests/support/window_text.h"
#include "winutil/winapi.h"
#include "winutil/wintest.h"

namespace {

// Each test gets its own settings folder and a fresh application record.
struct Startup : ::testing::Test {
  AppState app;    // started by each test itself
  TempDir config;  // the settings folder

  void SetUp() override {
    setenv("XDG_CONFIG_HOME", config.szPath.c_str(), 1);
    setenv("XDG_STATE_HOME", config.szPath.c_str(), 1);
    Win_Init(nullptr, nullptr);
  }
  void TearDown() override {
    if (Win_IsWindow(app.hwndMain)) Win_DestroyWindow(app.hwndMain);
  }

  std::string Title() { return WindowText(app.hwndMain); }
  void WriteSettings(int left, int top, int width, int height) {
    Profile_WriteString(SETTINGS_SECTION, "Left", std::to_string(left).c_str(), SETTINGS_FILE);
    Profile_WriteString(SETTINGS_SECTION, "Top", std::to_string(top).c_str(), SETTINGS_FILE);
    Profile_WriteString(SETTINGS_SECTION, "Width", std::to_string(width).c_str(), SETTINGS_FILE);
    Profile_WriteString(SETTINGS_SECTION, "Height", std::to_string(height).c_str(), SETTINGS_FILE);
  }
  int Setting(const char* key) { return Profile_GetInt(SETTINGS_SECTION, key, -1, SETTINGS_FILE); }
  // Closes the main window with its close box and runs the loop to its end.
  int CloseAndRun() {
    WinTest_ClickClose(app.hwndMain);
    return PlotWin_RunMessageLoop(&app);
  }
};

TEST_F(Startup, NoCommandLineShowsTheDemonstrationSine) {
  PlotWin_Start(&app, nullptr, "");
  ASSERT_NE(app.hwndMain, nullptr);
  EXPECT_EQ(PlotWin_Instances[0], &app);
  EXPECT_EQ(Graph_FromWindow(app.hwndMain), &app);
  EXPECT_EQ(Title(), "Plot Smith");
  EXPECT_STREQ(app.szDataFile, "unnamed.txt");
  EXPECT_STREQ(app.szCaption, "Plotsmith V0.1");
  EXPECT_TRUE(Win_IsWindowVisible(app.hwndMain));
  const CurveChannel& ch = app.Channels.Channel[0];
  ASSERT_EQ(ch.iNrOfSamples, 100);
  for (int i = 0; i < 100; ++i) EXPECT_EQ(ch.pdSamples[i], std::sin(0.1 * i));
  EXPECT_EQ(app.Channels.iChannelsInUse, 1);
  EXPECT_EQ(ch.iVisible, 1);
  EXPECT_STREQ(ch.szName, "Channel 1");
  EXPECT_EQ(ch.dDataMin, -1.0);  // the sine stays inside the preset range
  EXPECT_EQ(ch.dDataMax, 1.0);
  EXPECT_EQ(app.Channels.dXViewMin, 0.0);
  EXPECT_EQ(app.Channels.dXViewMax, 100.0);
  EXPECT_EQ(app.Channels.Channel[1].iAllocated, 65536);
  EXPECT_EQ(History_CanUndo(&app), 0);
  EXPECT_EQ(app.Graph.iLastEditIndex, -1);
  EXPECT_EQ(app.Graph.Selection[2].crFill, RGB(255, 192, 192));
  EXPECT_EQ(PlotWin_CommandLine[0], '\0');
}

TEST_F(Startup, WindowOpensAtTheStoredPositionOrTheDefaults) {
  PlotWin_Start(&app, nullptr, "");
  RECT rc{};
  ASSERT_TRUE(Win_GetWindowRect(app.hwndMain, &rc));
  EXPECT_EQ(rc.left, 20);
  EXPECT_EQ(rc.top, 40);
  EXPECT_EQ(rc.right, 620);
  EXPECT_EQ(rc.bottom, 440);
  EXPECT_EQ(CloseAndRun(), 0);
  EXPECT_EQ(Setting("Left"), 20);
  EXPECT_EQ(Setting("Top"), 40);
  EXPECT_EQ(Setting("Width"), 600);
  EXPECT_EQ(Setting("Height"), 400);
}

TEST_F(Startup, NegativeStoredLeftOpensAtZero) {
  WriteSettings(-8, 55, 700, 500);
  PlotWin_Start(&app, nullptr, "");
  RECT rc{};
  ASSERT_TRUE(Win_GetWindowRect(app.hwndMain, &rc));
  EXPECT_EQ(rc.left, 0);
  EXPECT_EQ(rc.top, 55);
  EXPECT_EQ(rc.right - rc.left, 700);
  EXPECT_EQ(rc.bottom - rc.top, 500);
}

TEST_F(Startup, ClosingWritesTheMovedRectangleAndFreesTheData) {
  PlotWin_Start(&app, nullptr, "");
  ASSERT_TRUE(Win_MoveWindow(app.hwndMain, 33, 44, 640, 480, 1));
  HWND main = app.hwndMain;
  EXPECT_EQ(CloseAndRun(), 0);
  EXPECT_FALSE(Win_IsWindow(main));
  EXPECT_EQ(app.hwndMain, nullptr);
  EXPECT_EQ(Graph_FromWindow(main), nullptr);
  EXPECT_EQ(app.Channels.Channel[0].pdSamples, nullptr);
  EXPECT_EQ(Setting("Left"), 33);
  EXPECT_EQ(Setting("Top"), 44);
  EXPECT_EQ(Setting("Width"), 640);
  EXPECT_EQ(Setting("Height"), 480);
}

TEST_F(Startup, ClosingWhileMaximisedOrMinimisedKeepsTheSettings) {
  WriteSettings(11, 22, 633, 444);
  PlotWin_Start(&app, nullptr, "");
  Win_ShowWindow(app.hwndMain, SW_SHOWMAXIMIZED);
  WinTest_RunFor(50);
  ASSERT_TRUE(Win_IsZoomed(app.hwndMain));
  EXPECT_EQ(CloseAndRun(), 0);
  EXPECT_EQ(Setting("Left"), 11);
  EXPECT_EQ(Setting("Top"), 22);
  EXPECT_EQ(Setting("Width"), 633);
  EXPECT_EQ(Setting("Height"), 444);

  PlotWin_Start(&app, nullptr, "");
  Win_ShowWindow(app.hwndMain, SW_MINIMIZE);
  WinTest_RunFor(50);
  ASSERT_TRUE(Win_IsIconic(app.hwndMain));
  EXPECT_EQ(CloseAndRun(), 0);
  EXPECT_EQ(Setting("Width"), 633);
}

TEST_F(Startup, ExitCommandOfTheLoopIsZeroAfterSentClose) {
  PlotWin_Start(&app, nullptr, "");
  Win_PostMessage(app.hwndMain, WM_CLOSE, 0, 0);
  EXPECT_EQ(PlotWin_RunMessageLoop(&app), 0);
  EXPECT_EQ(app.hwndMain, nullptr);
}

TEST_F(Startup, AcceleratorKeysChangeNothing) {
  PlotWin_Start(&app, nullptr, "");
  WinTest_PressKey(app.hwndMain, VK_F9, 0);
  WinTest_PressKey(app.hwndMain, VK_F7, 0);
  WinTest_PressKey(app.hwndMain, VK_F2, 0);
  Win_PostMessage(app.hwndMain, WM_CLOSE, 0, 0);
  EXPECT_EQ(PlotWin_RunMessageLoop(&app), 0);
}

TEST(CommandLine, QuotedUnquotedAndTrailingText) {
  AppState app;
  AppState_InitDefaults(&app);
  PlotWin_CommandLineToFile(&app, "\"C:\\My Data\\a.txt\"");
  EXPECT_STREQ(app.szDataFile, "C:\\My Data\\a.txt");
  PlotWin_CommandLineToFile(&app, "C:\\My Data\\a.txt");
  EXPECT_STREQ(app.szDataFile, "C:\\My Data\\a.txt");
  PlotWin_CommandLineToFile(&app, "\"a.txt\" -x");
  EXPECT_STREQ(app.szDataFile, "a.txt\" -x");
  PlotWin_CommandLineToFile(&app, "\"");
  EXPECT_STREQ(app.szDataFile, "");
  PlotWin_CommandLineToFile(&app, "\"\"");
  EXPECT_STREQ(app.szDataFile, "");
  PlotWin_CommandLineToFile(&app, "plain\"");  // unquoted: a trailing quote stays
  EXPECT_STREQ(app.szDataFile, "plain\"");
}

TEST_F(Startup, QuotedPathThatCannotBeLoadedIsReportedInTheTitle) {
  PlotWin_Start(&app, nullptr, "\"/nonexistent dir/My Data/a.txt\"");
  EXPECT_STREQ(app.szDataFile, "/nonexistent dir/My Data/a.txt");
  EXPECT_EQ(Title(), "Plot Smith  -  file not loaded");
  EXPECT_EQ(app.Channels.Channel[0].iNrOfSamples, 100);  // the sine stays
}

TEST_F(Startup, QuoteWithTrailingTextFailsOnItsExtension) {
  PlotWin_Start(&app, nullptr, "\"a.txt\" -x");
  EXPECT_STREQ(app.szDataFile, "a.txt\" -x");
  EXPECT_EQ(Title(), "Plot Smith  -  file not loaded");
}

TEST_F(Startup, LongCommandLineIsCutTo255Chars) {
  std::string cmd(300, 'x');
  PlotWin_Start(&app, nullptr, cmd.c_str());
  EXPECT_EQ(std::strlen(PlotWin_CommandLine), 255u);
  EXPECT_EQ(std::string(PlotWin_CommandLine), cmd.substr(0, 255));
  EXPECT_EQ(std::string(app.szDataFile), cmd.substr(0, 255));
}

TEST_F(Startup, UnquotedPathWithBlanksIsLoadedWhole) {
  std::string dir = config.File("My Data");
  ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
  std::string path = dir + "/curve.txt";
  {
    std::ofstream f(path, std::ios::binary);
    f << "1.5\r\n2.5\r\n-3\r\n";
  }
  PlotWin_Start(&app, nullptr, path.c_str());
  EXPECT_EQ(std::string(app.szDataFile), path);
  EXPECT_EQ(Title(), "Plot Smith  -   " + path);
  ASSERT_EQ(app.Channels.Channel[0].iNrOfSamples, 3);
  EXPECT_EQ(app.Channels.Channel[0].pdSamples[2], -3.0);
}

}  // namespace
