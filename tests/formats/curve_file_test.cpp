// Dispatch of loads and saves by extension and save type.

#include "formats/curve_file.h"

#include <gtest/gtest.h>

#include <string>

#include "formats/text_curve.h"
#include "shell/app_state.h"
#include "tests/support/test_files.h"

namespace {

struct CurveFile : ::testing::Test {
  static AppState app;  // the record loaded into (static: large)
  TempDir dir;  // the test's folder
  void SetUp() override {
    AppState_InitDefaults(&app);
    ChannelSet_Init(&app.Channels, 16384);
    for (int i = 0; i < 3; ++i) ChannelSet_SetSample(&app.Channels, 0, i, i - 1.0);
  }
  void TearDown() override { ChannelSet_FreeAll(&app.Channels); }
};
AppState CurveFile::app;

TEST_F(CurveFile, ExtensionRules) {
  EXPECT_STREQ(".dir\\curve", CurveFile_Extension("C:\\data.dir\\curve"));
  EXPECT_STREQ(".txt", CurveFile_Extension("a.b.txt"));
  EXPECT_EQ(nullptr, CurveFile_Extension("noext"));
  EXPECT_EQ(2129, LoadCurveFile(&app.Channels, &app.SpectrumHeader, "noext", 0));
  EXPECT_EQ(2129, SaveCurveFile(&app.Channels, &app.SpectrumHeader, "noext", 0, SAVE_TYPE_INT16));
  EXPECT_EQ(2130, LoadCurveFile(&app.Channels, &app.SpectrumHeader, "C:\\data.dir\\curve", 0));
  EXPECT_EQ(2130, SaveCurveFile(&app.Channels, &app.SpectrumHeader, "C:\\data.dir\\curve", 0, SAVE_TYPE_INT16));
  EXPECT_EQ(2129, LoadCurveFile(&app.Channels, &app.SpectrumHeader, "x.json", 0));  // JSON is read
  EXPECT_EQ(2130, LoadCurveFile(&app.Channels, &app.SpectrumHeader, "x.fcf", 0));
  EXPECT_EQ(2130, SaveCurveFile(&app.Channels, &app.SpectrumHeader,
                                (dir.szPath + "/x.fcf").c_str(), 0, SAVE_TYPE_INT16));
  EXPECT_EQ(3, app.Channels.Channel[0].iNrOfSamples);  // refusals change nothing
}

TEST_F(CurveFile, TextAndJsonByTypeInAnyCase) {
  std::string upper = dir.File("A.TXT");
  ASSERT_EQ(0, SaveCurveFile(&app.Channels, &app.SpectrumHeader, upper.c_str(), 0, SAVE_TYPE_JSON + SAVE_TYPE_FLOAT));
  EXPECT_EQ('{', TestFiles_Read(upper)[0]);  // a .txt name with a JSON save type gets JSON
  std::string json = dir.File("b.Json");
  ASSERT_EQ(0, SaveCurveFile(&app.Channels, &app.SpectrumHeader, json.c_str(), 0, SAVE_TYPE_INT16));
  EXPECT_EQ(0u, TestFiles_Read(json).find("; Saved by"));  // and the other way round
  std::string txt = dir.File("c.TxT");
  ASSERT_EQ(0, SaveCurveFile(&app.Channels, &app.SpectrumHeader, txt.c_str(), 0, SAVE_TYPE_INT16));
  ASSERT_EQ(0, LoadCurveFile(&app.Channels, &app.SpectrumHeader, txt.c_str(), 1));
  EXPECT_EQ(3, app.Channels.Channel[1].iNrOfSamples);
  EXPECT_EQ(32767.0, app.Channels.Channel[1].pdSamples[2]);
  EXPECT_EQ(2129, LoadCurveFile(&app.Channels, &app.SpectrumHeader, dir.File("missing.txt").c_str(), 0));
}

TEST_F(CurveFile, WaveAndRefGoToTheirFormats) {
  std::string wav = dir.File("w.Wav");
  ASSERT_EQ(0, SaveCurveFile(&app.Channels, &app.SpectrumHeader, wav.c_str(), 0, SAVE_TYPE_INT16));
  EXPECT_EQ(0u, TestFiles_Read(wav).find("RIFF"));
  ASSERT_EQ(0, LoadCurveFile(&app.Channels, &app.SpectrumHeader, wav.c_str(), 2));
  EXPECT_EQ(3, app.Channels.Channel[2].iNrOfSamples);
  std::string ref = dir.File("s.REF");
  ASSERT_EQ(0, SaveCurveFile(&app.Channels, &app.SpectrumHeader, ref.c_str(), 0, SAVE_TYPE_INT16));
  EXPECT_EQ(0, LoadCurveFile(&app.Channels, &app.SpectrumHeader, ref.c_str(), 3));
  EXPECT_EQ(3, app.Channels.Channel[3].iNrOfSamples);
}

}  // namespace

// The open dialog's first entry offers every kind of file that loads.
TEST(CurveFileFilter, AllSupportedOffersEveryLoadableExtension) {
  std::string all(CURVE_FILE_OPEN_FILTER + std::string(CURVE_FILE_OPEN_FILTER).size() + 1);
  EXPECT_EQ(std::string(CURVE_FILE_OPEN_FILTER), "All supported file formats");
  for (const char* pattern : {"*.txt", "*.csv", "*.wav", "*.ref"})
    EXPECT_NE((";" + all + ";").find(std::string(";") + pattern + ";"), std::string::npos) << pattern;
}
