// plotsmith-cli end to end: exit codes, stdout and the status texts on stderr.

#ifdef PLOTSMITH_CLI_PATH

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/json_check.h"
#include "tests/support/test_files.h"

namespace {

struct CliRun {
  int iExit;
  std::string szOut;
  std::string szErr;
};

// Runs the binary with args through the shell; prefix goes before it (e.g. a
// ulimit).
CliRun RunCli(const TempDir& dir, const std::string& args, const std::string& prefix = "") {
  std::string out = dir.File("stdout.log"), err = dir.File("stderr.log");
  std::string cmd = prefix + "'" PLOTSMITH_CLI_PATH "' " + args + " >'" + out + "' 2>'" + err + "'";
  int status = std::system(cmd.c_str());
  CliRun r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, TestFiles_Read(out), TestFiles_Read(err)};
  std::remove(out.c_str());
  std::remove(err.c_str());
  return r;
}

std::string Q(const std::string& s) { return "'" + s + "'"; }

TEST(Cli, InfoOverSeveralFiles) {
  TempDir dir;
  std::string a = dir.File("a.txt"), b = dir.File("b.txt");
  ASSERT_TRUE(TestFiles_Write(a, "samples_per_second=4\narray=\n-1\n0\n3\n"));
  ASSERT_TRUE(TestFiles_Write(b, "n_channels=2\narray=\n1,2\n3,4\n"));
  CliRun r = RunCli(dir, "info " + Q(a) + " " + Q(b));
  EXPECT_EQ(0, r.iExit);
  // Ranges are the data's own, as after the editor's auto-scale.
  EXPECT_EQ("channel 1: samples=3 x_origin=0 x_step=0.25 min=-1 max=3 visible=1 rate_hz=4 duration_s=0.75\n"
            "channel 2: samples=2 x_origin=0 x_step=1 min=1 max=3 visible=1 rate_hz=1 duration_s=2\n"
            "channel 3: samples=2 x_origin=0 x_step=1 min=2 max=4 visible=1 rate_hz=1 duration_s=2\n",
            r.szOut);
  EXPECT_EQ("Loaded file \"" + a + "\", 3 points\nLoaded file \"" + b + "\", 2 points\n", r.szErr);
}

TEST(Cli, DumpChannel) {
  TempDir dir;
  std::string a = dir.File("a.txt");
  ASSERT_TRUE(TestFiles_Write(a, "n_channels=2\narray=\n0.1,2\n3,4\n"));
  CliRun r = RunCli(dir, "dump " + Q(a));
  EXPECT_EQ(0, r.iExit);
  EXPECT_EQ("0.10000000000000001\n3\n", r.szOut);
  r = RunCli(dir, "dump --channel 2 " + Q(a));
  EXPECT_EQ("2\n4\n", r.szOut);
  EXPECT_EQ(2, RunCli(dir, "dump --channel 9 " + Q(a)).iExit);
  EXPECT_EQ(2, RunCli(dir, "dump --channel").iExit);
}

TEST(Cli, ConvertLikeTheEditorsSave) {
  TempDir dir;
  std::string a = dir.File("a.txt"), b = dir.File("b.txt"), out = dir.File("out.json");
  ASSERT_TRUE(TestFiles_Write(a, "-1\n0\n1\n"));
  ASSERT_TRUE(TestFiles_Write(b, "5\n"));
  CliRun r = RunCli(dir, "convert --type json " + Q(a) + " " + Q(b) + " " + Q(out));
  EXPECT_EQ(0, r.iExit);
  EXPECT_EQ("", r.szOut);
  EXPECT_EQ("Loaded file \"" + a + "\", 3 points\nLoaded file \"" + b + "\", 1 points\nSaved file \"" + out + "\"\n",
            r.szErr);
  std::string text = TestFiles_Read(out);
  EXPECT_TRUE(JsonCheck_Validate(text).bValid) << text;
  EXPECT_NE(std::string::npos, text.find("\"n_channels\": 2,"));
  std::string txt = dir.File("out.txt");
  EXPECT_EQ(0, RunCli(dir, "convert " + Q(a) + " " + Q(txt)).iExit);
  EXPECT_NE(std::string::npos, TestFiles_Read(txt).find("data_type=int16\r\narray=\r\n  -32767,0,32767\r\n"));
  EXPECT_EQ(0, RunCli(dir, "convert --type uint8 " + Q(a) + " " + Q(txt)).iExit);
  EXPECT_NE(std::string::npos, TestFiles_Read(txt).find("  0,127,255\r\n"));
}

TEST(Cli, FailuresAndUsage) {
  TempDir dir;
  std::string a = dir.File("a.txt");
  ASSERT_TRUE(TestFiles_Write(a, "1\n"));
  CliRun r = RunCli(dir, "info " + Q(dir.File("missing.txt")));
  EXPECT_EQ(1, r.iExit);
  EXPECT_EQ("ERROR: failed to load \"" + dir.File("missing.txt") + "\" (File doesnt exist)\n", r.szErr);
  r = RunCli(dir, "info " + Q(dir.File("x.json")));
  EXPECT_EQ(1, r.iExit);
  EXPECT_NE(std::string::npos, r.szErr.find("(Format not supported)"));
  r = RunCli(dir, "convert " + Q(a) + " " + Q(dir.File("x.fcf")));
  EXPECT_EQ(1, r.iExit);
  EXPECT_NE(std::string::npos, r.szErr.find("ERROR: failed to save"));
  for (const char* bad : {"", "bogus", "info", "convert a.txt", "convert --type double a.txt b.txt"}) {
    r = RunCli(dir, bad);
    EXPECT_EQ(2, r.iExit) << bad;
    EXPECT_NE(std::string::npos, r.szErr.find("usage:")) << bad;
  }
  r = RunCli(dir, "--help");
  EXPECT_EQ(0, r.iExit);
  EXPECT_NE(std::string::npos, r.szOut.find("plotsmith-cli convert"));
  std::string nine;
  for (int i = 0; i < 9; ++i) nine += Q(a) + " ";
  r = RunCli(dir, "info " + nine);
  EXPECT_EQ(1, r.iExit);
  EXPECT_NE(std::string::npos, r.szErr.find("All channels are in use."));
}

TEST(Cli, FailedWriteUnderFileSizeLimit) {
  TempDir dir;
  std::string a = dir.File("a.txt"), out = dir.File("out.txt");
  std::string bytes;
  for (int i = 0; i < 50000; ++i) bytes += std::to_string(i % 977) + "\n";
  ASSERT_TRUE(TestFiles_Write(a, bytes));
  ASSERT_TRUE(TestFiles_Write(out, "old\n"));
  // ulimit -f counts 1024-byte blocks; the shell ignores SIGXFSZ for the child.
  CliRun r = RunCli(dir, "convert --type float " + Q(a) + " " + Q(out), "trap '' XFSZ; ulimit -f 8; ");
  EXPECT_EQ(1, r.iExit);
  EXPECT_NE(std::string::npos, r.szErr.find("ERROR: failed to save \"" + out + "\" (File too large)")) << r.szErr;
  EXPECT_EQ(std::string::npos, r.szErr.find("Saved file"));
  EXPECT_EQ("old\n", TestFiles_Read(out));
}

}  // namespace

#endif  // PLOTSMITH_CLI_PATH
