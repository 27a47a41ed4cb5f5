// Hostile and broken inputs for the text reader and the dispatch, write
// failures of the text writer, and a strict JSON check of everything the
// writer produces.

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "curve/channel.h"
#include "formats/curve_file.h"
#include "formats/text_curve.h"
#include "shell/app_state.h"
#include "winutil/error_text.h"
#include "tests/support/json_check.h"
#include "tests/support/test_files.h"

namespace {

void WriteBytes(const std::string& path, const std::string& bytes) { ASSERT_TRUE(TestFiles_Write(path, bytes)); }

// Valid JSON in plain ASCII: the writer escapes every byte from 0x80 on.
bool IsValidJson(const std::string& text) {
  for (unsigned char c : text)
    if (c >= 0x80) return false;
  return JsonCheck_Validate(text).bValid;
}

class ReaderRobustness : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = TestFiles_MakeTempDir();
    ChannelSet_Init(&set, 16384);
    for (int i = 0; i < 5; ++i) ChannelSet_SetSample(&set, 0, i, 0.25 * i);
  }
  void TearDown() override {
    ChannelSet_FreeAll(&set);
    TestFiles_RemoveTree(dir);
  }
  std::string Path(const char* name) const { return dir + "/" + name; }
  std::string dir;  // the test's folder
  ChannelSet set;  // five samples in channel 0 at the start
};

TEST_F(ReaderRobustness, CheckerRejectsWhatIsNotJson) {
  EXPECT_TRUE(IsValidJson("{\"a\": [1, -0.5e3, 2], \"b\": \"x\\\\y\"}"));
  EXPECT_FALSE(IsValidJson("{\"a\": 1,}"));
  EXPECT_FALSE(IsValidJson("{\"a\": [1,]}"));
  EXPECT_FALSE(IsValidJson("{\"a\": 01}"));
  EXPECT_FALSE(IsValidJson("{\"a\": \"C:\\data\"}"));
  EXPECT_FALSE(IsValidJson("{} x"));
}

TEST_F(ReaderRobustness, DirectoryIsRefusedAndChannelsStay) {
  std::string sub = Path("folder.txt");
  ASSERT_EQ(0, mkdir(sub.c_str(), 0755));
  EXPECT_EQ(ERROR_SYSTEM_BASE + EISDIR, TextCurve_Read(sub.c_str(), &set, 0));  // "Is a directory"
  EXPECT_EQ(5, set.Channel[0].iNrOfSamples);
  EXPECT_DOUBLE_EQ(1.0, set.Channel[0].pdSamples[4]);
  AppState app;
  AppState_InitDefaults(&app);
  EXPECT_NE(0, LoadCurveFile(&app.Channels, &app.SpectrumHeader, sub.c_str(), 0));
}

TEST_F(ReaderRobustness, MissingFileIsRefusedAndChannelsStay) {
  EXPECT_EQ(2129, TextCurve_Read(Path("absent.txt").c_str(), &set, 0));
  EXPECT_EQ(5, set.Channel[0].iNrOfSamples);
  EXPECT_STREQ("File doesnt exist", ErrorCodeToText(2129));
}

TEST_F(ReaderRobustness, UnreadableFileIsRefused) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads files whatever their mode; the directory case covers refusal";
  std::string p = Path("locked.txt");
  WriteBytes(p, "1\n2\n");
  chmod(p.c_str(), 0);
  EXPECT_EQ(2129, TextCurve_Read(p.c_str(), &set, 0));
  EXPECT_EQ(5, set.Channel[0].iNrOfSamples);
}

TEST_F(ReaderRobustness, EmptyFileLoadsNothing) {
  std::string p = Path("empty.txt");
  WriteBytes(p, "");
  EXPECT_EQ(0, TextCurve_Read(p.c_str(), &set, 0));
  EXPECT_EQ(0, set.Channel[0].iNrOfSamples);
}

TEST_F(ReaderRobustness, TenMegabyteLineWithoutLineEnd) {
  std::string p = Path("long.txt");
  std::string bytes(10 * 1024 * 1024, '7');
  WriteBytes(p, bytes);
  EXPECT_EQ(0, TextCurve_Read(p.c_str(), &set, 0));
  // The line is one number, too large for a double.
  ASSERT_EQ(1, set.Channel[0].iNrOfSamples);
  EXPECT_TRUE(std::isinf(set.Channel[0].pdSamples[0]));
}

TEST_F(ReaderRobustness, BinaryGarbageAndTruncatedHeadersNeverCrash) {
  unsigned state = 12345;
  std::string p = Path("garbage.txt");
  for (int round = 0; round < 40; ++round) {
    std::string bytes;
    size_t len = 1 + (state % 5000);
    for (size_t i = 0; i < len; ++i) {
      state = state * 1103515245u + 12345u;
      bytes.push_back(static_cast<char>(state >> 16));
    }
    if (round % 2) bytes = "n_channels=3\nsamples_per_second=1e308\nn_samples=-7\narray=\n" + bytes;
    WriteBytes(p, bytes);
    // Bytes with a NUL among them are refused as binary.
    int expected = bytes.find('\0') != std::string::npos ? 2130 : 0;
    EXPECT_EQ(expected, TextCurve_Read(p.c_str(), &set, round % MAX_CHANNELS));
    for (int c = 0; c < MAX_CHANNELS; ++c) {
      const CurveChannel& ch = set.Channel[c];
      EXPECT_LE(ch.iNrOfSamples, CHANNEL_MAX_ALLOC);
      EXPECT_TRUE(ch.iNrOfSamples <= ch.iAllocated || !ch.pdSamples);
    }
  }
  const char* truncated[] = {"n_samples=", "samples_per_second", "n_channels=99999999999999999999\n1,2",
                             "\xEF\xBB", "\xEF\xBB\xBF\xC3", "n_channels=-5\n1,2,3\n"};
  for (const char* t : truncated) {
    WriteBytes(p, t);
    EXPECT_EQ(0, TextCurve_Read(p.c_str(), &set, 7)) << t;
  }
}

TEST_F(ReaderRobustness, HugeChannelCountSpreadsOnlyOverExistingChannels) {
  std::string p = Path("wide.txt");
  WriteBytes(p, "n_channels=3\narray=\n  1,2,3,  4,5,6\nend_array\n");
  EXPECT_EQ(0, TextCurve_Read(p.c_str(), &set, 6));
  EXPECT_EQ(2, set.Channel[6].iNrOfSamples);
  EXPECT_EQ(2, set.Channel[7].iNrOfSamples);
  EXPECT_DOUBLE_EQ(4.0, set.Channel[6].pdSamples[1]);
  EXPECT_DOUBLE_EQ(5.0, set.Channel[7].pdSamples[1]);
}

// Runs a save in a child whose file size limit is smaller than the file,
// and reports the writer's result through the exit status.
int SaveUnderSizeLimit(const std::string& path, ChannelSet* s, int type, rlim_t limit) {
  pid_t pid = fork();
  if (pid == 0) {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit rl = {limit, limit};
    setrlimit(RLIMIT_FSIZE, &rl);
    int rc = TextCurve_Write(path.c_str(), s, 0, 1, type);
    _exit(rc == 0 ? 0 : ((rc - ERROR_SYSTEM_BASE) & 0x7F) | 0x80);  // the errno
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST_F(ReaderRobustness, FailedSaveIsReportedAndKeepsThePreviousFile) {
  for (int i = 0; i < 200000; ++i) ChannelSet_SetSample(&set, 0, i, (i % 100) * 0.01);
  for (int type : {SAVE_TYPE_INT16, SAVE_TYPE_FLOAT, SAVE_TYPE_JSON | SAVE_TYPE_FLOAT}) {
    std::string p = Path("kept.txt");
    WriteBytes(p, "previous contents\r\n");
    int st = SaveUnderSizeLimit(p, &set, type, 4096);
    ASSERT_TRUE(st & 0x80) << "the save under a 4 KiB limit reported success, type " << type;
    EXPECT_STREQ("File too large", ErrorCodeToText(ErrorCode_FromErrno(st & 0x7F)));
    EXPECT_EQ("previous contents\r\n", TestFiles_Read(p));
    // No temporary is left behind beside the target.
    std::string listing;
    FILE* ls = popen(("ls -A '" + dir + "'").c_str(), "r");
    char buf[256];
    while (ls && fgets(buf, sizeof(buf), ls)) listing += buf;
    if (ls) pclose(ls);
    EXPECT_EQ("kept.txt\n", listing);
  }
}

TEST_F(ReaderRobustness, EveryJsonTheWriterMakesParses) {
  std::string p = Path("curve.json");
  const int types[] = {SAVE_TYPE_JSON | SAVE_TYPE_FLOAT, SAVE_TYPE_JSON | SAVE_TYPE_INT16,
                       SAVE_TYPE_JSON | SAVE_TYPE_UINT8, SAVE_TYPE_JSON};
  for (int type : types) {
    for (int nch = 1; nch <= 3; ++nch) {
      ASSERT_EQ(0, TextCurve_Write(p.c_str(), &set, 0, nch, type));
      EXPECT_TRUE(IsValidJson(TestFiles_Read(p))) << TestFiles_Read(p);
    }
  }
  // Empty first channel, then a first channel without storage at all.
  set.Channel[0].iNrOfSamples = 0;
  ASSERT_EQ(0, TextCurve_Write(p.c_str(), &set, 0, 1, 19));
  EXPECT_TRUE(IsValidJson(TestFiles_Read(p))) << TestFiles_Read(p);
  Channel_Free(&set.Channel[0]);
  ASSERT_EQ(0, TextCurve_Write(p.c_str(), &set, 0, 1, 19));
  std::string text = TestFiles_Read(p);
  EXPECT_TRUE(IsValidJson(text)) << text;
  EXPECT_EQ(std::string::npos, text.find("\"array\""));
  // A path with a backslash, a quote and a control character.
  std::string odd = Path("a\\b\"c\td.json");
  ASSERT_EQ(0, TextCurve_Write(odd.c_str(), &set, 1, 1, 19));
  EXPECT_TRUE(IsValidJson(TestFiles_Read(odd))) << TestFiles_Read(odd);
}

}  // namespace
