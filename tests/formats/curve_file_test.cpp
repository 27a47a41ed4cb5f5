// Dispatch of loads and saves by extension and save type, and the table of
// formats behind it and the dialogs.

#include "formats/curve_file.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "formats/format_table.h"

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

// Pairs of description and pattern of a dialog's filter list.
std::vector<std::pair<std::string, std::string>> FilterPairs(const char* list) {
  std::vector<std::pair<std::string, std::string>> pairs;
  for (const char* p = list; *p;) {
    std::string text = p;
    p += text.size() + 1;
    std::string pattern = p;
    p += pattern.size() + 1;
    pairs.emplace_back(text, pattern);
  }
  return pairs;
}

// Both dialogs' lists come from the table: the original entries first, in
// their order and with their texts, the sound formats after them; the
// first entry offers every kind of file that loads.
TEST(FormatTable, DialogListsKeepTheOriginalEntriesAndAddTheNewOnes) {
  using Pairs = std::vector<std::pair<std::string, std::string>>;
  Pairs open = FilterPairs(CurveFormat_OpenFilter());
  ASSERT_GE(open.size(), 15u);
  EXPECT_EQ(Pairs(open.begin() + 1, open.begin() + 8),
            (Pairs{{"Text files (*.txt)", "*.txt"},
                   {"CSV files (*.csv)", "*.csv"},
                   {"Wave audio files (*.wav)", "*.WAV"},
                   {"Spectrum Reference files (*.ref)", "*.REF"},
                   {"FCF spectrum files (*.fcf)", "*.FCF"},
                   {"JSON files (*.json)", "*.json"},
                   {"FLAC audio files (*.flac)", "*.flac"}}));
  EXPECT_EQ(open[0].first, "All supported file formats");
  EXPECT_EQ(open[0].second.rfind("*.txt;*.csv;*.wav;*.ref;*.fcf;*.json;*.flac;", 0), 0u);
  char readers[512];
  CurveFormat_ListExtensions(readers, sizeof readers, CURVE_LIST_READERS);
  for (const char* p = std::strtok(readers, ", "); p; p = std::strtok(nullptr, ", "))
    EXPECT_NE((open[0].second + ";").find(std::string("*") + p + ";"), std::string::npos) << p;

  Pairs save = FilterPairs(CurveFormat_SaveFilter());
  ASSERT_GE(save.size(), 16u);
  EXPECT_EQ(Pairs(save.begin(), save.begin() + 8),
            (Pairs{{"Text files, 16 bit integer (*.txt)", "*.txt"},
                   {"Text files, 8 bit unsigned (*.txt)", "*.txt"},
                   {"Text files, floating point (*.txt)", "*.txt"},
                   {"JSON files, floating point (*.txt)", "*.json"},
                   {"Wave audio files (*.wav)", "*.wav"},
                   {"Spectrum Reference files (*.ref)", "*.ref"},
                   {"FLAC audio files, 16 bit (*.flac)", "*.flac"},
                   {"FLAC audio files, 24 bit (*.flac)", "*.flac"}}));
  // Each entry's save type; 0 keeps the one handed in (here 7).
  const int want[] = {1, 2, 3, 19, 7, 7, 7, SAVE_TYPE_PCM24, 7};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(CurveFormat_SaveTypeOfEntry(i, 7), want[i]) << i;
  EXPECT_EQ(CurveFormat_SaveTypeOfEntry(-1, 7), 7);
  EXPECT_EQ(CurveFormat_SaveTypeOfEntry(static_cast<int>(save.size()), 7), 7);
  // Every row with a Save entry has a writer, and every pattern names one of its extensions.
  int count = 0;
  const CurveFormat* rows = CurveFormat_All(&count);
  for (int r = 0; r < count; ++r)
    for (const CurveSaveEntry& e : rows[r].Save)
      if (e.szText) {
        EXPECT_NE(rows[r].pfnWrite, nullptr) << e.szText;
        EXPECT_EQ(CurveFormat_ByExtension(e.szPattern + 1), &rows[r]) << e.szText;
      }
}

// Which save types a writer takes: the CLI refuses the others.
TEST(FormatTable, WritersTakeTheirOwnSaveTypes) {
  struct Case {
    const char* ext;  // picks the row
    int type;         // the save type
    int takes;        // the answer
  };
  const Case cases[] = {
      {".txt", SAVE_TYPE_FLOAT, 1},         {".txt", SAVE_TYPE_PCM24, 0},   {".TXT", SaveType_Quality(0.5), 0},
      {".json", SAVE_TYPE_JSON | 1, 1},     {".wav", SAVE_TYPE_FLOAT, 1},   {".wav", SAVE_TYPE_PCM24, 0},
      {".flac", SAVE_TYPE_PCM24, 1},        {".flac", SAVE_TYPE_INT16, 1},  {".flac", SaveType_Quality(1), 0},
      {".Ogg", SaveType_Quality(0.6), 1},   {".opus", SAVE_TYPE_PCM24, 0},  {".mp3", SAVE_TYPE_UINT8, 0},
      {".aif", SAVE_TYPE_PCM24, 1},         {".w64", 0, 1},
  };
  for (const Case& k : cases)
    EXPECT_EQ(CurveFormat_TakesSaveType(CurveFormat_ByExtension(k.ext), k.type), k.takes) << k.ext << " " << k.type;
  EXPECT_EQ(SaveType_QualityOf(SaveType_Quality(0.6)), 0.6);
  EXPECT_EQ(SaveType_QualityOf(SAVE_TYPE_PCM24), -1.0);
}
