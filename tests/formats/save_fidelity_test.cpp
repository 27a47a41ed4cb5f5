// What a save writes is what the channels hold, and a file the program wrote
// comes back byte for byte through load and save: one table of writer cases
// (integer types over five cycles on random data, spectrum reference digits,
// padding and its note, missing values, control characters in the name).

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "formats/curve_file.h"
#include "formats/text_curve.h"
#include "shell/app_state.h"
#include "tests/support/test_files.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// One save: what is filled, how it is saved, what the file, the status text
// and a reload must show.
struct SaveCase {
  const char* name;   // what the case shows
  std::string file;   // name saved to, in the test's folder
  int type;           // save type
  std::function<void(AppState*)> fill;           // fills the channels (and header)
  std::vector<std::string> inFile;               // texts the first file holds
  std::string note;                              // the status text after "Saved file "...""
  int cycles;                                    // load-and-save cycles that must keep the bytes
  std::function<void(const ChannelSet&)> check;  // checks the first reload (may be empty)
};

void FillValues(AppState* app, int c, const std::vector<double>& v) {
  app->Channels.Channel[c].iNrOfSamples = 0;
  for (size_t i = 0; i < v.size(); ++i) ChannelSet_SetSample(&app->Channels, c, static_cast<int>(i), v[i]);
}

void FillRandom(AppState* app, int channels, unsigned seed) {
  std::mt19937 gen(seed);
  std::uniform_real_distribution<double> dist(-3.0, 5.0);
  for (int c = 0; c < channels; ++c) {
    std::vector<double> v(1000);
    for (double& x : v) x = dist(gen);
    FillValues(app, c, v);
    app->Channels.Channel[c].dXStep = 1.0 / 8000;
  }
}

// Loads path into a fresh app as the editor and plotsmith-cli do: the file
// into channel 0, then each channel scaled to its own data.
void LoadLikeTheEditor(AppState* app, const std::string& path) {
  ChannelSet_FreeAll(&app->Channels);
  AppState_InitDefaults(app);
  ChannelSet_Init(&app->Channels, 1024);
  ASSERT_EQ(0, LoadCurveFile(&app->Channels, &app->SpectrumHeader, path.c_str(), 0)) << path;
  for (int c = 0; c < app->Channels.iChannelsInUse; ++c) Channel_UpdateRange(&app->Channels.Channel[c]);
}

TEST(SaveFidelity, WritersKeepTheDataAndSayWhatTheyChanged) {
  TempDir dir;
  const std::vector<SaveCase> cases = {
      {"int16 of random data, five cycles", "r16.txt", SAVE_TYPE_INT16, [](AppState* a) { FillRandom(a, 2, 7); },
       {"data_type=int16\r\n", "-32767", "32767"}, "", 5, nullptr},
      {"uint8 of random data, five cycles", "r8.txt", SAVE_TYPE_UINT8, [](AppState* a) { FillRandom(a, 3, 11); },
       {"data_type=uint8\r\n"}, "", 5, nullptr},
      {"int16 steps are 1/65534 of the range, rounded, 0.0 of -1..1 is 0", "steps.txt", SAVE_TYPE_INT16,
       [](AppState* a) { FillValues(a, 0, {-1.0, 0.0, 1.0, -23993.0 / 32767, 0.25}); },
       {"  -32767,0,32767,-23993,8192\r\n"}, "", 5, nullptr},
      {"reference reals read back as the same double, a newline in the name as '?'", "curve\n.ref", 0,
       [](AppState* a) {
         FillValues(a, 0, {1.5, 1.234e-7, -20.25, 1.0 / 3});
         FillValues(a, 1, {1.0});
         a->Channels.Channel[0].dXStep = 1.0 / 48000;
         a->Channels.Channel[0].dXOrigin = 0.1;
         a->SpectrumHeader.dTime = 12.5;
         a->SpectrumHeader.iCompsPerBin = 1;
         a->SpectrumHeader.iType = 1;  // float_array: "unused" with data reads back as that
       },
       {"; Original filename: \"" + dir.File("curve?.ref") + "\"\r\ntime=12.500000\r\n",
        "bin_width_hz=2.0833333333333333e-05\r\n", "offset_hz=0.100000\r\n",
        "array=\r\n1.500000\r\n1.234e-07\r\n-20.250000\r\n0.3333333333333333\r\nend\r\n"},
       " (1 other channel in use not written: the format holds one)", 5,
       [](const ChannelSet& s) {
         EXPECT_EQ(1.0 / 48000, s.Channel[0].dXStep);
         EXPECT_EQ(0.1, s.Channel[0].dXOrigin);
         EXPECT_EQ(1.234e-7, s.Channel[0].pdSamples[1]);
         EXPECT_EQ(1.0 / 3, s.Channel[0].pdSamples[3]);
       }},
      {"short channel padded with its last value, long one cut", "pad.txt", SAVE_TYPE_INT16,
       [](AppState* a) {
         FillValues(a, 0, {-1, 1, -1, 1, -1, 1});
         FillValues(a, 1, {-1, 1, 0.5, 0.25});
         FillValues(a, 2, {-1, 1, 0, 0, 0, 0, 0, 0});
         a->Channels.Channel[1].pdSamples[4] = 9.0;  // storage behind the end is never written
       },
       {"n_samples=6\r\n"}, " (channel 2 padded by 2 samples with its last value; channel 3 cut by 2 samples)", 5,
       [](const ChannelSet& s) {
         EXPECT_EQ(6, s.Channel[1].iNrOfSamples);
         EXPECT_EQ(s.Channel[1].pdSamples[3], s.Channel[1].pdSamples[4]);
         EXPECT_EQ(s.Channel[1].pdSamples[3], s.Channel[1].pdSamples[5]);
         EXPECT_EQ(6, s.Channel[2].iNrOfSamples);
       }},
      {"missing values as nan in float text", "nan.txt", SAVE_TYPE_FLOAT,
       [](AppState* a) { FillValues(a, 0, {-1.0, kNaN, 1.0}); }, {"  0,nan,1\r\n"}, "", 5,
       [](const ChannelSet& s) { EXPECT_TRUE(std::isnan(s.Channel[0].pdSamples[1])); }},
      {"missing values as null in JSON", "nan.json", SAVE_TYPE_JSON | SAVE_TYPE_FLOAT,
       [](AppState* a) { FillValues(a, 0, {-1.0, kNaN, 1.0}); }, {"  0,null,1\r\n ]"}, "", 0, nullptr},
      {"missing values as the lowest int16, counted", "nan16.txt", SAVE_TYPE_INT16,
       [](AppState* a) { FillValues(a, 0, {-1.0, kNaN, 1.0, kNaN}); }, {"  -32767,-32767,32767,-32767\r\n"},
       " (2 missing values written as -32767)", 5, nullptr},
      {"missing values as uint8 0, counted", "nan8.txt", SAVE_TYPE_UINT8,
       [](AppState* a) { FillValues(a, 0, {-1.0, kNaN, 1.0}); }, {"  0,0,255\r\n"},
       " (1 missing value written as 0)", 5, nullptr},
      {"control characters of a name become '?'", "new\nline\t.txt", SAVE_TYPE_INT16,
       [](AppState* a) { FillValues(a, 0, {-1.0, 1.0}); },
       {"; Original filename: \"" + dir.File("new?line?.txt") + "\"\r\nsamples_per_second="}, "", 5,
       [](const ChannelSet& s) { EXPECT_EQ(2, s.Channel[0].iNrOfSamples); }},
  };
  static AppState app, back;  // large: kept off the stack
  for (const SaveCase& c : cases) {
    SCOPED_TRACE(c.name);
    AppState_InitDefaults(&app);
    ChannelSet_Init(&app.Channels, 1024);
    c.fill(&app);
    std::string path = dir.File(c.file);
    CurveSaveNotes notes;
    ASSERT_EQ(0, SaveCurveFile(&app.Channels, &app.SpectrumHeader, path.c_str(), 0, c.type, &notes));
    char status[1024];
    CurveFile_SaveStatusText(status, sizeof status, path.c_str(), 0, &notes);
    EXPECT_EQ("Saved file \"" + path + "\"" + c.note, status);
    const std::string first = TestFiles_Read(path);
    for (const std::string& text : c.inFile) EXPECT_NE(std::string::npos, first.find(text)) << text << "\n" << first;
    for (int k = 0; k < c.cycles; ++k) {
      LoadLikeTheEditor(&back, path);
      if (k == 0 && c.check) c.check(back.Channels);
      ASSERT_EQ(0, SaveCurveFile(&back.Channels, &back.SpectrumHeader, path.c_str(), 0, c.type));
      ASSERT_EQ(first, TestFiles_Read(path)) << "cycle " << k + 1;
    }
    ChannelSet_FreeAll(&app.Channels);
  }
  ChannelSet_FreeAll(&back.Channels);
}

}  // namespace
