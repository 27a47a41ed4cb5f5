// Files as other programs write them: 24- and 32-bit WAV, padded chunks,
// recordings longer than a channel, CSV columns with a header row, binary
// files under a text name, infinities among the values.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "formats/curve_file.h"
#include "formats/text_curve.h"
#include "formats/wave_file.h"
#include "shell/app_state.h"
#include "tests/support/test_files.h"
#include "tests/support/wave_bytes.h"

namespace {

class RealFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    AppState_InitDefaults(&app);
    ChannelSet_Init(&app.Channels, 1024);
  }
  void TearDown() override { ChannelSet_FreeAll(&app.Channels); }
  // Writes bytes to name in the temporary folder and loads it into first.
  int Load(const std::string& name, const std::string& bytes, int first = 0) {
    std::string p = dir.File(name);
    EXPECT_TRUE(TestFiles_Write(p, bytes));
    return LoadCurveFile(&app.Channels, &app.SpectrumHeader, p.c_str(), first, &notes);
  }
  std::string Status(int c) {
    char text[400];
    CurveFile_LoadStatusText(text, sizeof text, "f", app.Channels.Channel[c].iNrOfSamples, &notes);
    return text;
  }
  const CurveChannel& Ch(int c) const { return app.Channels.Channel[c]; }
  static AppState app;  // the record loaded into (static: large)
  CurveLoadNotes notes = {};  // the notes of the last load
  TempDir dir;  // the test's folder
};
AppState RealFiles::app;

TEST_F(RealFiles, IntegerWavesOf24And32BitsLoadScaledLikeSixteen) {
  struct Case {
    int bits;         // bits per sample
    bool extensible;  // the extensible format layout
    int nch;          // channels
  };
  const Case cases[] = {{24, false, 1}, {24, true, 2}, {32, false, 2}, {32, true, 1}};
  for (const Case& c : cases) {
    const int64_t top = c.bits == 24 ? 8388607 : 2147483647;
    std::vector<int64_t> frames;
    for (int64_t v : {top, -top - 1, int64_t{1}, int64_t{0}})
      for (int k = 0; k < c.nch; ++k) frames.push_back(k ? -v / 2 : v);
    std::string wav = WaveBytes_Riff(WaveBytes_Chunk("fmt ", WaveBytes_Fmt(1, c.nch, 44100, c.bits, c.extensible)) +
                                     WaveBytes_Chunk("data", WaveBytes_Samples(frames, c.bits / 8)));
    ASSERT_EQ(Load("deep.wav", wav), 0) << c.bits;
    for (int k = 0; k < c.nch; ++k) {
      ASSERT_EQ(Ch(k).iNrOfSamples, 4) << c.bits << " channel " << k;
      for (int i = 0; i < 4; ++i)
        EXPECT_DOUBLE_EQ(Ch(k).pdSamples[i], frames[i * c.nch + k] * (1.0 / top)) << c.bits << " " << i;
    }
    EXPECT_EQ(Ch(0).pdSamples[0], 1.0);
    EXPECT_EQ(Status(0), "Loaded file \"f\", 4 points");
  }
}

TEST_F(RealFiles, OddChunksAreReadWithAndWithoutTheirPadByte) {
  const std::string fmt = WaveBytes_Chunk("fmt ", WaveBytes_Fmt(1, 1, 8000, 16));
  const std::string data = WaveBytes_Chunk("data", WaveBytes_Samples({100, -100, 7}, 2));
  const std::string odd(13, 'i');
  const std::string layouts[] = {
      WaveBytes_Riff(fmt + WaveBytes_Chunk("LIST", odd, true) + data),   // padded, as RIFF says
      WaveBytes_Riff(fmt + WaveBytes_Chunk("LIST", odd, false) + data),  // pad left out
      WaveBytes_Riff(WaveBytes_Chunk("junk", odd, true) + fmt + data),   // padded before the format
      WaveBytes_Riff(WaveBytes_Chunk("bext", std::string(3, '\xFF'), true) + WaveBytes_Chunk("LIST", odd, true) + fmt +
                     data),
  };
  for (const std::string& wav : layouts) {
    ASSERT_EQ(Load("odd.wav", wav), 0);
    ASSERT_EQ(Ch(0).iNrOfSamples, 3);
    EXPECT_DOUBLE_EQ(Ch(0).pdSamples[2], 7 / 32767.0);
  }
}

TEST_F(RealFiles, LongRecordingsAndFullChannelsAreReported) {
  // One frame more than a channel takes, as WAV and as text.
  std::vector<int64_t> frames(CHANNEL_MAX_ALLOC + 1, 3);
  frames.back() = 5;
  ASSERT_EQ(Load("long.wav", WaveBytes_Riff(WaveBytes_Chunk("fmt ", WaveBytes_Fmt(1, 1, 8000, 16)) +
                                            WaveBytes_Chunk("data", WaveBytes_Samples(frames, 2)))),
            0);
  EXPECT_EQ(Ch(0).iNrOfSamples, CHANNEL_MAX_ALLOC);
  EXPECT_EQ(Status(0),
            "Loaded file \"f\", 1048576 points (file truncated: only the first 1048576 samples were loaded)");
  std::string lines;
  for (int i = 0; i < CHANNEL_MAX_ALLOC; ++i) lines += "2\n";
  ASSERT_EQ(Load("exact.txt", lines), 0);  // exactly full: nothing to report
  EXPECT_EQ(Status(0), "Loaded file \"f\", 1048576 points");
  ASSERT_EQ(Load("long.txt", lines + "\n9\n"), 0);
  EXPECT_EQ(Ch(0).iNrOfSamples, CHANNEL_MAX_ALLOC);
  EXPECT_TRUE(notes.fTruncated);
  ASSERT_EQ(Load("long.txt", lines + "end_array\n"), 0);  // the end line is no value
  EXPECT_FALSE(notes.fTruncated);

  // Stereo into channel 8 keeps the left channel and says so.
  std::string stereo = WaveBytes_Riff(WaveBytes_Chunk("fmt ", WaveBytes_Fmt(1, 2, 8000, 16)) +
                                      WaveBytes_Chunk("data", WaveBytes_Samples({1, 2, 3, 4}, 2)));
  ASSERT_EQ(Load("stereo.wav", stereo, 7), 0);
  EXPECT_EQ(Status(7), "Loaded file \"f\", 2 points (second channel not loaded: all channels in use)");
  ASSERT_EQ(Load("stereo.wav", stereo, 6), 0);
  EXPECT_EQ(Status(6), "Loaded file \"f\", 2 points");
  ASSERT_EQ(Load("wide.csv", "1,2,3,4\n5,6,7,8\n", 6), 0);
  EXPECT_EQ(Status(6), "Loaded file \"f\", 2 points (2 channels not loaded: all channels in use)");
}

TEST_F(RealFiles, InfinitiesAreClippedInsteadOfFlatteningTheChannel) {
  ASSERT_EQ(Load("inf.txt", "array=\n1\ninf\n-inf\n3\n"), 0);
  Channel_UpdateRange(&app.Channels.Channel[0]);  // as the editor's auto-scale does
  EXPECT_EQ(Ch(0).dDataMin, 1.0);
  EXPECT_EQ(Ch(0).dDataMax, 3.0);
  std::string out = dir.File("out.txt");
  ASSERT_EQ(SaveCurveFile(&app.Channels, &app.SpectrumHeader, out.c_str(), 0, SAVE_TYPE_INT16), 0);
  std::string text = TestFiles_Read(out);
  EXPECT_NE(text.find("\r\n  -32767,32767,-32767,32767\r\n"), std::string::npos) << text;
  std::string wav = dir.File("out.wav");
  ASSERT_EQ(SaveCurveFile(&app.Channels, &app.SpectrumHeader, wav.c_str(), 0, 0), 0);
  ASSERT_EQ(LoadCurveFile(&app.Channels, &app.SpectrumHeader, wav.c_str(), 0), 0);
  const double expected[] = {1.0, 1.0, -32768 / 32767.0, 1.0};
  for (int i = 0; i < 4; ++i) EXPECT_DOUBLE_EQ(Ch(0).pdSamples[i], expected[i]) << i;
}

TEST_F(RealFiles, WaveRateIsRoundedAndKeptWithinWhatTheReaderTakes) {
  struct Case {
    double step;    // the channel's x step
    uint32_t rate;  // the rate expected
    int clamped;    // 1 when it had to be moved into range
  };
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const Case cases[] = {
      {1.0 / 8000, 8000, 0}, {1.0 / 44100.4, 44100, 0}, {0.6, 2, 0},     {1.5, 1, 0},
      {3.0, 1, 1},           {1e-7, 1000000, 1},        {1.0 / (4294967296.0 + 8000), 1000000, 1},
      {0.0, 11025, 0},       {-1.0, 11025, 0},          {nan, 11025, 0}, {1e-320, 1000000, 1},
  };
  for (const Case& c : cases) {
    int clamped = -1;
    EXPECT_EQ(WaveFile_RateForStep(c.step, &clamped), c.rate) << c.step;
    EXPECT_EQ(clamped, c.clamped) << c.step;
  }
  // A rate below 0.5 Hz used to be written as 0 Hz, which no reader takes.
  for (int i = 0; i < 3; ++i) ChannelSet_SetSample(&app.Channels, 0, i, 0.5);
  app.Channels.Channel[0].dXStep = 5.0;
  std::string wav = dir.File("slow.wav");
  ASSERT_EQ(WaveFile_Write(wav.c_str(), &app.Channels, 0, 1), 0);
  ASSERT_EQ(LoadCurveFile(&app.Channels, &app.SpectrumHeader, wav.c_str(), 0), 0);
  EXPECT_EQ(Ch(0).dXStep, 1.0);
}

TEST_F(RealFiles, BinaryFilesUnderATextNameAreRefused) {
  ASSERT_EQ(Load("keep.txt", "4\n5\n6\n"), 0);
  const std::string utf16("\xFF\xFE" "1\0\n\0" "2\0\n\0", 10);
  const std::string gzip("\x1F\x8B\x08\x00\x00\x00\x00\x00\x00\x03\x33\xE4\x02\x00", 14);
  for (const std::string& bytes : {utf16, gzip, std::string("12\n\0\n34\n", 8)}) {
    EXPECT_EQ(Load("bin.txt", bytes), 2130);
    EXPECT_EQ(Load("bin.csv", bytes), 2130);
    ASSERT_EQ(Ch(0).iNrOfSamples, 3);
    EXPECT_EQ(Ch(0).pdSamples[2], 6.0);
  }
  // A NUL beyond the first 64 KiB is read like any other line end.
  std::string late;
  while (late.size() < 70000) late += "1\n";
  ASSERT_EQ(Load("late.txt", late + std::string(1, '\0') + "2\n"), 0);
  EXPECT_EQ(Ch(0).iNrOfSamples, 35001);
}

TEST_F(RealFiles, CsvColumnsGoToTheirOwnChannelsNamedByTheHeaderRow) {
  struct Case {
    const char* name;      // the file name
    const char* text;      // its contents
    const char* names[3];  // the channel names expected
  };
  const Case cases[] = {
      {"pandas.csv", "time,left,right\r\n0,0.5,-0.5\r\n1,0.25,-0.25\r\n2,0.0,0.0\r\n", {"time", "left", "right"}},
      {"numpy.txt", "# time,left,right\n0.000000e+00,5.0e-01,-5.0e-01\n1,0.25,-0.25\n2,0,0\n", {"time", "left", "right"}},
      {"quoted.csv", "\"t\";\"l\";\"r\"\n0;0.5;-0.5\n1;0.25;-0.25\n2;0;0\n", {"t", "l", "r"}},
      {"tabs.csv", "T\tL\tR\n0\t0.5\t-0.5\n1\t0.25\t-0.25\n\n2\t0\t0\n", {"T", "L", "R"}},
      {"two_names.csv", "left,right\n0,0.5,-0.5\n1,0.25,-0.25\n2,0,0\n", {"Channel 1", "Channel 2", "Channel 3"}},
  };
  for (const Case& c : cases) {
    TearDown();  // fresh names for each file
    SetUp();
    ASSERT_EQ(Load(c.name, c.text), 0) << c.name;
    EXPECT_EQ(app.Channels.iChannelsInUse, 3) << c.name;
    for (int k = 0; k < 3; ++k) {
      EXPECT_STREQ(Ch(k).szName, c.names[k]) << c.name;
      ASSERT_EQ(Ch(k).iNrOfSamples, 3) << c.name;
      EXPECT_EQ(Ch(k).iVisible, 1);
    }
    EXPECT_EQ(Ch(0).pdSamples[2], 2.0) << c.name;
    EXPECT_EQ(Ch(1).pdSamples[1], 0.25) << c.name;
    EXPECT_EQ(Ch(2).pdSamples[0], -0.5) << c.name;
  }
  // A row with fewer fields has missing values; an empty field between two
  // tabs keeps the columns in place.
  ASSERT_EQ(Load("short.csv", "1,2,3\n4\n7\t\t9\n"), 0);
  EXPECT_EQ(Ch(2).iNrOfSamples, 3);
  EXPECT_TRUE(std::isnan(Ch(2).pdSamples[1]));
  EXPECT_TRUE(std::isnan(Ch(1).pdSamples[2]));
  EXPECT_EQ(notes.iMissing, 3);
  EXPECT_EQ(Ch(2).pdSamples[2], 9.0);
}

}  // namespace
