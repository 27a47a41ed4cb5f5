// Sound files through libsndfile: every written format reads back with its
// channels, rate and values (exact for PCM and FLAC, close for the lossy
// ones); the WAV layouts the own reader refuses load through the library;
// big WAV data switches to RF64; damaged and refused files give clear errors.

#include <gtest/gtest.h>
#include <sndfile.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "formats/curve_file.h"
#include "formats/sound_file.h"
#include "shell/app_state.h"
#include "tests/support/test_files.h"

namespace {

constexpr int kFrames = 9600;  // 0.2 s at 48 kHz

class SoundFileTest : public ::testing::Test {
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
    SoundFile_SetRf64Threshold(0xFFFFFFFFull - 60);
  }
  // Two tones a fifth apart (one per channel) at 48 kHz, with a little noise
  // so that no value repeats.
  void FillTones(int nch, int rate) {
    for (int c = 0; c < nch; ++c) {
      for (int i = 0; i < kFrames; ++i)
        ChannelSet_SetSample(&app.Channels, c, i, 0.6 * std::sin(i * (c + 2) * 2 * M_PI * 220 / rate) +
                                                      1e-3 * std::sin(i * 1.7 + c));
      app.Channels.Channel[c].dXStep = 1.0 / rate;
    }
  }
  int Load(const std::string& path, CurveLoadNotes* notes = nullptr) {
    for (int c = 0; c < MAX_CHANNELS; ++c) back.Channels.Channel[c].iNrOfSamples = 0;
    back.Channels.iChannelsInUse = 0;
    return LoadCurveFile(&back.Channels, &back.SpectrumHeader, path.c_str(), 0, notes);
  }
  const CurveChannel& Back(int c) const { return back.Channels.Channel[c]; }
  static AppState app, back;  // saved from and loaded back into (static: large)
  TempDir dir;                // the test's folder
};
AppState SoundFileTest::app;
AppState SoundFileTest::back;

// Largest difference and correlation of the first n samples of two channels.
void Compare(const CurveChannel& a, const CurveChannel& b, int n, double* maxErr, double* corr) {
  double sab = 0, saa = 0, sbb = 0;
  *maxErr = 0;
  for (int i = 0; i < n; ++i) {
    double x = a.pdSamples[i], y = b.pdSamples[i];
    *maxErr = std::fmax(*maxErr, std::fabs(x - y));
    sab += x * y, saa += x * x, sbb += y * y;
  }
  *corr = sab / std::sqrt(saa * sbb);
}

TEST_F(SoundFileTest, EveryWrittenFormatReadsBackWithinItsPrecision) {
  struct Case {
    const char* file;    // the name saved to: its extension picks the reader
    int encoding;        // SoundEncoding
    int bits;            // 16 or 24 (0 for the lossy ones)
    int rate;            // Hz
    int nch;             // channels written
    double quantum;      // > 0: values come back as round(v * quantum) * (1 / quantum) exactly
    double minCorr;      // lossy: least correlation of what comes back (after the codec delay)
  };
  const Case cases[] = {
      {"a16.flac", SOUND_FLAC, 16, 48000, 2, 32767, 0},     {"a24.flac", SOUND_FLAC, 24, 96000, 1, 8388607, 0},
      {"b16.aiff", SOUND_AIFF, 16, 44100, 2, 32767, 0},     {"b24.aif", SOUND_AIFF, 24, 8000, 3, 8388607, 0},
      {"c16.caf", SOUND_CAF, 16, 22050, 1, 32767, 0},       {"c24.caf", SOUND_CAF, 24, 48000, 8, 8388607, 0},
      {"d16.w64", SOUND_W64, 16, 1000, 2, 32767, 0},        {"d24.w64", SOUND_W64, 24, 48000, 2, 8388607, 0},
      {"e16.rf64", SOUND_RF64, 16, 11025, 4, 32767, 0},     {"f.ogg", SOUND_VORBIS, 0, 44100, 2, 0, 0.99},
      {"g.opus", SOUND_OPUS, 0, 48000, 2, 0, 0.99},        {"h.mp3", SOUND_MP3, 0, 48000, 2, 0, 0.99},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.file);
    if (k.encoding == SOUND_MP3 && !SoundFile_CanWrite(SOUND_MP3)) continue;
    FillTones(k.nch, k.rate);
    SoundWriteOptions opt{};
    opt.iEncoding = k.encoding;
    opt.iBits = k.bits;
    opt.dQuality = 0.9;
    opt.fQualitySet = k.quantum == 0;
    ASSERT_EQ(SoundFile_Write(dir.File(k.file).c_str(), &app.Channels, 0, k.nch, &opt), 0);
    CurveLoadNotes notes;
    ASSERT_EQ(Load(dir.File(k.file), &notes), 0);
    EXPECT_EQ(notes.fDamaged, 0);
    EXPECT_EQ(back.Channels.iChannelsInUse, k.nch);
    for (int c = 0; c < k.nch; ++c) {
      EXPECT_DOUBLE_EQ(Back(c).dXStep, 1.0 / k.rate);
      ASSERT_EQ(Back(c).iNrOfSamples, kFrames);
      const CurveChannel& src = app.Channels.Channel[c];
      if (k.quantum > 0) {
        for (int i = 0; i < kFrames; ++i)
          ASSERT_EQ(Back(c).pdSamples[i], std::round(src.pdSamples[i] * k.quantum) * (1.0 / k.quantum)) << i;
      } else {
        double maxErr, corr;
        Compare(src, Back(c), kFrames, &maxErr, &corr);
        EXPECT_GT(corr, k.minCorr);
        EXPECT_LT(maxErr, 0.2);
      }
    }
  }
}

TEST_F(SoundFileTest, ShortChannelIsPaddedWithItsLastValueAndSaidSo) {
  FillTones(2, 48000);
  app.Channels.Channel[1].iNrOfSamples = kFrames - 100;
  app.Channels.Channel[1].pdSamples[10] = std::nan("");  // a missing value is written as 0
  std::string path = dir.File("short.flac");
  CurveSaveNotes notes;
  ASSERT_EQ(SaveCurveFile(&app.Channels, &app.SpectrumHeader, path.c_str(), 0, 0, &notes), 0);
  char status[512];
  CurveFile_SaveStatusText(status, sizeof status, path.c_str(), 0, &notes);
  EXPECT_NE(std::string(status).find("channel 2 padded by 100 samples with its last value"), std::string::npos)
      << status;
  ASSERT_EQ(Load(path), 0);
  ASSERT_EQ(Back(1).iNrOfSamples, kFrames);
  EXPECT_EQ(Back(1).pdSamples[10], 0.0);
  double last = std::round(app.Channels.Channel[1].pdSamples[kFrames - 101] * 32767) * (1.0 / 32767);
  for (int i = kFrames - 101; i < kFrames; ++i) ASSERT_EQ(Back(1).pdSamples[i], last) << i;
}

TEST_F(SoundFileTest, WaveLayoutsTheOwnReaderRefusesLoadThroughTheLibrary) {
  struct Case {
    const char* name;  // what the layout is
    int format;        // libsndfile's format word
    double maxErr;     // largest difference from the values written
  };
  const Case cases[] = {
      {"A-law", SF_FORMAT_WAV | SF_FORMAT_ALAW, 0.02},
      {"mu-law", SF_FORMAT_WAV | SF_FORMAT_ULAW, 0.02},
      {"IMA ADPCM", SF_FORMAT_WAV | SF_FORMAT_IMA_ADPCM, 0.05},
      {"MS ADPCM", SF_FORMAT_WAV | SF_FORMAT_MS_ADPCM, 0.05},
      {"GSM 6.10", SF_FORMAT_WAV | SF_FORMAT_GSM610, 0.3},
      {"64-bit float", SF_FORMAT_WAV | SF_FORMAT_DOUBLE, 0},
      {"big-endian RIFX", SF_FORMAT_WAV | SF_FORMAT_PCM_16 | SF_ENDIAN_BIG, 0},
  };
  // A slow tone that every codec carries, at values k / 32767 so that the
  // lossless layouts compare exactly.
  std::vector<double> want(kFrames);
  for (int i = 0; i < kFrames; ++i) want[i] = std::round(0.5 * std::sin(i * 2 * M_PI * 200 / 8000) * 32767) / 32767;
  for (const Case& k : cases) {
    SCOPED_TRACE(k.name);
    std::string path = dir.File("layout.wav");
    SF_INFO info{};
    info.samplerate = 8000, info.channels = 1, info.format = k.format;
    SNDFILE* sf = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(sf, nullptr) << sf_strerror(nullptr);
    std::vector<int> ints(kFrames);
    for (int i = 0; i < kFrames; ++i) ints[i] = static_cast<int>(std::lround(want[i] * 32767)) * 65536;
    if ((k.format & SF_FORMAT_SUBMASK) == SF_FORMAT_DOUBLE)
      sf_writef_double(sf, want.data(), kFrames);
    else
      sf_writef_int(sf, ints.data(), kFrames);
    sf_close(sf);
    ASSERT_EQ(Load(path), 0);
    EXPECT_DOUBLE_EQ(Back(0).dXStep, 1.0 / 8000);
    ASSERT_GE(Back(0).iNrOfSamples, kFrames - 320);  // GSM and ADPCM fill their last block
    double err = 0;
    // The codecs lag a few samples at the start; compare from 320 on.
    for (int i = 320; i < kFrames - 320; ++i) err = std::fmax(err, std::fabs(Back(0).pdSamples[i] - want[i]));
    EXPECT_LE(err, k.maxErr);
  }
}

TEST_F(SoundFileTest, WaveDataPastTheLimitIsWrittenAsRf64AndSaidSo) {
  FillTones(2, 48000);
  std::string path = dir.File("big.wav");
  CurveSaveNotes notes;
  char status[512];
  // Below the limit: the own writer, a RIFF file.
  ASSERT_EQ(SaveCurveFile(&app.Channels, &app.SpectrumHeader, path.c_str(), 0, 0, &notes), 0);
  EXPECT_EQ(TestFiles_Read(path).substr(0, 4), "RIFF");
  EXPECT_EQ(notes.fRf64, 0);
  // Past the (lowered) limit: RF64 with the same values.
  SoundFile_SetRf64Threshold(kFrames * 4 - 1);
  ASSERT_EQ(SaveCurveFile(&app.Channels, &app.SpectrumHeader, path.c_str(), 0, 0, &notes), 0);
  EXPECT_EQ(TestFiles_Read(path).substr(0, 4), "RF64");
  CurveFile_SaveStatusText(status, sizeof status, path.c_str(), 0, &notes);
  EXPECT_EQ(std::string(status), "Saved file \"" + path + "\" as RF64 (the data passes 4 GiB)");
  ASSERT_EQ(Load(path), 0);
  ASSERT_EQ(Back(1).iNrOfSamples, kFrames);
  for (int i = 0; i < kFrames; ++i)
    ASSERT_EQ(Back(1).pdSamples[i], std::round(app.Channels.Channel[1].pdSamples[i] * 32767) * (1.0 / 32767));
}

TEST_F(SoundFileTest, RefusedAndDamagedFilesGiveClearErrorsAndLoseNothing) {
  FillTones(2, 48000);
  char status[512];
  // A rate the format cannot store: refused with the library's reason, the
  // previous file untouched.
  std::string opus = dir.File("a.opus");
  ASSERT_TRUE(TestFiles_Write(opus, "keep"));
  app.Channels.Channel[0].dXStep = 1.0 / 44100;
  CurveSaveNotes saveNotes;
  int rc = SaveCurveFile(&app.Channels, &app.SpectrumHeader, opus.c_str(), 0, 0, &saveNotes);
  EXPECT_EQ(rc, 2105);
  CurveFile_SaveStatusText(status, sizeof status, opus.c_str(), rc, &saveNotes);
  EXPECT_NE(std::string(status).find("(not a supported data type: Opus only supports sample rates"),
            std::string::npos) << status;
  EXPECT_EQ(TestFiles_Read(opus), "keep");
  EXPECT_EQ(TestFiles_CountEntries(dir.szPath), 1);
  // A FLAC rate its frames cannot carry (above 65535 Hz and not in tens of Hz).
  std::string oddFlac = dir.File("odd.flac");
  app.Channels.Channel[0].dXStep = 1.0 / 96001;
  EXPECT_EQ(SaveCurveFile(&app.Channels, &app.SpectrumHeader, oddFlac.c_str(), 0, 0, &saveNotes), 2105);
  EXPECT_STREQ(saveNotes.szReason, "FLAC cannot hold 2 channels at 96001 Hz");
  EXPECT_EQ(TestFiles_CountEntries(dir.szPath), 1);
  // More channels than the format holds: named as such.
  if (SoundFile_CanWrite(SOUND_MP3)) {
    FillTones(3, 48000);
    std::string mp3 = dir.File("three.mp3");
    EXPECT_EQ(SaveCurveFile(&app.Channels, &app.SpectrumHeader, mp3.c_str(), 0, 0, &saveNotes), 2105);
    EXPECT_STREQ(saveNotes.szReason, "MP3 cannot hold 3 channels at 48000 Hz");
    EXPECT_EQ(TestFiles_CountEntries(dir.szPath), 1);
    app.Channels.Channel[2].iNrOfSamples = 0;
    app.Channels.iChannelsInUse = 2;
  }

  // Not a sound file at all: "Format not supported" and the library's reason.
  std::string junk = dir.File("junk.flac");
  ASSERT_TRUE(TestFiles_Write(junk, "this is not FLAC\n"));
  CurveLoadNotes notes;
  rc = Load(junk, &notes);
  EXPECT_EQ(rc, 2130);
  CurveFile_LoadErrorText(status, sizeof status, junk.c_str(), rc, &notes);
  EXPECT_EQ(std::string(status), "ERROR: failed to load \"" + junk + "\" (Format not supported: " +
                                     notes.szReason + ")");
  EXPECT_NE(notes.szReason[0], '\0');
  // A text file named .wav keeps the wave reader's own answer.
  std::string text = dir.File("text.wav");
  ASSERT_TRUE(TestFiles_Write(text, "1\n2\n3\n4\n5\n6\n7\n"));
  EXPECT_EQ(Load(text, &notes), 2102);
  EXPECT_EQ(notes.szReason[0], '\0');

  // A FLAC file cut in half loads the frames before the cut and says so.
  app.Channels.Channel[0].dXStep = 1.0 / 48000;
  std::string flac = dir.File("cut.flac");
  ASSERT_EQ(SaveCurveFile(&app.Channels, &app.SpectrumHeader, flac.c_str(), 0, 0), 0);
  std::string bytes = TestFiles_Read(flac);
  ASSERT_TRUE(TestFiles_Write(flac, bytes.substr(0, bytes.size() / 2)));
  ASSERT_EQ(Load(flac, &notes), 0);
  EXPECT_EQ(notes.fDamaged, 1);
  EXPECT_GT(Back(0).iNrOfSamples, 0);
  EXPECT_LT(Back(0).iNrOfSamples, kFrames);
  CurveFile_LoadStatusText(status, sizeof status, flac.c_str(), Back(0).iNrOfSamples, &notes);
  EXPECT_NE(std::string(status).find("(file truncated: only the frames that decode were loaded)"),
            std::string::npos);

  // Every written format, cut and with flipped bytes, loads or fails cleanly.
  const char* names[] = {"d.flac", "d.ogg", "d.opus", "d.aiff", "d.caf", "d.w64", "d.rf64", "d.mp3"};
  for (const char* name : names) {
    std::string path = dir.File(name);
    if (SaveCurveFile(&app.Channels, &app.SpectrumHeader, path.c_str(), 0, 0) != 0) continue;
    std::string good = TestFiles_Read(path);
    for (size_t cut : {size_t{0}, size_t{4}, size_t{60}, good.size() / 3, good.size() - 1}) {
      for (int flip = 0; flip < 2; ++flip) {
        std::string bad = good.substr(0, cut);
        for (size_t i = 7; flip && i < bad.size(); i += 97) bad[i] = static_cast<char>(bad[i] ^ 0x5A);
        ASSERT_TRUE(TestFiles_Write(path, bad));
        rc = Load(path, &notes);
        EXPECT_TRUE(rc == 0 || rc == 2130) << name << " cut " << cut << " rc " << rc;
        EXPECT_LE(Back(0).iNrOfSamples, kFrames * 2);
      }
    }
  }
}

TEST_F(SoundFileTest, ChannelsBeyondTheEighthAreNamedInTheNotes) {
  std::string path = dir.File("ten.w64");
  SF_INFO info{};
  info.samplerate = 2000, info.channels = 10, info.format = SF_FORMAT_W64 | SF_FORMAT_PCM_16;
  SNDFILE* sf = sf_open(path.c_str(), SFM_WRITE, &info);
  ASSERT_NE(sf, nullptr);
  std::vector<int> frame(10);
  for (int i = 0; i < 100; ++i) {
    for (int c = 0; c < 10; ++c) frame[c] = (c * 1000 + i) * 65536;
    sf_writef_int(sf, frame.data(), 1);
  }
  sf_close(sf);
  CurveLoadNotes notes;
  ASSERT_EQ(Load(path, &notes), 0);
  EXPECT_EQ(notes.iChannelsLoaded, 8);
  EXPECT_EQ(notes.iChannelsSkipped, 2);
  EXPECT_EQ(Back(7).pdSamples[5], 7005 / 32767.0);
  EXPECT_DOUBLE_EQ(Back(7).dXStep, 1.0 / 2000);
}

}  // namespace
