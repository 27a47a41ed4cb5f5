// What the readers make of files that other programs write, walked through
// the dispatch as the editor and plotsmith-cli load them: long lines, the
// program's layout without "n_channels=", numeric and nan first rows, empty
// and word cells, decimal commas, 8-bit and contradictory WAV headers, JSON,
// and the names and notes each load leaves.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "formats/curve_file.h"
#include "formats/text_scan.h"
#include "shell/app_state.h"
#include "tests/support/test_files.h"
#include "tests/support/wave_bytes.h"

namespace {

const double kNaN = std::nan("");
const double kInf = HUGE_VAL;

// A line of 13 values as numpy.savetxt writes them ("%.18e", 324 chars).
std::string NumpyRow(int row) {
  std::string line;
  char v[40];
  for (int c = 0; c < 13; ++c) {
    std::snprintf(v, sizeof v, "%s%.18e", c ? " " : "", row * 100.0 + c + 0.5);
    line += v;
  }
  return line + "\n";
}

std::string Wav(int nch, uint32_t rate, int align, int bits, const std::string& data, int len = 16, uint32_t mask = 0) {
  std::string fmt = WaveBytes_FmtBody(len >= 40 ? 0xFFFE : 1, nch, rate, align, bits, len, 1);
  if (len >= 40) fmt.replace(20, 4, std::string{char(mask), char(mask >> 8), 0, 0});
  return WaveBytes_Riff(WaveBytes_Chunk("fmt ", fmt) + WaveBytes_Chunk("data", data));
}

// The JSON the writer makes of two channels of two samples (save type 17).
const char kJson[] =
    "{\r\n \"file_info\": \"Saved by Orvane's Plotsmith\",\r\n \"original_filename\": \"C:\\\\a\\\"b.txt\",\r\n"
    " \"samples_per_second\": 1000.000000,\r\n \"n_samples\": 2,\r\n \"n_channels\": 2,\r\n"
    " \"data_type\": \"int16\",\r\n \"array\": [\r\n  -32767,0,  32767,null\r\n ]\r\n}\r\n";

struct Case {
  const char* what;                          // what the file shows
  const char* name;                          // its name
  std::string bytes;                         // its contents
  int first;                                 // channel loaded into
  int rc;                                    // result expected
  std::vector<std::vector<double>> samples;  // samples expected from channel first on
  std::vector<const char*> names;            // names expected from channel first on
  const char* status;                        // the status text ends so ("" for no check)
};

TEST(ReaderCases, FilesOfOtherProgramsLoadAsTheyMean) {
  static AppState app;
  AppState_InitDefaults(&app);
  ChannelSet_Init(&app.Channels, 1024);
  TempDir dir;
  std::string comment = "#";
  while (comment.size() < 400) comment += " recorded at 8 kHz,";
  comment += "\n";
  const Case cases[] = {
      {"numpy savetxt, 13 columns of 324-char lines", "np.txt", NumpyRow(0) + NumpyRow(1), 0, 0,
       {{0.5, 100.5}, {1.5, 101.5}, {2.5, 102.5}, {3.5, 103.5}, {4.5, 104.5}, {5.5, 105.5}, {6.5, 106.5}, {7.5, 107.5}}, {"Channel 1"},
       ", 2 points (5 channels not loaded: all channels in use)"},
      {"a 400-char comment line is one line", "c.txt", comment + "1\n2\n", 0, 0, {{1, 2}}, {"Channel 1"}, ", 2 points"},
      {"own layout without n_channels is one channel", "own.txt",
       "samples_per_second=8000\nn_samples=12\narray=\n  1,2,3,4,5,6,7,8,9,10,\n  11,12\nend_array\n", 0, 0,
       {{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}}, {}, ", 12 points"},
      {"n_samples beyond the data", "short.txt", "n_samples=4\narray=\n1,2,3\nend_array\n", 0, 0, {{1, 2, 3}}, {},
       ", 3 points (file truncated: the data ends before its header says)"},
      {"header row names the columns", "h.csv", "left,right\n1,2\n3,4\n", 0, 0, {{1, 3}, {2, 4}}, {"left", "right"}, ""},
      {"names follow: no header gives the default", "n.csv", "1,2\n3,4\n", 0, 0, {{1, 3}, {2, 4}},
       {"Channel 1", "Channel 2"}, ", 2 points"},
      {"nan and inf in the first row are data", "nan.txt", "nan 1\n-inf inf\n", 0, 0, {{kNaN, -kInf}, {1, kInf}}, {},
       ", 2 points (1 missing value)"},
      {"empty and word cells are missing", "cells.csv", ",a,b\n0,1.5,\n1,x,2\n", 0, 0,
       {{0, 1}, {1.5, kNaN}, {kNaN, 2}}, {"Channel 1", "a", "b"}, ", 2 points (2 missing values)"},
      {"a date column behind a header row is missing", "dates.csv", "date,value\n2020-01-01,5\n2020-01-02,6\n", 0, 0,
       {{kNaN, kNaN}, {5, 6}}, {"date", "value"}, ", 2 points (2 missing values)"},
      {"each row parted its own way: separators, blanks, a tab, empty cells", "m.csv",
       "1,2,3\n4 , 5,\n6 7,8,9\n,,\n1e1;2\n 7  8\t9 \n1 2 3\n", 0, 0,
       {{1, 4, kNaN, kNaN, 10, kNaN, 1}, {2, 5, 8, kNaN, 2, 9, 2}, {3, kNaN, 9, kNaN, kNaN, kNaN, 3}}, {},
       ", 7 points (8 missing values)"},
      {"decimal commas with semicolons", "de.csv", "t;u\n1,5;-0,25\n2;3,75\n", 0, 0, {{1.5, 2}, {-0.25, 3.75}},
       {"t", "u"}, ", 2 points"},
      {"a name row into channel 3 names channel 3", "one.csv", "volts\n7\n", 2, 0, {{7}}, {"volts"}, ", 1 points"},
      {"quoted cells only: nothing is loaded", "q.csv", "\"a\",\"b\"\n\"1\",\"2\"\n", 0, 0, {{}}, {"Channel 1"},
       ", 0 points"},
      {"8-bit WAV: 128 is silence", "u8.wav", Wav(1, 8000, 1, 8, std::string("\x80\x00\xFF", 3)), 0, 0,
       {{0.0, -1.0, 127.0 / 128.0}}, {"Channel 1"}, ", 3 points"},
      {"WAV block align against channels", "bad.wav", Wav(2, 8000, 2, 16, "\0\0\0\0"), 0, 2142, {}, {},
       "(wave header contradicts itself: block align is not channels x bytes per sample)"},
      {"WAV rate above 1 MHz", "fast.wav", Wav(1, 2000000, 2, 16, ""), 0, 2143, {}, {}, "(sample rate above 1 MHz)"},
      {"WAV of nine channels", "nine.wav", Wav(9, 8000, 18, 16, ""), 0, 2144, {}, {}, "(more than eight channels)"},
      {"WAV data shorter than its header says", "cut.wav",
       WaveBytes_Riff(WaveBytes_Chunk("fmt ", WaveBytes_FmtBody(1, 1, 8000, 2, 16, 16, 1)) + std::string("data\x08\0\0\0\xFF\x7F\0\0", 12)),
       0, 0, {{1.0, 0.0}}, {}, ", 2 points (file truncated: the data ends before its header says)"},
      {"WAV channel roles name the channels", "roles.wav", Wav(2, 8000, 4, 16, std::string(4, '\0'), 40, 0x3), 0, 0,
       {{0}, {0}}, {"Front left", "Front right"}, ""},
      {"JSON as the writer makes it", "w.json", kJson, 0, 0, {{-32767, 32767}, {0, kNaN}},
       {"Channel 1", "Channel 2"}, ", 2 points (1 missing value)"},
      {"JSON in a .txt", "w.txt", kJson, 0, 0, {{-32767, 32767}, {0, kNaN}}, {}, ""},
      {"JSON cut off in the array", "cut.json", std::string(kJson).substr(0, std::string(kJson).find(" 32767,null")), 0, 0, {{-32767}, {0}}, {},
       "(file truncated: the data ends before its header says)"},
      {"other JSON is no curve", "o.json", "{\"a\": [1, 2]}", 0, 2130, {}, {}, "(Format not supported)"},
      {"other JSON in a .txt", "o.txt", "{ \"values\": 1 }", 0, 2130, {}, {}, "(Format not supported)"},
  };
  for (const Case& c : cases) {
    std::string path = dir.File(c.name);
    ASSERT_TRUE(TestFiles_Write(path, c.bytes));
    CurveLoadNotes notes;
    ChannelSet& set = app.Channels;
    int before = set.Channel[c.first].iNrOfSamples;
    int rc = LoadCurveFile(&set, &app.SpectrumHeader, path.c_str(), c.first, &notes);
    ASSERT_EQ(rc, c.rc) << c.what;
    char text[600];
    if (rc == 0) CurveFile_LoadStatusText(text, sizeof text, path.c_str(), set.Channel[c.first].iNrOfSamples, &notes);
    else CurveFile_LoadErrorText(text, sizeof text, path.c_str(), rc);
    std::string status = text, tail = c.status;
    EXPECT_EQ(status.substr(status.size() - std::min(status.size(), tail.size())), tail) << c.what;
    if (rc != 0) {  // a refusal changes nothing
      EXPECT_EQ(set.Channel[c.first].iNrOfSamples, before) << c.what;
    }
    EXPECT_EQ(notes.fEmpty, rc == 0 && set.Channel[c.first].iNrOfSamples == 0) << c.what;
    for (size_t k = 0; k < c.samples.size(); ++k) {
      const CurveChannel& ch = set.Channel[c.first + k];
      ASSERT_EQ(ch.iNrOfSamples, static_cast<int>(c.samples[k].size())) << c.what << " channel " << k;
      for (size_t i = 0; i < c.samples[k].size(); ++i) {
        double want = c.samples[k][i];
        if (std::isnan(want)) EXPECT_TRUE(std::isnan(ch.pdSamples[i])) << c.what << " " << k << "/" << i;
        else EXPECT_EQ(ch.pdSamples[i], want) << c.what << " " << k << "/" << i;
      }
    }
    for (size_t k = 0; k < c.names.size(); ++k) EXPECT_STREQ(set.Channel[c.first + k].szName, c.names[k]) << c.what;
  }
  EXPECT_EQ(app.Channels.Channel[0].dXStep, 0.001);  // the JSON's rate

  // A line longer than a reader takes fails the load and leaves nothing half read.
  std::string huge = "1\n" + std::string(TEXT_LINE_MAX_CHARS + 1, '5') + "\n";
  std::string path = dir.File("huge.txt");
  ASSERT_TRUE(TestFiles_Write(path, huge));
  EXPECT_EQ(LoadCurveFile(&app.Channels, &app.SpectrumHeader, path.c_str(), 0, nullptr), 2141);
  EXPECT_EQ(app.Channels.Channel[0].iNrOfSamples, 0);
  ChannelSet_FreeAll(&app.Channels);
}

}  // namespace
