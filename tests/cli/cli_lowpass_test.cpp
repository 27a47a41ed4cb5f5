// plotsmith-cli lowpass run as a program: the filtered files it writes, one
// channel or all, refused channels kept, and its usage errors.

#ifdef PLOTSMITH_CLI_PATH
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/test_files.h"

namespace {

struct CliRun {
  int iExit;  // exit code
  std::string sOut;  // what it wrote to stdout
};

// Runs plotsmith-cli with the arguments (stderr into a file of its own).
CliRun RunCli(const std::string& args, const std::string& errFile) {
  std::string cmd = std::string(PLOTSMITH_CLI_PATH) + " " + args + " 2>" + errFile;
  FILE* p = popen(cmd.c_str(), "r");
  CliRun r{-1, ""};
  if (!p) return r;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.sOut.append(buf, n);
  int status = pclose(p);
  r.iExit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return r;
}

std::vector<double> Numbers(const std::string& text) {
  std::vector<double> v;
  std::istringstream in(text);
  double d;
  while (in >> d) v.push_back(d);
  return v;
}

struct CliLowpass : ::testing::Test {
  std::string dir;  // the test's folder
  void SetUp() override {
    dir = TestFiles_MakeTempDir();
  }
  void TearDown() override { TestFiles_RemoveTree(dir); }
  // A one-value-per-line file: a slow sine plus a fast one on top.
  std::string WriteSignal(const std::string& name, int n, double fast) {
    std::string path = dir + "/" + name;
    std::ofstream f(path, std::ios::binary);
    for (int i = 0; i < n; ++i) f << 0.5 * std::sin(2 * M_PI * i / 256.0) + fast * std::sin(M_PI * 0.9 * i) << "\r\n";
    return path;
  }
};

// Sum of squared neighbour differences: large for the fast component.
double Roughness(const std::vector<double>& v) {
  double r = 0.0;
  for (size_t i = 1; i < v.size(); ++i) r += (v[i] - v[i - 1]) * (v[i] - v[i - 1]);
  return r;
}

TEST_F(CliLowpass, FiltersEveryChannelAndSaves) {
  std::string a = WriteSignal("a.txt", 1024, 0.3), b = WriteSignal("b.txt", 1024, 0.3);
  std::string out = dir + "/out.txt", plain = dir + "/plain.txt", err = dir + "/err.txt";
  CliRun r = RunCli("lowpass --cutoff 0.05 --type float " + a + " " + b + " " + out, err);
  EXPECT_EQ(r.iExit, 0) << TestFiles_Read(err);
  EXPECT_NE(TestFiles_Read(err).find("Saved file \"" + out + "\""), std::string::npos);
  ASSERT_EQ(RunCli("convert --type float " + a + " " + b + " " + plain, err).iExit, 0);
  for (const char* ch : {"1", "2"}) {
    std::vector<double> filtered = Numbers(RunCli(std::string("dump --channel ") + ch + " " + out, err).sOut);
    std::vector<double> unfiltered = Numbers(RunCli(std::string("dump --channel ") + ch + " " + plain, err).sOut);
    ASSERT_EQ(filtered.size(), 1024u);
    ASSERT_EQ(unfiltered.size(), 1024u);
    // The fast component is gone from every channel; the slow one stays.
    EXPECT_LT(Roughness(filtered), 0.01 * Roughness(unfiltered)) << "channel " << ch;
  }
}

TEST_F(CliLowpass, OneChannelOnlyAndRefusedChannelsKept) {
  std::string a = WriteSignal("a.txt", 512, 0.3);
  std::string tiny = dir + "/tiny.txt";
  std::ofstream(tiny, std::ios::binary) << "1\r\n2\r\n3\r\n";
  std::string out = dir + "/out.txt", plain = dir + "/plain.txt", err = dir + "/err.txt";
  CliRun r = RunCli("lowpass --cutoff 0.1 --width 0.05 --type float " + a + " " + tiny + " " + out, err);
  EXPECT_EQ(r.iExit, 0);
  EXPECT_NE(TestFiles_Read(err).find("channel 2 not filtered"), std::string::npos);
  ASSERT_EQ(RunCli("convert --type float " + a + " " + tiny + " " + plain, err).iExit, 0);
  EXPECT_EQ(Numbers(RunCli("dump --channel 2 " + out, err).sOut),
            Numbers(RunCli("dump --channel 2 " + plain, err).sOut));

  std::string out2 = dir + "/out2.txt", plain2 = dir + "/plain2.txt";
  ASSERT_EQ(RunCli("lowpass --cutoff 0.01 --channel 2 --type float " + a + " " + a + " " + out2, err).iExit, 0);
  ASSERT_EQ(RunCli("convert --type float " + a + " " + a + " " + plain2, err).iExit, 0);
  std::vector<double> ch1 = Numbers(RunCli("dump --channel 1 " + out2, err).sOut);
  std::vector<double> ch2 = Numbers(RunCli("dump --channel 2 " + out2, err).sOut);
  EXPECT_EQ(ch1, Numbers(RunCli("dump --channel 1 " + plain2, err).sOut));  // channel 1 untouched
  EXPECT_LT(Roughness(ch2), 0.01 * Roughness(ch1));
}

TEST_F(CliLowpass, UsageErrors) {
  std::string a = WriteSignal("a.txt", 64, 0.0), err = dir + "/err.txt";
  EXPECT_EQ(RunCli("lowpass " + a + " " + dir + "/o.txt", err).iExit, 2);  // no cut-off
  EXPECT_EQ(RunCli("lowpass --cutoff x " + a + " " + dir + "/o.txt", err).iExit, 2);
  EXPECT_EQ(RunCli("lowpass --cutoff 0.1 --channel 9 " + a + " " + dir + "/o.txt", err).iExit, 2);
  EXPECT_EQ(RunCli("lowpass --cutoff 0.1 --channel 3 " + a + " " + dir + "/o.txt", err).iExit, 2);
  EXPECT_EQ(RunCli("lowpass --cutoff 0.1 " + a, err).iExit, 2);
  EXPECT_EQ(RunCli("lowpass --cutoff 0.1 " + dir + "/missing.txt " + dir + "/o.txt", err).iExit, 1);
}

}  // namespace
#endif
