// plotsmith-cli run as a program: exit codes, stdout and stderr lines, and
// the files it writes.

#include <gtest/gtest.h>

#ifdef PLOTSMITH_CLI_PATH

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "tests/support/json_check.h"
#include "tests/support/test_files.h"

extern char** environ;

namespace {

struct CliRun {
  int iExit;  // exit code (1000 + signal when killed)
  std::string sOut;  // what it wrote to stdout
  std::string sErr;  // what it wrote to stderr
};

std::string Slurp(int fd) {
  std::string s;
  char buf[4096];
  ssize_t n;
  while ((n = read(fd, buf, sizeof(buf))) > 0) s.append(buf, static_cast<size_t>(n));
  return s;
}

// Runs the binary with args; fileLimit > 0 sets RLIMIT_FSIZE for the child
// (inherited through the fork), with stdout and stderr on pipes so that only
// the files the program writes meet the limit.
CliRun RunCli(const std::vector<std::string>& args, rlim_t fileLimit = 0) {
  int out[2], err[2];
  if (pipe(out) != 0 || pipe(err) != 0) return {-1, "", "pipe failed"};
  pid_t pid = fork();
  if (pid == 0) {
    if (fileLimit > 0) {
      struct rlimit rl = {fileLimit, fileLimit};
      setrlimit(RLIMIT_FSIZE, &rl);
    }
    dup2(out[1], 1);
    dup2(err[1], 2);
    close(out[0]);
    close(err[0]);
    std::vector<char*> argv;
    std::string prog = PLOTSMITH_CLI_PATH;
    argv.push_back(&prog[0]);
    std::vector<std::string> copy = args;
    for (std::string& a : copy) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    execv(prog.c_str(), argv.data());
    _exit(127);
  }
  close(out[1]);
  close(err[1]);
  CliRun r;
  r.sErr.clear();
  // stderr stays small; read stdout first, then stderr.
  r.sOut = Slurp(out[0]);
  r.sErr = Slurp(err[0]);
  close(out[0]);
  close(err[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  r.iExit = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  return r;
}

void WriteFile(const std::string& path, const std::string& s) { ASSERT_TRUE(TestFiles_Write(path, s)); }

class CliEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = TestFiles_MakeTempDir();
    WriteFile(P("a.txt"), "samples_per_second=1000\n-1\n0\n1\n");
    WriteFile(P("two.txt"), "n_channels=2\narray=\n  1,2,  3,4,  5,6\nend_array\n");
  }
  void TearDown() override {
    TestFiles_RemoveTree(dir);
  }
  std::string P(const char* name) const { return dir + "/" + name; }
  std::string dir;  // the test's folder, with a.txt and two.txt
};

TEST_F(CliEndToEnd, UsageAndHelp) {
  CliRun none = RunCli({});
  EXPECT_EQ(2, none.iExit);
  EXPECT_EQ("", none.sOut);
  EXPECT_NE(std::string::npos, none.sErr.find("usage"));
  CliRun help = RunCli({"--help"});
  EXPECT_EQ(0, help.iExit);
  EXPECT_NE(std::string::npos, help.sOut.find("plotsmith-cli convert"));
  EXPECT_EQ(2, RunCli({"frobnicate", P("a.txt")}).iExit);
  EXPECT_EQ(2, RunCli({"dump", "--channel", "zero", P("a.txt")}).iExit);
  EXPECT_EQ(2, RunCli({"convert", "--type", "double", P("a.txt"), P("b.txt")}).iExit);
  EXPECT_EQ(2, RunCli({"convert", P("a.txt")}).iExit);
  // Every usage error names the usage on stderr.
  const std::vector<std::vector<std::string>> bad = {
      {}, {"bogus"}, {"info"}, {"convert", P("a.txt")}, {"convert", "--type", "double", P("a.txt"), P("b.txt")}};
  for (const std::vector<std::string>& args : bad) {
    CliRun r = RunCli(args);
    EXPECT_EQ(2, r.iExit) << args.size();
    EXPECT_NE(std::string::npos, r.sErr.find("usage:")) << args.size();
  }
}

TEST_F(CliEndToEnd, InfoFillsChannelsInOrderAndReportsEachLoad) {
  CliRun r = RunCli({"info", P("a.txt"), P("two.txt")});
  EXPECT_EQ(0, r.iExit) << r.sErr;
  EXPECT_EQ("Loaded file \"" + P("a.txt") + "\", 3 points\nLoaded file \"" + P("two.txt") + "\", 3 points\n",
            r.sErr);
  EXPECT_EQ(
      "channel 1: samples=3 x_origin=0 x_step=0.001 min=-1 max=1 visible=1 rate_hz=1000 duration_s=0.003\n"
      "channel 2: samples=3 x_origin=0 x_step=1 min=1 max=5 visible=1 rate_hz=1 duration_s=3\n"
      "channel 3: samples=3 x_origin=0 x_step=1 min=2 max=6 visible=1 rate_hz=1 duration_s=3\n",
      r.sOut);
  // Ranges are the data's own, as after the editor's auto-scale.
  WriteFile(P("wide.txt"), "samples_per_second=4\narray=\n-1\n0\n3\n");
  r = RunCli({"info", P("wide.txt")});
  EXPECT_EQ("channel 1: samples=3 x_origin=0 x_step=0.25 min=-1 max=3 visible=1 rate_hz=4 duration_s=0.75\n",
            r.sOut);
}

TEST_F(CliEndToEnd, DumpPrintsOneChannel) {
  CliRun r = RunCli({"dump", P("a.txt")});
  EXPECT_EQ(0, r.iExit);
  EXPECT_EQ("-1\n0\n1\n", r.sOut);
  r = RunCli({"dump", "--channel", "3", P("a.txt"), P("two.txt")});
  EXPECT_EQ(0, r.iExit);
  EXPECT_EQ("2\n4\n6\n", r.sOut);
  // Values come out with every digit that tells them apart.
  WriteFile(P("tenth.txt"), "n_channels=2\narray=\n0.1,2\n3,4\n");
  EXPECT_EQ("0.10000000000000001\n3\n", RunCli({"dump", P("tenth.txt")}).sOut);
  EXPECT_EQ("2\n4\n", RunCli({"dump", "--channel", "2", P("tenth.txt")}).sOut);
  EXPECT_EQ(2, RunCli({"dump", "--channel", "9", P("tenth.txt")}).iExit);
  EXPECT_EQ(2, RunCli({"dump", "--channel"}).iExit);
}

TEST_F(CliEndToEnd, FailedLoadExitsOneWithTheCause) {
  CliRun r = RunCli({"info", P("missing.txt")});
  EXPECT_EQ(1, r.iExit);
  EXPECT_EQ("ERROR: failed to load \"" + P("missing.txt") + "\" (File doesnt exist)\n", r.sErr);
  ASSERT_TRUE(TestFiles_Write(P("x.json"), "{\"values\": [1]}\n"));
  for (const char* name : {"curve.fcf", "x.json"}) {
    r = RunCli({"info", P(name)});
    EXPECT_EQ(1, r.iExit) << name;
    EXPECT_NE(std::string::npos, r.sErr.find("(Format not supported)")) << name;
  }
  // A save by a name no writer takes fails after the load.
  r = RunCli({"convert", P("a.txt"), P("x.fcf")});
  EXPECT_EQ(1, r.iExit);
  EXPECT_NE(std::string::npos, r.sErr.find("ERROR: failed to save"));
  // A ninth input finds no free channel.
  r = RunCli({"info", P("a.txt"), P("a.txt"), P("a.txt"), P("a.txt"), P("a.txt"), P("a.txt"), P("a.txt"),
              P("a.txt"), P("a.txt")});
  EXPECT_EQ(1, r.iExit);
  EXPECT_NE(std::string::npos, r.sErr.find("All channels are in use."));
}

TEST_F(CliEndToEnd, ConvertWritesWhatTheEditorSaves) {
  CliRun r = RunCli({"convert", P("a.txt"), P("out.txt")});
  EXPECT_EQ(0, r.iExit) << r.sErr;
  EXPECT_NE(std::string::npos, r.sErr.find("Saved file \"" + P("out.txt") + "\"\n"));
  EXPECT_EQ("; Saved by Orvane's Plotsmith\r\n; Original filename: \"" + P("out.txt") +
                "\"\r\nsamples_per_second=1000.000000\r\nn_samples=3\r\nn_channels=1\r\n"
                "data_type=int16\r\narray=\r\n  -32767,0,32767\r\nend_array\r\n",
            TestFiles_Read(P("out.txt")));
  // What was written loads back to the same stored integers.
  r = RunCli({"dump", P("out.txt")});
  EXPECT_EQ("-32767\n0\n32767\n", r.sOut);
  r = RunCli({"convert", "--type", "json", P("two.txt"), P("two.json")});
  EXPECT_EQ(0, r.iExit);
  std::string json = TestFiles_Read(P("two.json"));
  EXPECT_NE(std::string::npos, json.find("\"n_channels\": 2,\r\n"));
  EXPECT_NE(std::string::npos, json.find("\"data_type\": \"float\""));
  r = RunCli({"convert", "--type", "json-int16", P("a.txt"), P("a.json")});
  EXPECT_NE(std::string::npos, TestFiles_Read(P("a.json")).find("  -32767,0,32767\r\n ]\r\n}\r\n"));
  // Several inputs go into one file, each load and the save reported in turn.
  WriteFile(P("five.txt"), "5\n");
  r = RunCli({"convert", "--type", "json", P("a.txt"), P("five.txt"), P("both.json")});
  EXPECT_EQ(0, r.iExit);
  EXPECT_EQ("", r.sOut);
  EXPECT_EQ("Loaded file \"" + P("a.txt") + "\", 3 points\nLoaded file \"" + P("five.txt") +
                "\", 1 points\nSaved file \"" + P("both.json") + "\" (channel 2 padded by 2 samples with its last value)\n",
            r.sErr);
  json = TestFiles_Read(P("both.json"));
  EXPECT_TRUE(JsonCheck_Validate(json).bValid) << json;
  EXPECT_NE(std::string::npos, json.find("\"n_channels\": 2,"));
  EXPECT_EQ(0, RunCli({"convert", "--type", "uint8", P("a.txt"), P("u8.txt")}).iExit);
  EXPECT_NE(std::string::npos, TestFiles_Read(P("u8.txt")).find("  0,127,255\r\n"));
}

TEST_F(CliEndToEnd, FailedSaveIsReportedAndThePreviousFileStays) {
  std::string big = "n_samples=0\n";
  for (int i = 0; i < 20000; ++i) big += std::to_string(i % 1000) + "\n";
  WriteFile(P("big.txt"), big);
  WriteFile(P("keep.txt"), "previous\r\n");
  CliRun r = RunCli({"convert", P("big.txt"), P("keep.txt")}, 8192);
  EXPECT_EQ(1, r.iExit) << r.sErr;
  EXPECT_NE(std::string::npos, r.sErr.find("ERROR: failed to save \"" + P("keep.txt") + "\" (File too large)"))
      << r.sErr;
  EXPECT_EQ(std::string::npos, r.sErr.find("Saved file"));
  EXPECT_EQ("previous\r\n", TestFiles_Read(P("keep.txt")));
  // Real values take more room and fail the same way.
  r = RunCli({"convert", "--type", "float", P("big.txt"), P("keep.txt")}, 8192);
  EXPECT_EQ(1, r.iExit);
  EXPECT_NE(std::string::npos, r.sErr.find("(File too large)")) << r.sErr;
  EXPECT_EQ("previous\r\n", TestFiles_Read(P("keep.txt")));
}

TEST_F(CliEndToEnd, ConvertScalesToTheDataAndPicksJsonByName) {
  // The reader starts the range at -1..1; the editor's auto-scale makes it 0..10.
  WriteFile(P("ten.txt"), "0\n5\n10\n");
  ASSERT_EQ(0, RunCli({"convert", P("ten.txt"), P("ten_out.txt")}).iExit);
  EXPECT_NE(std::string::npos, TestFiles_Read(P("ten_out.txt")).find("\r\n  -32767,0,32767\r\n"));
  CliRun r = RunCli({"convert", P("ten.txt"), P("ten.JSON")});
  ASSERT_EQ(0, r.iExit) << r.sErr;
  std::string json = TestFiles_Read(P("ten.JSON"));
  EXPECT_TRUE(JsonCheck_Validate(json).bValid) << json;
  bool found = false;
  EXPECT_EQ(std::vector<double>({0.0, 0.5, 1.0}), JsonCheck_NumberArray(json, "array", &found));
  // An explicit --type still wins over the name, wherever it stands.
  ASSERT_EQ(0, RunCli({"convert", P("ten.txt"), P("ten.json"), "--type", "int16"}).iExit);
  EXPECT_NE(std::string::npos, TestFiles_Read(P("ten.json")).find("\r\nn_samples=3\r\n"));
}

TEST_F(CliEndToEnd, OptionsAnywhereVersionAndNamedErrors) {
  CliRun r = RunCli({"--version"});
  EXPECT_EQ(0, r.iExit);
  EXPECT_EQ("plotsmith-cli 0.1\n", r.sOut);
  r = RunCli({"info", P("a.txt"), "--verbose"});
  EXPECT_EQ(2, r.iExit);
  EXPECT_NE(std::string::npos, r.sErr.find("plotsmith-cli: unknown option '--verbose'\n")) << r.sErr;
  r = RunCli({"frobnicate", P("a.txt")});
  EXPECT_NE(std::string::npos, r.sErr.find("unknown subcommand 'frobnicate'")) << r.sErr;
  r = RunCli({"dump", "--channel", "3", P("a.txt")});
  EXPECT_EQ(1, r.iExit);
  EXPECT_NE(std::string::npos, r.sErr.find("plotsmith-cli: channel 3 is not in use\n")) << r.sErr;
  EXPECT_EQ("", r.sOut);
  r = RunCli({"dump", P("a.txt"), P("two.txt"), "--channel", "3"});
  EXPECT_EQ(0, r.iExit);
  EXPECT_EQ("2\n4\n6\n", r.sOut);
  r = RunCli({"convert", P("a.txt"), "--type", "float", P("f.txt")});
  EXPECT_EQ(0, r.iExit);
  EXPECT_NE(std::string::npos, TestFiles_Read(P("f.txt")).find("data_type=float"));
  // After "--" every argument is a file name.
  WriteFile(P("--odd.txt"), "7\n");
  r = RunCli({"dump", "--", P("--odd.txt")});
  EXPECT_EQ("7\n", r.sOut) << r.sErr;
}

TEST_F(CliEndToEnd, DumpWithXAndAllChannelsAsColumns) {
  CliRun r = RunCli({"dump", "--x", P("a.txt")});
  EXPECT_EQ(0, r.iExit);
  EXPECT_EQ("0\t-1\n0.001\t0\n0.002\t1\n", r.sOut);
  WriteFile(P("one.txt"), "9\n");
  r = RunCli({"dump", "--all", P("two.txt"), P("one.txt")});
  EXPECT_EQ(0, r.iExit);
  EXPECT_EQ("1\t2\t9\n3\t4\t\n5\t6\t\n", r.sOut);
  EXPECT_EQ(2, RunCli({"dump", "--all", "--channel", "1", P("a.txt")}).iExit);
}

TEST_F(CliEndToEnd, WarningsGoToStderrAndKeepExitZero) {
  WriteFile(P("loud.txt"), "samples_per_second=2000000\narray=\n0.5\n2\n-3\n1\n");
  CliRun r = RunCli({"convert", P("loud.txt"), P("loud.wav")});
  EXPECT_EQ(0, r.iExit);
  EXPECT_EQ("", r.sOut);
  EXPECT_NE(std::string::npos, r.sErr.find("plotsmith-cli: 2 values outside -1..1 were clipped\n")) << r.sErr;
  EXPECT_NE(std::string::npos, r.sErr.find("plotsmith-cli: sample rate 2000000 Hz written as 1000000 Hz\n"))
      << r.sErr;
  std::string lines;
  for (int i = 0; i < 1048577; ++i) lines += "1\n";
  WriteFile(P("long.txt"), lines);
  r = RunCli({"info", P("long.txt")});
  EXPECT_EQ(0, r.iExit);
  EXPECT_NE(std::string::npos,
            r.sErr.find(", 1048576 points (file truncated: only the first 1048576 samples were loaded)\n"))
      << r.sErr;
}

// Sound files: the writer by OUT's extension, the bits or quality by --type,
// a type the format does not take refused, an undecodable file named with
// the library's reason.
TEST_F(CliEndToEnd, SoundFilesByExtensionWithBitsAndQuality) {
  std::string text = "samples_per_second=8000\narray=\n";
  std::vector<double> want;
  for (int i = 0; i < 800; ++i) {
    want.push_back(std::round(0.7 * std::sin(i * 0.05) * 8388607) * (1.0 / 8388607));
    text += std::to_string(0.7 * std::sin(i * 0.05)) + "\n";
  }
  WriteFile(P("tone.txt"), text);
  CliRun r = RunCli({"convert", "--type", "24", P("tone.txt"), P("tone.flac")});
  ASSERT_EQ(0, r.iExit) << r.sErr;
  r = RunCli({"dump", P("tone.flac")});
  ASSERT_EQ(0, r.iExit) << r.sErr;
  std::vector<double> got;
  for (size_t p = 0, e; (e = r.sOut.find('\n', p)) != std::string::npos; p = e + 1)
    got.push_back(std::strtod(r.sOut.substr(p, e - p).c_str(), nullptr));
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < want.size(); ++i)  // the text holds six decimals: 24 bits keep them
    EXPECT_NEAR(got[i], want[i], 1e-6) << i;
  EXPECT_EQ(0, RunCli({"convert", P("tone.txt"), P("tone.ogg"), "--type", "q0.6"}).iExit);
  r = RunCli({"info", P("tone.ogg")});
  EXPECT_NE(std::string::npos, r.sOut.find("samples=800 ")) << r.sOut;
  EXPECT_NE(std::string::npos, r.sOut.find("rate_hz=8000 ")) << r.sOut;
  // A type the format does not take, and a quality out of range: usage errors.
  r = RunCli({"convert", "--type", "24", P("tone.txt"), P("out.txt")});
  EXPECT_EQ(2, r.iExit);
  EXPECT_NE(std::string::npos, r.sErr.find("plotsmith-cli: this --type does not apply to .txt files")) << r.sErr;
  EXPECT_EQ(2, RunCli({"convert", "--type", "q1.5", P("tone.txt"), P("out.ogg")}).iExit);
  EXPECT_FALSE(std::ifstream(P("out.txt")).good());
  WriteFile(P("junk.flac"), "not a flac file at all");
  r = RunCli({"info", P("junk.flac")});
  EXPECT_EQ(1, r.iExit);
  EXPECT_NE(std::string::npos, r.sErr.find("ERROR: failed to load \"" + P("junk.flac") + "\" (Format not supported: "))
      << r.sErr;
}

}  // namespace

#endif  // PLOTSMITH_CLI_PATH
