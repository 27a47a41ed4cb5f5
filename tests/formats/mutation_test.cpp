// Robustness of every reader: valid files of each format are mutated with a
// fixed seed (byte flips, truncations, huge size fields, duplicated and
// inserted runs) and loaded through the dispatcher.  No load may crash, hang
// or read out of bounds (the sanitizer build checks the last), each result is
// 0 or a known code, a refused load changes no channel, and the channel
// invariants hold afterwards.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "formats/curve_file.h"
#include "formats/spectrum_ref.h"
#include "formats/text_curve.h"
#include "formats/wave_file.h"
#include "shell/app_state.h"
#include "tests/support/test_files.h"
#include "tests/support/wave_bytes.h"

namespace {

// 0x10015 is ERROR_SYSTEM_BASE + EISDIR: a folder given a data file's name.
constexpr int kKnownCodes[] = {0, 2101, 2102, 2103, 2105, 2106, 2129, 2130, 2141, 2142, 2143, 2144, 0x10000 + 21};

struct Sample {
  std::string name;  // what the sample shows
  std::string ext;  // its file name extension
  std::string bytes;  // the file as saved
};

// Small deterministic generator, so every run tests the same variants.
struct Lcg {
  uint64_t state;
  uint32_t Next() {
    state = state * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<uint32_t>(state >> 33);
  }
  uint32_t Below(uint32_t n) { return n ? Next() % n : 0; }
};

// A wave file with a 16- or 40-byte format chunk, a LIST chunk and n frames
// of the given layout; samples are a ramp of bytes.
std::string WaveBytes(int tag, int nch, int bits, int fmtLen, int subFormat, int frames) {
  int align = nch * bits / 8;
  std::string data;
  for (int i = 0; i < frames * align; ++i) {
    if (bits == 32 && i % 4 == 3) data.push_back(0x3E);  // keeps the floats finite
    else data.push_back(static_cast<char>(i * 37));
  }
  return WaveBytes_Riff(WaveBytes_Chunk("fmt ", WaveBytes_FmtBody(tag, nch, 22050, align, bits, fmtLen, subFormat)) +
                        WaveBytes_Chunk("LIST", "INFOx") + WaveBytes_Chunk("data", data));
}

class MutationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = TestFiles_MakeTempDir();
    app.reset(new AppState());
  }
  void TearDown() override {
    ChannelSet_FreeAll(&app->Channels);
    TestFiles_RemoveTree(dir);
  }

  // A cleared record whose channels hold a recognisable curve.
  void FreshApp() {
    ChannelSet_FreeAll(&app->Channels);
    std::memset(app.get(), 0, sizeof(AppState));
    ChannelSet_Init(&app->Channels, 256);
    for (int c = 0; c < 3; ++c) {
      for (int i = 0; i < 200; ++i) ChannelSet_SetSample(&app->Channels, c, i, std::sin(i * 0.05 + c));
      app->Channels.Channel[c].dXStep = 0.01;
    }
  }

  // Valid files of every format, made by the program's own writers where it
  // has one and by byte builders for the wave layouts it only reads.
  std::vector<Sample> BuildSamples() {
    std::vector<Sample> out;
    struct Saved {
      const char* name;
      const char* ext;
      int nch;
      int type;
    };
    const Saved saved[] = {
        {"text int16", ".txt", 1, SAVE_TYPE_INT16},   {"text uint8", ".txt", 1, SAVE_TYPE_UINT8},
        {"text float", ".txt", 1, SAVE_TYPE_FLOAT},   {"text three channels", ".txt", 3, SAVE_TYPE_FLOAT},
        {"text json layout", ".txt", 2, SAVE_TYPE_JSON + SAVE_TYPE_FLOAT},
        {"wav written", ".wav", 2, 0},                {"ref written", ".ref", 1, 0},
    };
    for (const Saved& s : saved) {
      FreshApp();
      ChannelSet* set = &app->Channels;
      set->iChannelsInUse = s.nch;
      std::string p = dir + "/base" + s.ext;
      int rc;
      if (std::strcmp(s.ext, ".wav") == 0) rc = WaveFile_Write(p.c_str(), set, 0, s.nch);
      else if (std::strcmp(s.ext, ".ref") == 0) rc = SpectrumRef_Write(p.c_str(), set, 0, &app->SpectrumHeader);
      else rc = TextCurve_Write(p.c_str(), set, 0, s.nch, s.type);
      EXPECT_EQ(rc, 0) << s.name;
      out.push_back({s.name, s.ext, TestFiles_Read(p)});
    }
    out.push_back({"wav 8-bit mono", ".wav", WaveBytes(1, 1, 8, 16, 1, 150)});
    out.push_back({"wav 8-bit stereo", ".wav", WaveBytes(1, 2, 8, 16, 1, 150)});
    out.push_back({"wav 16-bit mono", ".wav", WaveBytes(1, 1, 16, 16, 1, 150)});
    out.push_back({"wav float mono", ".wav", WaveBytes(3, 1, 32, 16, 3, 100)});
    out.push_back({"wav float stereo", ".wav", WaveBytes(3, 2, 32, 16, 3, 100)});
    out.push_back({"wav extensible pcm stereo", ".wav", WaveBytes(0xFFFE, 2, 16, 40, 1, 120)});
    out.push_back({"wav extensible float mono", ".wav", WaveBytes(0xFFFE, 1, 32, 40, 3, 120)});
    return out;
  }

  // One mutation of base, chosen by the generator.
  static std::string Mutate(const std::string& base, Lcg* rng) {
    std::string s = base;
    static const uint32_t kHuge[] = {0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFF8u, 0x00100000u};
    int rounds = 1 + static_cast<int>(rng->Below(3));
    for (int r = 0; r < rounds; ++r) {
      uint32_t len = static_cast<uint32_t>(s.size());
      switch (rng->Below(7)) {
        case 0:  // flip a few bytes
          for (int k = 0, n = 1 + rng->Below(8); k < n && len; ++k) s[rng->Below(len)] ^= static_cast<char>(1 + rng->Below(255));
          break;
        case 1:  // truncate
          s.resize(rng->Below(len + 1));
          break;
        case 2: {  // overwrite a 32-bit field with a huge size (chunk sizes sit at 4, 16, 64 ...)
          static const uint32_t kFields[] = {4, 16, 20, 24, 28, 32, 34, 64};
          uint32_t at = rng->Below(2) ? kFields[rng->Below(8)] : rng->Below(len + 1);
          std::string v;
          WaveBytes_Put32(&v, kHuge[rng->Below(5)]);
          if (at + 4 <= len) s.replace(at, 4, v);
          else s.insert(at > len ? len : at, v);
          break;
        }
        case 3: {  // duplicate a run
          uint32_t a = rng->Below(len + 1), n = rng->Below(len - a + 1);
          s.insert(a, s.substr(a, n));
          break;
        }
        case 4: {  // insert text that the line readers find interesting
          static const char* kBits[] = {"\n", "\r", "=", "-", "end\r\n", "array=\r\n", "nr_of_bins=99999999\r\n",
                                        "1e308\n", "nan\n", "\xEF\xBB\xBF", "\xF0\x9F\x98", "\0", "9999999999999999999"};
          const char* b = kBits[rng->Below(13)];
          s.insert(rng->Below(len + 1), std::string(b, *b ? std::strlen(b) : 1));
          break;
        }
        case 5:  // drop a run
          if (len) {
            uint32_t a = rng->Below(len);
            s.erase(a, rng->Below(len - a + 1));
          }
          break;
        default:  // random garbage run
          for (int k = 0, n = 1 + rng->Below(64); k < n; ++k)
            s.insert(s.begin() + rng->Below(static_cast<uint32_t>(s.size()) + 1), static_cast<char>(rng->Next()));
          break;
      }
    }
    return s;
  }

  // Loads bytes under the given extension into a fresh record and checks the
  // result and the invariants.
  // Returns the load's result.
  int LoadAndCheck(const std::string& bytes, const std::string& ext, const std::string& what) {
    FreshApp();
    std::string p = dir + "/m" + ext;
    if (!TestFiles_Write(p, bytes)) {
      ADD_FAILURE() << "cannot write " << p;
      return -1;
    }
    int first = static_cast<int>(bytes.size() % 8);
    return CheckLoad(p, first, what);
  }

  int CheckLoad(const std::string& path, int first, const std::string& what) {
    ChannelSet* set = &app->Channels;
    std::vector<std::vector<double>> before;
    for (const CurveChannel& ch : set->Channel)
      before.emplace_back(ch.pdSamples, ch.pdSamples + ch.iNrOfSamples);
    int rc = LoadCurveFile(&app->Channels, &app->SpectrumHeader, path.c_str(), first);
    bool known = false;
    for (int k : kKnownCodes) known = known || rc == k;
    EXPECT_TRUE(known) << what << ": code " << rc;
    EXPECT_GE(set->iChannelsInUse, 0) << what;
    EXPECT_LE(set->iChannelsInUse, MAX_CHANNELS) << what;
    for (int c = 0; c < MAX_CHANNELS; ++c) {
      const CurveChannel& ch = set->Channel[c];
      EXPECT_GE(ch.iNrOfSamples, 0) << what;
      EXPECT_LE(ch.iNrOfSamples, ch.iAllocated) << what << " channel " << c;
      EXPECT_LE(ch.iAllocated, CHANNEL_MAX_ALLOC) << what;
      if (rc != 0) {
        EXPECT_EQ(std::vector<double>(ch.pdSamples, ch.pdSamples + ch.iNrOfSamples), before[c])
            << what << ": refused load changed channel " << c;
      }
    }
    return rc;
  }

  std::string dir;  // the test's folder
  std::unique_ptr<AppState> app;  // the record loaded into (on the heap: large)
};

TEST_F(MutationTest, ValidFilesOfEveryFormatLoad) {
  for (const Sample& s : BuildSamples()) {
    FreshApp();
    std::string p = dir + "/valid" + s.ext;
    ASSERT_TRUE(TestFiles_Write(p, s.bytes));
    EXPECT_EQ(LoadCurveFile(&app->Channels, &app->SpectrumHeader, p.c_str(), 0), 0) << s.name;
    EXPECT_GT(app->Channels.Channel[0].iNrOfSamples, 50) << s.name;
  }
}

TEST_F(MutationTest, MutatedFilesNeverBreakTheReaders) {
  const std::vector<Sample> samples = BuildSamples();
  Lcg rng{20261207};
  const int kPerSample = 180;
  int loaded = 0, refusedWaves = 0, acceptedWaves = 0;
  for (const Sample& s : samples) {
    for (int v = 0; v < kPerSample; ++v) {
      int rc = LoadAndCheck(Mutate(s.bytes, &rng), s.ext, s.name + " variant " + std::to_string(v));
      ++loaded;
      if (s.ext == ".wav") (rc == 0 ? acceptedWaves : refusedWaves) += 1;
      if (HasFailure()) return;  // one broken variant is enough to report
    }
  }
  EXPECT_EQ(loaded, kPerSample * static_cast<int>(samples.size()));
  // The mutations reach both the refusals and the sample loops.
  EXPECT_GT(refusedWaves, 100);
  EXPECT_GT(acceptedWaves, 100);
}

TEST_F(MutationTest, HostileInputsUnderEveryExtension) {
  Lcg rng{7};
  std::string garbage;
  for (int i = 0; i < 70000; ++i) garbage.push_back(static_cast<char>(rng.Next()));
  std::string riffHuge = "RIFF\xFF\xFF\xFF\xFFWAVEfmt \xFF\xFF\xFF\xFF";
  std::string dataFirst = "RIFF\x20\0\0\0WAVEdata\xFF\xFF\xFF\xFF";
  dataFirst.append(64, '\x01');
  const std::pair<const char*, std::string> inputs[] = {
      {"empty", ""},
      {"one byte", "R"},
      {"garbage", garbage},
      {"10 MB line without line end", std::string(10 * 1024 * 1024, '5')},
      {"10 MB line of letters", "array=\n" + std::string(10 * 1024 * 1024, 'x')},
      {"huge riff and fmt sizes", riffHuge},
      {"data before fmt", dataFirst},
      {"only line ends", std::string(100000, '\n')},
  };
  for (const char* ext : {".txt", ".wav", ".ref"}) {
    for (const auto& in : inputs) LoadAndCheck(in.second, ext, std::string(in.first) + " as " + ext);
    std::string sub = dir + "/folder" + ext;
    ASSERT_EQ(mkdir(sub.c_str(), 0700), 0);
    FreshApp();
    CheckLoad(sub, 0, std::string("directory named ") + ext);
    EXPECT_NE(LoadCurveFile(&app->Channels, &app->SpectrumHeader,
                            sub.c_str(), 0), 0) << "directory " << ext;
    EXPECT_NE(LoadCurveFile(&app->Channels, &app->SpectrumHeader,
                            (dir + "/missing" + ext).c_str(), 0), 0) << ext;
  }
}

}  // namespace
