// What the program writes it reads back, a load never leaves old samples
// behind or blocks, and a save keeps the file's mode and links.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <string>

#include "formats/curve_file.h"
#include "formats/format_table.h"
#include "formats/text_curve.h"
#include "shell/app_state.h"
#include "tests/support/test_files.h"

namespace {

class RoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    for (AppState* a : {&app, &back}) {
      AppState_InitDefaults(a);
      ChannelSet_Init(&a->Channels, 1024);
    }
  }
  void TearDown() override {
    ChannelSet_FreeAll(&app.Channels);
    ChannelSet_FreeAll(&back.Channels);
  }
  void Fill(int c, int n, double scale, double step) {
    for (int i = 0; i < n; ++i) ChannelSet_SetSample(&app.Channels, c, i, scale * std::sin(i * 0.3 + c));
    app.Channels.Channel[c].dXStep = step;
  }
  static AppState app, back;  // saved from and loaded back into (static: large)
  TempDir dir;  // the test's folder
};
AppState RoundTrip::app;
AppState RoundTrip::back;

TEST_F(RoundTrip, EverythingWrittenLoadsBackWithItsChannelsAndSamples) {
  struct Case {
    const char* name;             // what the case shows
    const char* file;             // the file name saved to
    int type;                     // the save type
    std::function<void()> setup;  // fills the channels
    int channels;       // channels the reload must hold
    double tolerance;   // largest difference of a reloaded value; < 0: not compared
  };
  const Case cases[] = {
      {"rate 1e300 as text", "a.txt", SAVE_TYPE_FLOAT, [&] { Fill(0, 50, 1.0, 1e-300); }, 1, -1},
      {"rate 1e300 as json-free int16", "b.txt", SAVE_TYPE_INT16, [&] { Fill(0, 50, 1.0, 1e-300); Fill(1, 50, 2, 1); },
       2, -1},
      {"huge values and offset as ref", "c.ref", 0,
       [&] {
         Fill(0, 40, 1e300, 1e300);
         app.Channels.Channel[0].dXOrigin = -1e300;
         app.SpectrumHeader.dTime = 1e305;
         app.SpectrumHeader.dScaleFactor = -1.7e308;
       },
       1, 0.0},
      {"ordinary ref", "d.ref", 0, [&] { Fill(0, 40, 3.0, 0.5); }, 1, 5e-7},
      {"wave at 0.2 Hz", "e.wav", 0, [&] { Fill(0, 30, 0.9, 5.0); }, 1, 0.5 / 32767},
      {"wave at 2 MHz", "f.wav", 0, [&] { Fill(0, 30, 0.9, 5e-7); }, 1, 0.5 / 32767},
      {"wave at 2^32 + 8000 Hz", "g.wav", 0, [&] { Fill(0, 30, 0.9, 1.0 / (4294967296.0 + 8000)); }, 1, 0.5 / 32767},
      {"three-channel wave", "h.wav", 0, [&] { for (int c = 0; c < 3; ++c) Fill(c, 30, 0.5, 1e-3); }, 3, 0.5 / 32767},
      {"four-channel wave", "i.wav", 0, [&] { for (int c = 0; c < 4; ++c) Fill(c, 30, 0.5, 1e-3); }, 4, 0.5 / 32767},
  };
  for (const Case& c : cases) {
    TearDown();
    SetUp();
    c.setup();
    std::string p = dir.File(c.file);
    ASSERT_EQ(SaveCurveFile(&app.Channels, &app.SpectrumHeader, p.c_str(), 0, c.type), 0) << c.name;
    ASSERT_EQ(LoadCurveFile(&back.Channels, &back.SpectrumHeader, p.c_str(), 0), 0) << c.name;
    EXPECT_EQ(back.Channels.iChannelsInUse, c.channels) << c.name;
    for (int k = 0; k < c.channels; ++k) {
      const CurveChannel& a = app.Channels.Channel[k];
      const CurveChannel& b = back.Channels.Channel[k];
      ASSERT_EQ(b.iNrOfSamples, app.Channels.Channel[0].iNrOfSamples) << c.name << " channel " << k;
      for (int i = 0; c.tolerance >= 0 && i < b.iNrOfSamples; ++i)
        EXPECT_LE(std::fabs(b.pdSamples[i] - a.pdSamples[i]), c.tolerance + 1e-16 * std::fabs(a.pdSamples[i]))
            << c.name << " " << i;
    }
    EXPECT_GT(back.Channels.Channel[0].dXStep, 0.0) << c.name;
  }
}

TEST_F(RoundTrip, FilesWithoutChannelsLeaveNoStaleSamples) {
  // The start-up sine of 100 samples, then a file that says n_channels=0.
  for (const char* count : {"0", "-2"}) {
    Fill(0, 100, 1.0, 0.01);
    std::string p = dir.File("none.txt");
    ASSERT_TRUE(TestFiles_Write(p, std::string("samples_per_second=4\nn_channels=") + count + "\narray=\n1\n2\n3\n"));
    ASSERT_EQ(LoadCurveFile(&app.Channels, &app.SpectrumHeader, p.c_str(), 0), 0);
    const CurveChannel& ch = app.Channels.Channel[0];
    EXPECT_EQ(ch.iNrOfSamples, 3) << count;
    EXPECT_EQ(ch.dXStep, 0.25) << count;
    EXPECT_EQ(ch.pdSamples[2], 3.0);
  }
}

TEST_F(RoundTrip, OnlyRegularFilesAreReadSoNoLoadBlocks) {
  Fill(0, 10, 1.0, 1.0);
  std::string fifo = dir.File("pipe.txt");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  // Every extension with a reader, the sound files' among them.
  int rows = 0;
  const CurveFormat* formats = CurveFormat_All(&rows);
  for (int r = 0; r < rows; ++r) {
    if (!formats[r].pfnRead) continue;
    std::string ext(formats[r].szExtensions, std::strcspn(formats[r].szExtensions, ";"));
    std::string named = dir.File("fifo" + ext);
    ASSERT_EQ(symlink(fifo.c_str(), named.c_str()), 0);
    EXPECT_NE(LoadCurveFile(&app.Channels, &app.SpectrumHeader,
                            named.c_str(), 0), 0) << ext;  // returns at once: no writer needed
    std::string zero = dir.File("zero" + ext);
    ASSERT_EQ(symlink("/dev/zero", zero.c_str()), 0);
    EXPECT_NE(LoadCurveFile(&app.Channels, &app.SpectrumHeader, zero.c_str(), 0), 0) << ext;
  }
  EXPECT_EQ(app.Channels.Channel[0].iNrOfSamples, 10);
}

TEST_F(RoundTrip, SavesKeepTheModeAndWriteThroughLinks) {
  Fill(0, 20, 1.0, 1.0);
  for (const char* name : {"private.txt", "private.wav", "private.ref", "private.flac"}) {
    std::string p = dir.File(name);
    ASSERT_TRUE(TestFiles_Write(p, "old"));
    ASSERT_EQ(chmod(p.c_str(), 0600), 0);
    ASSERT_EQ(SaveCurveFile(&app.Channels, &app.SpectrumHeader, p.c_str(), 0, SAVE_TYPE_INT16), 0) << name;
    struct stat st;
    ASSERT_EQ(stat(p.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u) << name;
  }
  // A new file gets what the umask leaves of 0666.
  mode_t old = umask(027);
  std::string fresh = dir.File("fresh.txt");
  ASSERT_EQ(SaveCurveFile(&app.Channels, &app.SpectrumHeader, fresh.c_str(), 0, SAVE_TYPE_INT16), 0);
  umask(old);
  struct stat st;
  ASSERT_EQ(stat(fresh.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  // Saving onto a link saves into the file it points to; the link stays.
  std::string real = dir.File("real.txt"), link = dir.File("link.txt");
  ASSERT_TRUE(TestFiles_Write(real, "old"));
  ASSERT_EQ(symlink("real.txt", link.c_str()), 0);
  ASSERT_EQ(SaveCurveFile(&app.Channels, &app.SpectrumHeader, link.c_str(), 0, SAVE_TYPE_INT16), 0);
  ASSERT_EQ(lstat(link.c_str(), &st), 0);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
  EXPECT_NE(TestFiles_Read(real).find("n_samples=20"), std::string::npos);
  EXPECT_EQ(TestFiles_CountEntries(dir.szPath), 7);  // no temporary left behind
}

}  // namespace
