// Text curve reader and writer: byte-exact layouts, round trips, reader edge
// cases and failure handling.

#include "formats/text_curve.h"
#include "winutil/error_text.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <vector>
#include <string>

#include "formats/safe_write.h"
#include "tests/support/json_check.h"
#include "tests/support/test_files.h"

namespace {

struct SetFixture : ::testing::Test {
  ChannelSet set;  // the channels loaded into and saved from
  TempDir dir;  // the test's folder
  void SetUp() override { ChannelSet_Init(&set, 16384); }
  void TearDown() override { ChannelSet_FreeAll(&set); }
  void Fill(int c, std::initializer_list<double> values, double step = 0.001) {
    int i = 0;
    for (double v : values) ChannelSet_SetSample(&set, c, i++, v);
    set.Channel[c].dXStep = step;
  }
  int Load(const std::string& bytes, int first = 0) {
    std::string path = dir.File("in.txt");
    EXPECT_TRUE(TestFiles_Write(path, bytes));
    return TextCurve_Read(path.c_str(), &set, first);
  }
  std::string Save(int nch, int type, const char* name = "unnamed.txt") {
    std::string path = dir.File(name);
    EXPECT_EQ(0, TextCurve_Write(path.c_str(), &set, 0, nch, type));
    return TestFiles_Read(path);
  }
  std::string Header(const std::string& path, const char* rate, int n, int nch, const char* type) {
    return "; Saved by Orvane's Plotsmith\r\n; Original filename: \"" + path + "\"\r\nsamples_per_second=" + rate +
           "\r\nn_samples=" + std::to_string(n) + "\r\nn_channels=" + std::to_string(nch) + "\r\ndata_type=" + type +
           "\r\n";
  }
};

using TextCurveWrite = SetFixture;
using TextCurveRead = SetFixture;

TEST_F(TextCurveWrite, KeyValueLayoutExactToTheByte) {
  Fill(0, {-1.0, 0.0, 1.0});
  std::string path = dir.File("unnamed.txt");
  std::string head = Header(path, "1000.000000", 3, 1, "int16");
  EXPECT_EQ(head + "array=\r\n  -32767,0,32767\r\nend_array\r\n", Save(1, SAVE_TYPE_INT16));
  EXPECT_EQ(Header(path, "1000.000000", 3, 1, "uint8") + "array=\r\n  0,127,255\r\nend_array\r\n",
            Save(1, SAVE_TYPE_UINT8));
  EXPECT_EQ(Header(path, "1000.000000", 3, 1, "float") + "array=\r\n  0,0.5,1\r\nend_array\r\n",
            Save(1, SAVE_TYPE_FLOAT));
  EXPECT_EQ(Header(path, "1000.000000", 3, 1, "unknown") + "array=\r\n  -32767,0,32767\r\nend_array\r\n",
            Save(1, 0));
}

TEST_F(TextCurveWrite, WrapsAtTheLineWidthForOneChannel) {
  for (int i = 0; i < 25; ++i) ChannelSet_SetSample(&set, 0, i, i % 2 ? 1.0 : -1.0);
  set.Channel[0].dXStep = 0.5;
  std::string text = Save(1, SAVE_TYPE_INT16);
  std::string path = dir.File("unnamed.txt");
  // Build the expectation line by line with the same rule the format uses.
  std::string lines, cur;
  for (int i = 0; i < 25; ++i) {
    if (cur.size() >= 72) {
      lines += cur + "\r\n";
      cur.clear();
    }
    if (cur.empty()) cur = "  ";
    cur += i % 2 ? "32767" : "-32767";
    if (i < 24) cur += ",";
  }
  lines += cur;
  EXPECT_EQ(Header(path, "2.000000", 25, 1, "int16") + "array=\r\n" + lines + "\r\nend_array\r\n", text);
  // Eleven values of 6 or 7 chars reach 72 chars: the first line ends after them, comma kept.
  EXPECT_EQ(text.find("array=\r\n") + 8, text.find("  -32767,32767,-32767,32767,-32767,32767,-32767,32767,-32767,32767,-32767,\r\n"));
}

TEST_F(TextCurveWrite, TwoChannelsGroupedAndShortChannelPaddedWithItsLastValue) {
  Fill(0, {-1.0, 1.0, -1.0, 1.0});
  Fill(1, {1.0, -1.0});
  // Stale storage past channel 1's end must not be written.
  set.Channel[1].pdSamples[2] = 1.0;
  set.Channel[1].pdSamples[3] = 1.0;
  std::string text = Save(2, SAVE_TYPE_INT16);
  std::string path = dir.File("unnamed.txt");
  EXPECT_EQ(Header(path, "1000.000000", 4, 2, "int16") +
                "array=\r\n  -32767,32767,  32767,-32767,  -32767,-32767,  32767,-32767\r\nend_array\r\n",
            text);
}

TEST_F(TextCurveWrite, FlatRangeAndClipping) {
  Fill(0, {0.0, 0.0});
  set.Channel[0].dDataMin = set.Channel[0].dDataMax = 0.0;
  EXPECT_NE(std::string::npos, Save(1, SAVE_TYPE_INT16).find("  0,0\r\n"));
  EXPECT_NE(std::string::npos, Save(1, SAVE_TYPE_UINT8).find("  127,127\r\n"));
  EXPECT_NE(std::string::npos, Save(1, SAVE_TYPE_FLOAT).find("  0.5,0.5\r\n"));
  Fill(0, {NAN, 5.0, -5.0});
  set.Channel[0].dDataMin = -1.0;
  set.Channel[0].dDataMax = 1.0;
  EXPECT_NE(std::string::npos, Save(1, SAVE_TYPE_INT16).find("  -32767,32767,-32767\r\n"));
}

TEST_F(TextCurveWrite, NoStorageEndsAfterTheDataTypeLine) {
  Channel_Free(&set.Channel[0]);
  set.Channel[0].dXStep = 0.0;
  std::string path = dir.File("unnamed.txt");
  EXPECT_EQ(Header(path, "1.000000", 0, 1, "int16"), Save(1, SAVE_TYPE_INT16));
  set.Channel[0].iNrOfSamples = 0;
  ChannelSet_FreeAll(&set);
  ChannelSet_Init(&set, 16384);
  EXPECT_EQ(Header(path, "1.000000", 0, 1, "int16") + "array=\r\n\r\nend_array\r\n",
            Save(1, SAVE_TYPE_INT16));
}

TEST_F(TextCurveWrite, FloatValuesAreTheBytesOfPercentLg) {
  // A channel whose data range is 0..1 writes each value itself as a float.
  CurveChannel& ch = set.Channel[0];
  ch.dDataMin = 0.0;
  ch.dDataMax = 1.0;
  std::vector<double> values = {0.0, 1.0, 0.5, 0.1, 1e-4, 1e-5, 9.9999949e-5, 9.9999951e-5, 0.9999995, 0.99999949,
                                0.1234565, 0.1234575, 4.9406564584124654e-324, 2.2250738585072014e-308, 1.0 / 3};
  unsigned x = 12345;
  for (int i = 0; i < 300000; ++i) {
    x = x * 1103515245u + 12345u;
    double mantissa = (x >> 8) / 16777216.0;
    int exponent = -static_cast<int>(i % 2 ? x % 40 : x % 1075);  // mostly ordinary, some denormal
    values.push_back(std::ldexp(mantissa, exponent));
  }
  // Near-ties of the sixth digit and their neighbours, at every exponent printed without e.
  for (int k = 0; k < 40000; ++k) {
    x = x * 1103515245u + 12345u;
    double tie = (100000 + (x >> 8) % 900000 + 0.5) * std::pow(10.0, -6 - static_cast<int>(k % 5));
    for (double v : {tie, std::nextafter(tie, 0.0), std::nextafter(tie, 1.0)}) values.push_back(v);
  }
  ch.iNrOfSamples = 1;
  for (double v : values) {
    if (!(v >= 0.0 && v <= 1.0)) continue;
    ch.pdSamples[0] = v;
    char got[40], want[40];
    TextCurve_FormatValue(got, &ch, 0, SAVE_TYPE_FLOAT);
    std::snprintf(want, sizeof want, "%lg", v);
    ASSERT_STREQ(want, got) << v;
  }
}

TEST_F(TextCurveWrite, CreateFailureGives2129) {
  Fill(0, {1.0});
  EXPECT_EQ(2129, TextCurve_Write("/nonexistent/dir/x.txt", &set, 0, 1, SAVE_TYPE_INT16));
}

TEST_F(TextCurveRead, RoundTripEveryTypeWithSeveralChannels) {
  for (int i = 0; i < 1000; ++i) {
    ChannelSet_SetSample(&set, 0, i, std::sin(i * 0.01));
    ChannelSet_SetSample(&set, 1, i, std::cos(i * 0.02) * 3.0);
    ChannelSet_SetSample(&set, 2, i, i * 0.5);
  }
  for (int c = 0; c < 3; ++c) set.Channel[c].dXStep = 0.25;
  for (int type : {SAVE_TYPE_INT16, SAVE_TYPE_UINT8, SAVE_TYPE_FLOAT}) {
    SCOPED_TRACE(type);
    std::string path = dir.File("rt.txt");
    ASSERT_EQ(0, TextCurve_Write(path.c_str(), &set, 0, 3, type));
    ChannelSet back;
    ChannelSet_Init(&back, 16384);
    ASSERT_EQ(0, TextCurve_Read(path.c_str(), &back, 0));
    for (int c = 0; c < 3; ++c) {
      ASSERT_EQ(1000, back.Channel[c].iNrOfSamples) << c;
      EXPECT_DOUBLE_EQ(0.25, back.Channel[c].dXStep);
      EXPECT_EQ(1, back.Channel[c].iVisible);
      for (int i = 0; i < 1000; i += 37) {
        char expect[32];
        TextCurve_FormatValue(expect, &set.Channel[c], i, type);
        EXPECT_DOUBLE_EQ(std::strtod(expect, nullptr), back.Channel[c].pdSamples[i]) << c << " " << i;
      }
    }
    EXPECT_EQ(3, back.iChannelsInUse);
    ChannelSet_FreeAll(&back);
  }
}

TEST_F(TextCurveRead, PlainNumbersWithoutHeader) {
  ASSERT_EQ(0, Load("1.5\n-2\n3e1\n"));
  ASSERT_EQ(3, set.Channel[0].iNrOfSamples);
  EXPECT_EQ(1.5, set.Channel[0].pdSamples[0]);
  EXPECT_EQ(-2.0, set.Channel[0].pdSamples[1]);
  EXPECT_EQ(30.0, set.Channel[0].pdSamples[2]);
  EXPECT_EQ(1.0, set.Channel[0].dXStep);
  EXPECT_EQ(-2.0, set.Channel[0].dViewMin);
  EXPECT_EQ(30.0, set.Channel[0].dViewMax);
}

TEST_F(TextCurveRead, SampleRateThreshold) {
  ASSERT_EQ(0, Load("samples_per_second=0.0005\narray=\n1\n"));
  EXPECT_EQ(1.0, set.Channel[0].dXStep);
  ASSERT_EQ(0, Load("samples_per_second=8000\narray=\n1\n"));
  EXPECT_EQ(0.000125, set.Channel[0].dXStep);
}

TEST_F(TextCurveRead, NSamplesLimitsAndEndArrayIsNoValue) {
  ASSERT_EQ(0, Load("n_samples=5\narray=\n1\n2\n3\n4\n5\n6\n7\n8\n"));
  EXPECT_EQ(5, set.Channel[0].iNrOfSamples);
  ASSERT_EQ(0, Load("array=\n1\n2\nend_array\n9\n"));
  EXPECT_EQ(2, set.Channel[0].iNrOfSamples);
  ASSERT_EQ(0, Load("n_samples=-3\narray=\n1\n2\n3\n"));
  EXPECT_EQ(3, set.Channel[0].iNrOfSamples);
}

TEST_F(TextCurveRead, WordsAreMissingBlankLinesNothing) {
  ASSERT_EQ(0, Load("array=\n1\n   \n\nword\n2\n"));
  ASSERT_EQ(3, set.Channel[0].iNrOfSamples);
  EXPECT_TRUE(std::isnan(set.Channel[0].pdSamples[1]));
  EXPECT_EQ(2.0, set.Channel[0].pdSamples[2]);
}

TEST_F(TextCurveRead, SeveralNumbersPerLine) {
  // With n_channels=1 every number of a line is the next value.
  ASSERT_EQ(0, Load("n_channels=1\narray=\n  1,2,3,\n 4 5\t6\n"));
  ASSERT_EQ(6, set.Channel[0].iNrOfSamples);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(i + 1.0, set.Channel[0].pdSamples[i]);
  // Without it the program's layout ("array=") is one channel too.
  ASSERT_EQ(0, Load("array=\n  1,2,3,\n 4 , 5,6\n"));
  ASSERT_EQ(6, set.Channel[0].iNrOfSamples);
  EXPECT_EQ(6.0, set.Channel[0].pdSamples[5]);
}

TEST_F(TextCurveRead, TenEmptyLinesStopTheHeader) {
  Fill(0, {4.0, 5.0});
  ASSERT_EQ(0, Load(std::string(10, '\n') + "1\n2\n"));
  EXPECT_EQ(0, set.Channel[0].iNrOfSamples);
  EXPECT_EQ(1, set.Channel[0].iVisible);
  ASSERT_EQ(0, Load(std::string(9, '\n') + "1\n2\n"));
  EXPECT_EQ(2, set.Channel[0].iNrOfSamples);
}

TEST_F(TextCurveRead, PlusSignKeysAndComments) {
  ASSERT_EQ(0, Load("+5\n7\n"));  // a signed number is data like any other
  ASSERT_EQ(2, set.Channel[0].iNrOfSamples);
  EXPECT_EQ(5.0, set.Channel[0].pdSamples[0]);
  ASSERT_EQ(0, Load("; comment 1\n Samples_per_second=10\n other=3\narray=\n+5\n"));
  ASSERT_EQ(1, set.Channel[0].iNrOfSamples);
  EXPECT_EQ(5.0, set.Channel[0].pdSamples[0]);
  EXPECT_EQ(1.0, set.Channel[0].dXStep);  // keys are case-sensitive, at column 0
  ASSERT_EQ(0, Load("\xEF\xBB\xBFsamples_per_second=4\narray=\n1\n"));
  EXPECT_EQ(0.25, set.Channel[0].dXStep);  // key right after the byte order mark
}

TEST_F(TextCurveRead, ChannelsBeyondTheSetAreSkipped) {
  set.Channel[5].iVisible = 0;
  ASSERT_EQ(0, Load("n_channels=3\narray=\n1,2,3\n4,5,6\n", 6));
  EXPECT_EQ(0, set.Channel[5].iVisible);
  EXPECT_EQ(1, set.Channel[6].iVisible);
  EXPECT_EQ(1, set.Channel[7].iVisible);
  ASSERT_EQ(2, set.Channel[6].iNrOfSamples);
  ASSERT_EQ(2, set.Channel[7].iNrOfSamples);
  EXPECT_EQ(4.0, set.Channel[6].pdSamples[1]);
  EXPECT_EQ(5.0, set.Channel[7].pdSamples[1]);
}

TEST_F(TextCurveRead, NSamplesCountsGroups) {
  ASSERT_EQ(0, Load("n_channels=2\nn_samples=2\narray=\n1,2,  3,4,  5,6\n"));
  EXPECT_EQ(2, set.Channel[0].iNrOfSamples);
  EXPECT_EQ(2, set.Channel[1].iNrOfSamples);
  EXPECT_EQ(3.0, set.Channel[0].pdSamples[1]);
  EXPECT_EQ(4.0, set.Channel[1].pdSamples[1]);
}

TEST_F(TextCurveRead, ValueLimitIsOneMebisample) {
  std::string bytes;
  bytes.reserve(2200000);
  for (int i = 0; i < CHANNEL_MAX_ALLOC + 5; ++i) bytes += "1\n";
  ASSERT_EQ(0, Load(bytes));
  EXPECT_EQ(CHANNEL_MAX_ALLOC, set.Channel[0].iNrOfSamples);
}

TEST_F(TextCurveRead, HostileInputsNeverCrash) {
  unsigned x = 99;
  std::string garbage;
  for (int i = 0; i < 200000; ++i) {
    x = x * 1103515245u + 12345u;
    garbage += static_cast<char>(x >> 24);
  }
  EXPECT_EQ(2130, Load(garbage));  // NUL bytes: binary
  EXPECT_EQ(0, Load(""));
  EXPECT_EQ(0, Load("samples_per_second="));
  EXPECT_EQ(0, Load("n_channels=99999999999\nn_samples=99999999999999\narray=\n1,2\n"));
  EXPECT_EQ(0, Load("n_channels=-4\narray=\n1\n"));
  EXPECT_EQ(1, set.Channel[0].iNrOfSamples);
  EXPECT_EQ(0, Load("array=\n" + std::string(10 * 1024 * 1024, '7')));  // 10 MB, no line end
  EXPECT_LE(set.Channel[0].iNrOfSamples, CHANNEL_MAX_ALLOC);
  EXPECT_EQ(0, Load(std::string(10 * 1024 * 1024, 'z')));
}

TEST_F(TextCurveRead, UnopenableFileLeavesChannelsUntouched) {
  Fill(0, {4.0, 5.0});
  EXPECT_EQ(2129, TextCurve_Read(dir.File("missing.txt").c_str(), &set, 0));
  EXPECT_EQ(2, set.Channel[0].iNrOfSamples);
  EXPECT_EQ(0.001, set.Channel[0].dXStep);
  // A folder is refused as well, naming the cause, without touching the channels.
  EXPECT_EQ(ERROR_SYSTEM_BASE + EISDIR, TextCurve_Read(dir.szPath.c_str(), &set, 0));
  EXPECT_EQ(2, set.Channel[0].iNrOfSamples);
}

TEST_F(TextCurveRead, UnreadableFile) {
  if (geteuid() == 0) GTEST_SKIP() << "running as root: file permissions do not block reading";
  std::string path = dir.File("locked.txt");
  ASSERT_TRUE(TestFiles_Write(path, "1\n2\n"));
  chmod(path.c_str(), 0);
  Fill(0, {4.0});
  EXPECT_EQ(2129, TextCurve_Read(path.c_str(), &set, 0));
  EXPECT_EQ(1, set.Channel[0].iNrOfSamples);
}

// Runs TextCurve_Write in a child whose file size limit is limitBytes and
// returns its result code.
int WriteUnderSizeLimit(ChannelSet* set, const std::string& path, rlim_t limitBytes) {
  pid_t pid = fork();
  if (pid == 0) {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit rl = {limitBytes, limitBytes};
    setrlimit(RLIMIT_FSIZE, &rl);
    int rc = TextCurve_Write(path.c_str(), set, 0, 1, SAVE_TYPE_FLOAT);
    _exit(rc >= ERROR_SYSTEM_BASE ? (rc - ERROR_SYSTEM_BASE) & 0xFF : 255);  // the errno
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(TextCurveWrite, FailedWriteIsReportedAndOldFileStays) {
  for (int i = 0; i < 100000; ++i) ChannelSet_SetSample(&set, 0, i, std::sin(i * 0.001));
  std::string path = dir.File("keep.txt");
  ASSERT_TRUE(TestFiles_Write(path, "previous content\n"));
  int rc = WriteUnderSizeLimit(&set, path, 4096);
  EXPECT_EQ(EFBIG, rc);
  EXPECT_EQ("previous content\n", TestFiles_Read(path));
  EXPECT_EQ(1, TestFiles_CountEntries(dir.szPath));  // the temporary file is gone
  // Without the limit the same save succeeds and replaces the file.
  EXPECT_EQ(0, TextCurve_Write(path.c_str(), &set, 0, 1, SAVE_TYPE_FLOAT));
  EXPECT_EQ(0u, TestFiles_Read(path).find("; Saved by"));
  EXPECT_EQ(1, TestFiles_CountEntries(dir.szPath));
}

TEST(SafeWrite, AbortKeepsTargetAndRemovesTemporary) {
  TempDir dir;  // the test's folder
  std::string path = dir.File("t.bin");
  ASSERT_TRUE(TestFiles_Write(path, "old"));
  static BufferedFile f;
  SafeWrite sw;
  ASSERT_EQ(0, SafeWrite_Begin(&sw, &f, path.c_str()));
  BufferedFile_WriteString(&f, "new");
  EXPECT_EQ(2, TestFiles_CountEntries(dir.szPath));
  SafeWrite_Abort(&sw, &f);
  EXPECT_EQ("old", TestFiles_Read(path));
  EXPECT_EQ(1, TestFiles_CountEntries(dir.szPath));
  ASSERT_EQ(0, SafeWrite_Begin(&sw, &f, path.c_str()));
  BufferedFile_WriteString(&f, "new");
  EXPECT_EQ(0, SafeWrite_Commit(&sw, &f));
  EXPECT_EQ("new", TestFiles_Read(path));
  EXPECT_NE(0, SafeWrite_Begin(&sw, &f, (dir.szPath + "/no/such/dir/x").c_str()));
}

}  // namespace
