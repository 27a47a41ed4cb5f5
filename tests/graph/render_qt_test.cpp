// plotsmith-cli render (run by plotsmith-cli through the plotsmith-render
// beside it) against the editor's own drawing of the same file.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/wait.h>

#include "formats/curve_file.h"
#include "graph/graph.h"
#include "shell/app_state.h"
#include "tests/graph/surfaces.h"
#include "tests/support/test_files.h"
#include "winutil/winapi.h"

#ifdef PLOTSMITH_CLI_PATH

namespace {

// Exit code of plotsmith-cli with the arguments, run without a display
// platform in its environment (it must pick the off-screen one itself).
int RunCli(const std::string& args) {
  std::string cmd = "env -u QT_QPA_PLATFORM '" PLOTSMITH_CLI_PATH "' " + args + " 2>/dev/null";
  int status = std::system(cmd.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(Render, PaintsTheLoadedFileAsTheEditorShowsIt) {
  TempDir dir;
  const std::string in = dir.File("wave.txt"), out = dir.File("wave.png");
  std::string text;
  const int n = 300;
  for (int i = 0; i < n; ++i) text += std::to_string(1.0 + 3.0 * std::sin(i * 0.05)) + "\n";
  ASSERT_TRUE(TestFiles_Write(in, text));
  ASSERT_EQ(RunCli("render --size 640x480 '" + in + "' '" + out + "'"), 0);

  // The same file loaded, auto-scaled and drawn here, as the editor would.
  Win_Init(nullptr, nullptr);
  static AppState app;
  AppState_InitDefaults(&app);
  ChannelSet_Init(&app.Channels, 65536);
  ASSERT_EQ(LoadCurveFile(&app.Channels, &app.SpectrumHeader, in.c_str(), 0), 0);
  Graph_AutoScale(&app);
  BitmapCanvas here(Win_CreateCompatibleBitmap(nullptr, 640, 480));
  Graph_Draw(&app, here.dc, 640, 480);
  BitmapCanvas shot(Win_LoadBitmapPng(out.c_str()));
  ASSERT_NE(shot.bmp, nullptr);
  EXPECT_NE(Win_GetPixel(shot.dc, 639, 479), 0xFFFFFFFFu);
  EXPECT_EQ(Win_GetPixel(shot.dc, 640, 0), 0xFFFFFFFFu);  // exactly the size asked for

  // The axis lines lie where the layout put them.
  const RECT plot = app.Graph.rcPlot;
  ASSERT_GT(plot.left, 10);
  for (int y = plot.top; y < plot.bottom; y += 5) EXPECT_EQ(Win_GetPixel(shot.dc, plot.left - 1, y), 0u) << y;
  for (int x = plot.left; x < 640; x += 5) EXPECT_EQ(Win_GetPixel(shot.dc, x, plot.bottom + 1), 0u) << x;
  // The curve passes through every sample's pixel in channel 0's colour.
  for (int i = 0; i < n - 1; ++i) {
    int x = Graph_XToPixel(&app, 0, Graph_IndexToX(&app, 0, i));
    int y = Graph_YToPixel(&app, 0, app.Channels.Channel[0].pdSamples[i]);
    EXPECT_EQ(Win_GetPixel(shot.dc, x, y), GRAPH_CHANNEL_COLORS[0]) << i;
  }
  // And the whole image is the editor's drawing.
  int differing = 0;
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) differing += Win_GetPixel(shot.dc, x, y) != Win_GetPixel(here.dc, x, y);
  EXPECT_EQ(differing, 0);
  ChannelSet_FreeAll(&app.Channels);

  // Refusals: a bad size or output name is a usage error, a missing input a failure.
  EXPECT_EQ(RunCli("render --size 0x5 '" + in + "' '" + out + "'"), 2);
  EXPECT_EQ(RunCli("render --size 20000x5 '" + in + "' '" + out + "'"), 2);
  EXPECT_EQ(RunCli("render '" + in + "' '" + dir.File("wave.txt2") + "'"), 2);
  EXPECT_EQ(RunCli("render '" + out + "'"), 2);
  EXPECT_EQ(RunCli("render '" + dir.File("missing.txt") + "' '" + out + "'"), 1);
  EXPECT_EQ(RunCli("render '" + in + "' '" + dir.File("no/such/dir.png") + "'"), 1);

  // An output ending in .svg is an SVG document of vector lines and text.
  const std::string svg = dir.File("wave.SVG");
  ASSERT_EQ(RunCli("render --size 640x480 '" + in + "' '" + svg + "'"), 0);
  const std::string doc = TestFiles_Read(svg);
  EXPECT_EQ(doc.rfind("<?xml", 0), 0u);
  EXPECT_NE(doc.find("viewBox=\"0 0 640 480\""), std::string::npos);
  EXPECT_NE(doc.find("<polyline"), std::string::npos);
  EXPECT_NE(doc.find("<text"), std::string::npos);
  EXPECT_EQ(doc.find("<image"), std::string::npos);
}

// Stacked, two channels of very different size each fill a lane of their
// own: every pixel of a curve lies inside its channel's lane.
TEST(Render, StackedPutsEachCurveInItsOwnLane) {
  TempDir dir;
  const std::string a = dir.File("a.txt"), b = dir.File("b.txt"), out = dir.File("lanes.png");
  std::string ta, tb;
  for (int i = 0; i < 400; ++i) {
    ta += std::to_string(std::sin(i * 0.05)) + "\n";
    tb += std::to_string(500.0 + 100.0 * std::cos(i * 0.03)) + "\n";
  }
  ASSERT_TRUE(TestFiles_Write(a, ta));
  ASSERT_TRUE(TestFiles_Write(b, tb));
  ASSERT_EQ(RunCli("render --stacked --size 640x480 '" + a + "' '" + b + "' '" + out + "'"), 0);

  Win_Init(nullptr, nullptr);
  static AppState app;
  AppState_InitDefaults(&app);
  ChannelSet_Init(&app.Channels, 65536);
  ASSERT_EQ(LoadCurveFile(&app.Channels, &app.SpectrumHeader, a.c_str(), 0), 0);
  ASSERT_EQ(LoadCurveFile(&app.Channels, &app.SpectrumHeader, b.c_str(), 1), 0);
  Graph_AutoScale(&app);
  app.Graph.iStacked = 1;
  BitmapCanvas here(Win_CreateCompatibleBitmap(nullptr, 640, 480));
  Graph_Draw(&app, here.dc, 640, 480);
  BitmapCanvas shot(Win_LoadBitmapPng(out.c_str()));
  ASSERT_NE(shot.bmp, nullptr);
  const RECT plot = app.Graph.rcPlot, lane0 = app.Graph.rcLane[0], lane1 = app.Graph.rcLane[1];
  EXPECT_EQ(lane0.top, plot.top);
  EXPECT_EQ(lane1.bottom, plot.bottom);
  EXPECT_LT(lane0.bottom, lane1.top);
  int inLane[2] = {0, 0}, outside[2] = {0, 0}, differing = 0;
  for (int y = 0; y < 480; ++y) {
    for (int x = 0; x < 640; ++x) {
      COLORREF c = Win_GetPixel(shot.dc, x, y);
      differing += c != Win_GetPixel(here.dc, x, y);
      if (x <= plot.left || y < plot.top || y > plot.bottom) continue;  // axes and legend
      for (int k = 0; k < 2; ++k) {
        if (c != GRAPH_CHANNEL_COLORS[k]) continue;
        const RECT& lane = k == 0 ? lane0 : lane1;
        ++(y >= lane.top && y <= lane.bottom ? inLane[k] : outside[k]);
      }
    }
  }
  EXPECT_EQ(differing, 0);  // the editor's own stacked drawing
  EXPECT_GT(inLane[0], 300);
  EXPECT_GT(inLane[1], 300);
  EXPECT_EQ(outside[0], 0);
  EXPECT_EQ(outside[1], 0);
  ChannelSet_FreeAll(&app.Channels);
}

}  // namespace

#endif
