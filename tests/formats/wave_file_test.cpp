// Wave file reader and writer: golden bytes, variants, refusals, round trips
// and write failures.

#include "formats/wave_file.h"

#include "winutil/error_text.h"
#include "tests/support/test_files.h"
#include "tests/support/wave_bytes.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

void WriteBytes(const std::string& path, const std::string& bytes) { ASSERT_TRUE(TestFiles_Write(path, bytes)); }

// The chunk and file builders of tests/support/wave_bytes.h by short names.
std::string Chunk(const char* id, const std::string& body) { return WaveBytes_Chunk(id, body); }
std::string Riff(const std::string& chunks) { return WaveBytes_Riff(chunks); }

// A format chunk body of len bytes (16, 18, 40 or more).
std::string FmtBody(int tag, int nch, uint32_t rate, int align, int bits, int len = 16, int subFormat = 1) {
  return WaveBytes_FmtBody(tag, nch, rate, align, bits, len, subFormat);
}

std::string Pcm16(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) WaveBytes_Put16(&s, static_cast<uint16_t>(static_cast<int16_t>(v)));
  return s;
}

class WaveFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(&set, 0, sizeof(set));
    ChannelSet_Init(&set, 1024);
    dir = TestFiles_MakeTempDir();
  }
  void TearDown() override {
    ChannelSet_FreeAll(&set);
    TestFiles_RemoveTree(dir);
  }
  std::string Path(const char* name) const { return dir + "/" + name; }
  int Load(const std::string& bytes, int first = 0) {
    std::string p = Path("in.wav");
    WriteBytes(p, bytes);
    return WaveFile_Read(p.c_str(), &set, first);
  }
  void Fill(int c, int n, double start, double step) {
    for (int i = 0; i < n; ++i) ChannelSet_SetSample(&set, c, i, start + i * step);
  }
  ChannelSet set;  // the channels loaded into and saved from
  std::string dir;  // the test's folder
};

TEST_F(WaveFileTest, WriterProducesTheExactHeaderAndSize) {
  set.Channel[0].iNrOfSamples = 0;
  for (int i = 0; i < 1000; ++i) ChannelSet_SetSample(&set, 0, i, 0.0);
  set.Channel[0].dXStep = 1.0 / 8000.0;
  std::string p = Path("out.wav");
  ASSERT_EQ(WaveFile_Write(p.c_str(), &set, 0, 1), 0);
  std::string got = TestFiles_Read(p);
  ASSERT_EQ(got.size(), 2068u);
  const unsigned char expected[68] = {
      'R', 'I', 'F', 'F', 0x0C, 0x08, 0, 0,  // 2060
      'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 40, 0, 0, 0,
      1, 0, 1, 0,                      // PCM, one channel
      0x40, 0x1F, 0, 0,                // 8000
      0x80, 0x3E, 0, 0,                // 16000
      2, 0, 16, 0,                     // align 2, 16 bits
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      'd', 'a', 't', 'a', 0xD0, 0x07, 0, 0};  // 2000
  EXPECT_EQ(std::memcmp(got.data(), expected, 68), 0);
  EXPECT_EQ(got.substr(68), std::string(2000, '\0'));
}

TEST_F(WaveFileTest, StereoFramesInterleaveAndShortChannelRepeatsItsLastSample) {
  set.Channel[0].iNrOfSamples = 0;
  ChannelSet_SetSample(&set, 0, 0, 1.0);
  ChannelSet_SetSample(&set, 0, 1, -1.0);
  ChannelSet_SetSample(&set, 0, 2, 0.5);
  // Channel 1 holds three values in storage but only one is valid.
  set.Channel[1].pdSamples[1] = 0.25;
  set.Channel[1].pdSamples[2] = 0.75;
  set.Channel[1].iNrOfSamples = 1;
  set.Channel[1].pdSamples[0] = -0.5;
  set.Channel[0].dXStep = 0.001;
  std::string p = Path("st.wav");
  ASSERT_EQ(WaveFile_Write(p.c_str(), &set, 0, 2), 0);
  std::string got = TestFiles_Read(p);
  ASSERT_EQ(got.size(), 68u + 12u);
  std::string hdr;
  hdr += "RIFF";
  WaveBytes_Put32(&hdr, 72);
  hdr += "WAVEfmt ";
  WaveBytes_Put32(&hdr, 40);
  WaveBytes_Put16(&hdr, 1);
  WaveBytes_Put16(&hdr, 2);
  WaveBytes_Put32(&hdr, 1000);
  WaveBytes_Put32(&hdr, 4000);
  WaveBytes_Put16(&hdr, 4);
  WaveBytes_Put16(&hdr, 16);
  hdr.append(24, '\0');
  hdr += "data";
  WaveBytes_Put32(&hdr, 12);
  EXPECT_EQ(got.substr(0, 68), hdr);
  EXPECT_EQ(got.substr(68), Pcm16({32767, -16384, -32767, -16384, 16384, -16384}));
}

TEST_F(WaveFileTest, SampleConversionRoundsAndClamps) {
  const double in[] = {0.5, -0.5, 2.0, -2.0, NAN, INFINITY, -INFINITY, 1e300, 1.0 / 32767.0,
                       0.49 / 32767.0};
  set.Channel[0].iNrOfSamples = 0;
  for (int i = 0; i < 10; ++i) ChannelSet_SetSample(&set, 0, i, in[i]);
  std::string p = Path("c.wav");
  ASSERT_EQ(WaveFile_Write(p.c_str(), &set, 0, 1), 0);
  EXPECT_EQ(TestFiles_Read(p).substr(68),
            Pcm16({16384, -16384, 32767, -32768, 0, 32767, -32768, 32767, 1, 0}));
}

TEST_F(WaveFileTest, RoundTripMonoAndStereoWithinOneStep) {
  const int n = 5000;
  for (int c = 0; c < 2; ++c) {
    set.Channel[c].iNrOfSamples = 0;
    for (int i = 0; i < n; ++i) ChannelSet_SetSample(&set, c, i, std::sin(i * 0.01 + c) * 0.999);
  }
  set.Channel[0].dXStep = 1.0 / 44100.0;
  for (int nch = 1; nch <= 2; ++nch) {
    std::string p = Path("rt.wav");
    ASSERT_EQ(WaveFile_Write(p.c_str(), &set, 0, nch), 0);
    ChannelSet back;
    std::memset(&back, 0, sizeof(back));
    ChannelSet_Init(&back, 16);
    ASSERT_EQ(WaveFile_Read(p.c_str(), &back, 0), 0);
    for (int c = 0; c < nch; ++c) {
      ASSERT_EQ(back.Channel[c].iNrOfSamples, n);
      EXPECT_NEAR(back.Channel[c].dXStep, 1.0 / 44100.0, 1e-12);
      for (int i = 0; i < n; ++i)
        ASSERT_NEAR(back.Channel[c].pdSamples[i], set.Channel[c].pdSamples[i], 1.0 / 32767.0);
    }
    EXPECT_EQ(back.Channel[nch].iNrOfSamples, 0);
    ChannelSet_FreeAll(&back);
  }
}

TEST_F(WaveFileTest, WriterRefusesBadArgumentsAndUsesDefaultRate) {
  std::string p = Path("five.wav");
  EXPECT_EQ(WaveFile_Write(p.c_str(), &set, 0, 5), 2105);
  EXPECT_EQ(WaveFile_Write(p.c_str(), &set, 6, 3), 2105);
  EXPECT_EQ(WaveFile_Write(p.c_str(), &set, -1, 1), 2105);
  EXPECT_EQ(WaveFile_Write(p.c_str(), nullptr, 0, 1), 2105);
  EXPECT_EQ(WaveFile_Write(nullptr, &set, 0, 1), 2105);
  struct stat st;
  EXPECT_NE(stat(p.c_str(), &st), 0);
  set.Channel[0].dXStep = 0.0;
  ASSERT_EQ(WaveFile_Write(p.c_str(), &set, 0, 1), 0);
  std::string got = TestFiles_Read(p);
  ASSERT_GE(got.size(), 68u);
  EXPECT_EQ(static_cast<unsigned char>(got[24]) | (static_cast<unsigned char>(got[25]) << 8), 11025);
  EXPECT_EQ(WaveFile_Write((dir + "/no/such/dir/x.wav").c_str(), &set, 0, 1), 2129);
}

TEST_F(WaveFileTest, WriteFailureReportsAndKeepsThePreviousFile) {
  std::string p = Path("keep.wav");
  WriteBytes(p, "previous contents");
  set.Channel[0].iNrOfSamples = 0;
  Fill(0, 200000, 0.0, 1e-6);
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit rl = {100000, 100000};
    setrlimit(RLIMIT_FSIZE, &rl);
    _exit(WaveFile_Write(p.c_str(), &set, 0, 1) == ErrorCode_FromErrno(EFBIG) ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "writer did not report the system's cause";
  EXPECT_EQ(TestFiles_Read(p), "previous contents");
  std::string left;
  std::string cmd = "ls -A '" + dir + "' | grep -v '^keep.wav$' | wc -l";
  FILE* ls = popen(cmd.c_str(), "r");
  ASSERT_NE(ls, nullptr);
  int others = -1;
  EXPECT_EQ(std::fscanf(ls, "%d", &others), 1);
  pclose(ls);
  EXPECT_EQ(others, 0) << "temporary file left behind";
  // Sizes beyond the 32 bits of the header are refused before the file is
  // touched (the count alone decides: no sample is read).
  Fill(0, 4, 0.0, 1e-6);
  set.Channel[0].iNrOfSamples = 1 << 30;
  EXPECT_EQ(WaveFile_Write(p.c_str(), &set, 0, 2), ERROR_WAVE_TOO_LARGE);
  EXPECT_STREQ(ErrorCodeToText(ERROR_WAVE_TOO_LARGE), "too many samples for a wave file (4 GiB at most)");
  set.Channel[0].iNrOfSamples = 4;
  EXPECT_EQ(TestFiles_Read(p), "previous contents");
}

TEST_F(WaveFileTest, Reads16BitStereoPcm) {
  ASSERT_EQ(Load(Riff(Chunk("fmt ", FmtBody(1, 2, 1000, 4, 16)) +
                      Chunk("data", Pcm16({32767, -32768, 0, 100, -1, 2})))),
            0);
  for (int c = 0; c < 2; ++c) {
    EXPECT_EQ(set.Channel[c].iNrOfSamples, 3);
    EXPECT_DOUBLE_EQ(set.Channel[c].dXStep, 0.001);
    EXPECT_EQ(set.Channel[c].dXOrigin, 0.0);
    EXPECT_EQ(set.Channel[c].iVisible, 1);
    EXPECT_EQ(set.Channel[c].dViewMin, -1.0);
    EXPECT_EQ(set.Channel[c].dViewMax, 1.0);
  }
  EXPECT_DOUBLE_EQ(set.Channel[0].pdSamples[0], 1.0);
  EXPECT_DOUBLE_EQ(set.Channel[1].pdSamples[0], -32768 * 3.051850947599719e-05);
  EXPECT_DOUBLE_EQ(set.Channel[1].pdSamples[1], 100 * 3.051850947599719e-05);
  EXPECT_DOUBLE_EQ(set.Channel[0].pdSamples[2], -1 * 3.051850947599719e-05);
  EXPECT_EQ(set.Channel[2].iNrOfSamples, 0);
}

TEST_F(WaveFileTest, Reads8BitMonoAndFloatVariants) {
  ASSERT_EQ(Load(Riff(Chunk("fmt ", FmtBody(1, 1, 8000, 1, 8)) + Chunk("data", std::string("\x80\x00\x7F\xFF", 4)))),
            0);
  ASSERT_EQ(set.Channel[0].iNrOfSamples, 4);
  EXPECT_EQ(set.Channel[0].pdSamples[0], 0.0);  // 128 is silence
  EXPECT_EQ(set.Channel[0].pdSamples[1], -1.0);
  EXPECT_EQ(set.Channel[0].pdSamples[2], -1.0 / 128.0);
  EXPECT_EQ(set.Channel[0].pdSamples[3], 127.0 / 128.0);

  std::string floats;
  const float fv[3] = {0.125f, -3.5f, 1e-7f};
  for (float v : fv) {
    uint32_t w;
    std::memcpy(&w, &v, 4);
    WaveBytes_Put32(&floats, w);
  }
  for (int tag : {3, 0xFFFE}) {
    ASSERT_EQ(Load(Riff(Chunk("fmt ", FmtBody(tag, 1, 48000, 4, 32, tag == 3 ? 16 : 40, 3)) +
                        Chunk("data", floats))),
              0);
    ASSERT_EQ(set.Channel[0].iNrOfSamples, 3);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(set.Channel[0].pdSamples[i], static_cast<double>(fv[i]));
  }
  // Extensible with the PCM SubFormat reads integers.
  ASSERT_EQ(Load(Riff(Chunk("fmt ", FmtBody(0xFFFE, 1, 48000, 2, 16, 40, 1)) +
                      Chunk("data", Pcm16({-32767, 32767})))),
            0);
  EXPECT_DOUBLE_EQ(set.Channel[0].pdSamples[0], -1.0);
  EXPECT_DOUBLE_EQ(set.Channel[0].pdSamples[1], 1.0);
}

// Every sample layout, mono to three channels, over more frames than one
// read of the file takes: each sample is bit for bit its scaled value, and the
// tracked range and the summaries follow them (random float bits bring NaN,
// infinities and zeros of both signs).
TEST_F(WaveFileTest, EveryLayoutLoadsExactlyAcrossReads) {
  struct Layout {
    const char* name;  // the layout
    int tag, bits;     // its format tag and bits per sample
  } layouts[] = {{"8-bit", 1, 8}, {"16-bit", 1, 16}, {"24-bit", 1, 24}, {"32-bit", 1, 32}, {"float", 3, 32}};
  auto scaled = [](const Layout& l, uint64_t u) -> double {
    switch (l.bits) {
      case 8: return (static_cast<int>(u & 0xFF) - 128) * (1.0 / 128.0);
      case 16: return static_cast<int16_t>(u) * (1.0 / 32767.0);
      case 24: return ((static_cast<int32_t>(u << 8)) >> 8) * (1.0 / 8388607.0);
      default: break;
    }
    if (l.tag == 1) return static_cast<int32_t>(u) * (1.0 / 2147483647.0);
    float f;
    uint32_t w = static_cast<uint32_t>(u);
    std::memcpy(&f, &w, 4);
    return f;
  };
  std::mt19937_64 rng(11);
  const int kFrames = 140000;  // past the first read of every layout
  for (const Layout& l : layouts) {
    for (int nch = 1; nch <= 3; ++nch) {
      SCOPED_TRACE(std::string(l.name) + " x" + std::to_string(nch));
      const int bytes = l.bits / 8;
      std::vector<int64_t> raw(static_cast<size_t>(kFrames) * nch);
      for (int64_t& r : raw) r = static_cast<int64_t>(rng());
      raw[5] = 0, raw[6] = -1, raw[7] = INT64_MIN >> (64 - l.bits);  // silence, -1 LSB, most negative
      ASSERT_EQ(Load(Riff(Chunk("fmt ", FmtBody(l.tag, nch, 48000, nch * bytes, l.bits)) +
                          Chunk("data", WaveBytes_Samples(raw, bytes)))),
                0);
      for (int c = 0; c < nch; ++c) {
        const CurveChannel& ch = set.Channel[c];
        ASSERT_EQ(ch.iNrOfSamples, kFrames);
        double lo = -1.0, hi = 1.0;
        for (int i = 0; i < kFrames; ++i) {
          const double want = scaled(l, static_cast<uint64_t>(raw[static_cast<size_t>(i) * nch + c]));
          ASSERT_EQ(std::memcmp(&ch.pdSamples[i], &want, sizeof want), 0) << "sample " << i << " of " << c;
          if (std::isfinite(want)) lo = std::fmin(lo, want), hi = std::fmax(hi, want);
        }
        EXPECT_EQ(ch.dDataMin, lo);
        EXPECT_EQ(ch.dDataMax, hi);
        double slo, shi, plo, phi;
        int snan, pnan;
        Channel_MinMax(&ch, 3, kFrames - 2, &slo, &shi, &snan);
        Samples_MinMax(ch.pdSamples + 3, kFrames - 4, &plo, &phi, &pnan);
        EXPECT_EQ(slo, plo);
        EXPECT_EQ(shi, phi);
        EXPECT_EQ(snan, pnan);
      }
    }
  }
}

TEST_F(WaveFileTest, ChunkWalkSkipsOtherChunksAndLongFormat) {
  std::string list = Chunk("LIST", std::string("INFOsome text", 13));  // odd size, no pad
  ASSERT_EQ(Load(Riff(Chunk("fmt ", FmtBody(1, 1, 100, 2, 16, 50)) + list +
                      Chunk("data", Pcm16({1, 2, 3})))),
            0);
  ASSERT_EQ(set.Channel[0].iNrOfSamples, 3);
  EXPECT_DOUBLE_EQ(set.Channel[0].pdSamples[2], 3 / 32767.0);
  // A later format chunk overwrites the earlier one.
  ASSERT_EQ(Load(Riff(Chunk("fmt ", FmtBody(1, 2, 100, 4, 16)) + Chunk("fmt ", FmtBody(1, 1, 200, 2, 16)) +
                      Chunk("data", Pcm16({7, 8})))),
            0);
  EXPECT_EQ(set.Channel[0].iNrOfSamples, 2);
  EXPECT_DOUBLE_EQ(set.Channel[0].dXStep, 1.0 / 200);
}

TEST_F(WaveFileTest, OddLayoutsLoadAsDescribed) {
  // 24-bit PCM loads, scaled by 1/8388607.
  set.Channel[0].iNrOfSamples = 0;
  Fill(0, 10, 1.0, 1.0);
  ASSERT_EQ(Load(Riff(Chunk("fmt ", FmtBody(1, 1, 100, 3, 24)) + Chunk("data", std::string(9, '\x11')))), 0);
  ASSERT_EQ(set.Channel[0].iNrOfSamples, 3);
  EXPECT_DOUBLE_EQ(set.Channel[0].pdSamples[2], 0x111111 / 8388607.0);
  EXPECT_EQ(set.Channel[0].iVisible, 1);
  // A block align that contradicts the bits is refused, not loaded empty.
  EXPECT_EQ(Load(Riff(Chunk("fmt ", FmtBody(1, 1, 100, 1, 12)) + Chunk("data", "\x11\x11"))), 2142);
  EXPECT_EQ(Load(Riff(Chunk("fmt ", FmtBody(3, 1, 100, 3, 24)) + Chunk("data", "\x11\x11\x11"))), 2105);
  EXPECT_EQ(set.Channel[0].iNrOfSamples, 3);
  // 16-bit mono with block align 1 reads 2-byte frames.
  ASSERT_EQ(Load(Riff(Chunk("fmt ", FmtBody(1, 1, 100, 1, 16)) + Chunk("data", Pcm16({10, 20, 30})))), 0);
  ASSERT_EQ(set.Channel[0].iNrOfSamples, 3);
  EXPECT_DOUBLE_EQ(set.Channel[0].pdSamples[1], 20 / 32767.0);
  // Stereo into channel 7 keeps only the left channel.
  ASSERT_EQ(Load(Riff(Chunk("fmt ", FmtBody(1, 2, 100, 4, 16)) + Chunk("data", Pcm16({5, 6, 7, 8}))), 7), 0);
  ASSERT_EQ(set.Channel[7].iNrOfSamples, 2);
  EXPECT_DOUBLE_EQ(set.Channel[7].pdSamples[1], 7 / 32767.0);
  // A data chunk claiming more than the file holds loads the whole frames there are.
  std::string d = "data";
  WaveBytes_Put32(&d, 0xFFFFFFF0u);
  ASSERT_EQ(Load(Riff(Chunk("fmt ", FmtBody(1, 1, 100, 2, 16)) + d + Pcm16({1, 2, 3}) + "x")), 0);
  EXPECT_EQ(set.Channel[0].iNrOfSamples, 3);
  // Stereo 8-bit whose frame is a single byte contradicts itself.
  EXPECT_EQ(Load(Riff(Chunk("fmt ", FmtBody(1, 2, 100, 1, 8)) + Chunk("data", "\x80\x80"))), 2142);
  EXPECT_EQ(set.Channel[0].iNrOfSamples, 3);
}

TEST_F(WaveFileTest, RefusalsReturnTheirCodesAndLeaveChannelsUntouched) {
  set.Channel[0].iNrOfSamples = 0;
  Fill(0, 50, 0.5, 0.0);
  set.Channel[0].dXStep = 0.25;
  const std::string good = Chunk("fmt ", FmtBody(1, 1, 100, 2, 16));
  struct Case {
    const char* name;   // what is wrong with the file
    std::string bytes;  // the file
    int code;           // the result expected
  };
  std::string hugeSkip = "JUNK";
  WaveBytes_Put32(&hugeSkip, 0xFFFFFFFFu);
  std::string hugeFmt = "fmt ";
  WaveBytes_Put32(&hugeFmt, 0xFFFFFFFFu);
  const Case cases[] = {
      {"text", "just some text, longer than twelve bytes", 2102},
      {"wrong form", "RIFF\x10\0\0\0WAVX" + good, 2102},
      {"empty", "", 2103},
      {"short riff", "RIFF\x04\0\0", 2103},
      {"no data chunk", Riff(good), 2103},
      {"truncated chunk header", Riff(good + "dat"), 2103},
      {"truncated fmt", Riff(good.substr(0, 20)), 2103},
      {"skip past the end", Riff(good + hugeSkip + Chunk("data", Pcm16({1}))), 2103},
      {"fmt of size 0xFFFFFFFF", Riff(hugeFmt + FmtBody(1, 1, 100, 2, 16)), 2103},
      {"data before fmt", Riff(Chunk("data", Pcm16({1})) + good), 2105},
      {"nine channels", Riff(Chunk("fmt ", FmtBody(1, 9, 100, 18, 16)) + Chunk("data", "")), 2144},
      {"align beyond four bytes a channel", Riff(Chunk("fmt ", FmtBody(1, 3, 100, 13, 16)) + Chunk("data", "")), 2142},
      {"rate 0", Riff(Chunk("fmt ", FmtBody(1, 1, 0, 2, 16)) + Chunk("data", "")), 2105},
      {"rate 2000000", Riff(Chunk("fmt ", FmtBody(1, 1, 2000000, 2, 16)) + Chunk("data", "")), 2143},
      {"align 0", Riff(Chunk("fmt ", FmtBody(1, 1, 100, 0, 16)) + Chunk("data", "")), 2142},
      {"align 12", Riff(Chunk("fmt ", FmtBody(1, 1, 100, 12, 16)) + Chunk("data", "")), 2142},
      {"bits 4", Riff(Chunk("fmt ", FmtBody(1, 1, 100, 2, 4)) + Chunk("data", "")), 2105},
      {"bits 40", Riff(Chunk("fmt ", FmtBody(1, 1, 100, 5, 40)) + Chunk("data", "")), 2105},
      {"tag 2", Riff(Chunk("fmt ", FmtBody(2, 1, 100, 2, 16)) + Chunk("data", "")), 2105},
      {"extensible GUID", Riff(Chunk("fmt ", FmtBody(0xFFFE, 1, 100, 2, 16, 40, 2)) + Chunk("data", "")), 2105},
      {"short fmt ignored", Riff(Chunk("fmt ", std::string(8, '\x01')) + Chunk("data", "")), 2105},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Load(c.bytes), c.code) << c.name;
    EXPECT_EQ(set.Channel[0].iNrOfSamples, 50) << c.name;
    EXPECT_EQ(set.Channel[0].dXStep, 0.25) << c.name;
  }
  EXPECT_EQ(WaveFile_Read(Path("missing.wav").c_str(), &set, 0), 2101);
  EXPECT_EQ(WaveFile_Read(dir.c_str(), &set, 0), ERROR_SYSTEM_BASE + EISDIR) << "directory";
  EXPECT_EQ(set.Channel[0].iNrOfSamples, 50);
}

}  // namespace
