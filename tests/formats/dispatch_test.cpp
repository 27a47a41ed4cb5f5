// Load and save dispatch: names with dots in folders, refused names leave
// the channels alone, the save type alone picks the text layout, and every
// extension reaches its format in any letter case.

#include <gtest/gtest.h>

#include <string>

#include "formats/curve_file.h"
#include "formats/text_curve.h"
#include "shell/app_state.h"
#include "tests/support/test_files.h"

namespace {

class Dispatch : public ::testing::Test {
 protected:
  void SetUp() override {
    AppState_InitDefaults(&app);
    ChannelSet_Init(&app.Channels, 65536);
    for (int i = 0; i < 4; ++i) ChannelSet_SetSample(&app.Channels, 0, i, i - 1.5);
    app.Channels.Channel[0].dXStep = 0.5;
    // Stores alone restart a range that is not yet valid; the exact range
    // comes from the update, as after any edit in the editor.
    Channel_UpdateRange(&app.Channels.Channel[0]);
  }
  void TearDown() override { ChannelSet_FreeAll(&app.Channels); }
  AppState app;  // the record loaded into and saved from
  TempDir dir;  // the test's folder
};

TEST_F(Dispatch, RefusedNamesChangeNothing) {
  EXPECT_STREQ(".dir\\curve", CurveFile_Extension("C:\\data.dir\\curve"));
  EXPECT_EQ(2130, LoadCurveFile(&app.Channels, &app.SpectrumHeader, "C:\\data.dir\\curve", 0));
  EXPECT_EQ(2130, SaveCurveFile(&app.Channels, &app.SpectrumHeader, "C:\\data.dir\\curve", 0, 1));
  EXPECT_EQ(2129, LoadCurveFile(&app.Channels, &app.SpectrumHeader, "curve", 0));
  EXPECT_EQ(2129, SaveCurveFile(&app.Channels, &app.SpectrumHeader, "curve", 0, 1));
  std::string json = dir.File("c.json");
  ASSERT_TRUE(TestFiles_Write(json, "[1, 2, 3]\n"));  // JSON, but not the program's layout
  EXPECT_EQ(2130, LoadCurveFile(&app.Channels, &app.SpectrumHeader, json.c_str(), 0));
  EXPECT_EQ(2130, LoadCurveFile(&app.Channels, &app.SpectrumHeader, dir.File("c.fcf").c_str(), 0));
  EXPECT_EQ(4, app.Channels.Channel[0].iNrOfSamples);
  EXPECT_DOUBLE_EQ(1.5, app.Channels.Channel[0].pdSamples[3]);
}

TEST_F(Dispatch, SaveTypeAloneChoosesTheTextLayout) {
  std::string json = dir.File("keyvalue.json");
  ASSERT_EQ(0, SaveCurveFile(&app.Channels, &app.SpectrumHeader, json.c_str(), 0, SAVE_TYPE_INT16));
  EXPECT_EQ(0u, TestFiles_Read(json).rfind("; Saved by Orvane's Plotsmith\r\n", 0));
  std::string txt = dir.File("object.txt");
  ASSERT_EQ(0, SaveCurveFile(&app.Channels, &app.SpectrumHeader, txt.c_str(), 0, 19));
  EXPECT_EQ(0u, TestFiles_Read(txt).rfind("{\r\n", 0));
  std::string unknown = dir.File("zero.txt");
  ASSERT_EQ(0, SaveCurveFile(&app.Channels, &app.SpectrumHeader, unknown.c_str(), 0, 0));
  EXPECT_NE(std::string::npos, TestFiles_Read(unknown).find("data_type=unknown\r\n"));
}

TEST_F(Dispatch, FloatSaveLoadsBackNormalisedInAnyCase) {
  std::string upper = dir.File("UP.TXT");
  ASSERT_EQ(0, SaveCurveFile(&app.Channels, &app.SpectrumHeader, upper.c_str(), 0, SAVE_TYPE_FLOAT));
  ASSERT_EQ(0, LoadCurveFile(&app.Channels, &app.SpectrumHeader, upper.c_str(), 1));
  const CurveChannel& ch = app.Channels.Channel[1];
  ASSERT_EQ(4, ch.iNrOfSamples);
  EXPECT_DOUBLE_EQ(0.0, ch.pdSamples[0]);
  EXPECT_DOUBLE_EQ(1.0, ch.pdSamples[3]);
  EXPECT_NEAR(1.0 / 3.0, ch.pdSamples[1], 1e-6);
  EXPECT_DOUBLE_EQ(0.5, ch.dXStep);
}

}  // namespace
