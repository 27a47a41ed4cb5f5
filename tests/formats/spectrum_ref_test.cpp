// Spectrum reference reader and writer: header keys, data phase, exact
// output, round trip and write failures.

#include "formats/spectrum_ref.h"
#include "tests/support/test_files.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

class SpectrumRefTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::memset(&set, 0, sizeof(set));
    std::memset(&hdr, 0, sizeof(hdr));
    ChannelSet_Init(&set, 64);
    dir = TestFiles_MakeTempDir();
  }
  void TearDown() override {
    ChannelSet_FreeAll(&set);
    TestFiles_RemoveTree(dir);
  }
  std::string Path(const char* name) const { return dir + "/" + name; }
  int Load(const std::string& text, int first = 0) {
    std::string p = Path("in.ref");
    FILE* fp = std::fopen(p.c_str(), "wb");
    if (!fp) return -1;
    std::fwrite(text.data(), 1, text.size(), fp);
    std::fclose(fp);
    return SpectrumRef_Read(p.c_str(), &set, first, &hdr);
  }
  const double* Samples(int c = 0) const { return set.Channel[c].pdSamples; }
  ChannelSet set;  // the channels loaded into and saved from
  SpectrumRefHeader hdr;  // the header read and written
  std::string dir;  // the test's folder
};

TEST_F(SpectrumRefTest, HeaderKeysSetTheChannelAndTheBinCountLimitsTheValues) {
  ASSERT_EQ(Load("; a comment\r\ntime=2.5\r\ntype=complex_array\r\nbin_width_hz=10.0\r\n"
                 "offset_hz=1000.0\r\nnr_of_bins=4\r\ncomps_per_bin=2\r\nscale_unit=3\r\n"
                 "scale_factor=0.5\r\nscale_offset=-1.25\r\navrg_count=16\r\nother_key=1\r\n"
                 "array=\r\n1\r\n2\r\n-3\r\n4\r\n5\r\nend\r\n"),
            0);
  EXPECT_EQ(set.Channel[0].iNrOfSamples, 4);
  EXPECT_EQ(set.Channel[0].dXOrigin, 1000.0);
  EXPECT_EQ(set.Channel[0].dXStep, 10.0);
  EXPECT_EQ(set.Channel[0].iVisible, 1);
  EXPECT_EQ(Samples()[2], -3.0);
  EXPECT_EQ(set.Channel[0].dViewMin, -3.0);
  EXPECT_EQ(set.Channel[0].dViewMax, 4.0);
  EXPECT_EQ(hdr.dTime, 2.5);
  EXPECT_EQ(hdr.iType, 2);
  EXPECT_EQ(hdr.iNrOfBins, 4);
  EXPECT_EQ(hdr.iCompsPerBin, 2);
  EXPECT_EQ(hdr.iScaleUnit, 3);
  EXPECT_EQ(hdr.dScaleFactor, 0.5);
  EXPECT_EQ(hdr.dScaleOffset, -1.25);
  EXPECT_EQ(hdr.iAvrgCount, 16);
}

TEST_F(SpectrumRefTest, EndLineTerminatesDataAndIsNotAValue) {
  ASSERT_EQ(Load("bin_width_hz=10.0\r\narray=\r\n1\r\n2\r\n3\r\n4\r\n5\r\nend\r\n6\r\n"), 0);
  EXPECT_EQ(set.Channel[0].iNrOfSamples, 5);
  EXPECT_EQ(hdr.iNrOfBins, 5);
  EXPECT_EQ(Samples()[4], 5.0);
  hdr.iNrOfBins = 0;
  ASSERT_EQ(Load("array=\n7\n  end of data\n"), 0);
  EXPECT_EQ(set.Channel[0].iNrOfSamples, 1);
  EXPECT_EQ(hdr.iNrOfBins, 1);
}

TEST_F(SpectrumRefTest, KeyAliasesClampsAndTypeWords) {
  hdr.iType = 3;
  hdr.iNrOfBins = 0;
  ASSERT_EQ(Load("iNrOfBins=2\niCompsPerBin=0\ntype=no_such_word\narray=\n1\n2\n3\n"), 0);
  EXPECT_EQ(hdr.iNrOfBins, 2);
  EXPECT_EQ(hdr.iCompsPerBin, 0);
  EXPECT_EQ(hdr.iType, 3);
  EXPECT_EQ(set.Channel[0].iNrOfSamples, 2);
  ASSERT_EQ(Load("comps_per_bin=-5\ntype=  text_message\n"), 0);
  EXPECT_EQ(hdr.iCompsPerBin, 0);
  EXPECT_EQ(hdr.iType, 4);
  ASSERT_EQ(Load("comps_per_bin=7\n"), 0);
  EXPECT_EQ(hdr.iCompsPerBin, 4);
  hdr.iType = 0;
  hdr.iNrOfBins = 0;
  ASSERT_EQ(Load("array=\n1.5\n"), 0);
  EXPECT_EQ(hdr.iType, 1) << "data without a type line makes an unused type a float array";
  // A negative bin count reads no values.
  hdr.iNrOfBins = 0;
  ASSERT_EQ(Load("nr_of_bins=-3\narray=\n1\n2\n"), 0);
  EXPECT_EQ(set.Channel[0].iNrOfSamples, 0);
}

TEST_F(SpectrumRefTest, BareNumbersAndDefaults) {
  hdr.dTime = 9.0;
  hdr.dBinWidthHz = 7.0;
  hdr.iAvrgCount = 33;
  ASSERT_EQ(Load("  -2.5\n\n\t4\n1\n"), 0);
  EXPECT_EQ(set.Channel[0].iNrOfSamples, 3);
  EXPECT_EQ(Samples()[0], -2.5);
  EXPECT_EQ(set.Channel[0].dViewMin, -2.5);
  EXPECT_EQ(set.Channel[0].dViewMax, 4.0);
  EXPECT_EQ(set.Channel[0].dXStep, 1.0);
  EXPECT_EQ(set.Channel[0].dXOrigin, 0.0);
  EXPECT_EQ(hdr.dTime, 0.0);
  EXPECT_EQ(hdr.iAvrgCount, 33) << "fields without a default keep their value";
}

TEST_F(SpectrumRefTest, FilesWithoutValuesEmptyTheChannel) {
  for (int i = 0; i < 10; ++i) ChannelSet_SetSample(&set, 2, i, 1.0);
  ASSERT_EQ(Load("; only a header\nbin_width_hz=2.5\noffset_hz=-4\n", 2), 0);
  EXPECT_EQ(set.Channel[2].iNrOfSamples, 0);
  EXPECT_EQ(set.Channel[2].dXStep, 2.5);
  EXPECT_EQ(set.Channel[2].dXOrigin, -4.0);
  // Ten empty lines end the header phase: the value after them is not read.
  for (int i = 0; i < 10; ++i) ChannelSet_SetSample(&set, 2, i, 1.0);
  ASSERT_EQ(Load(std::string(10, '\n') + "5\n", 2), 0);
  EXPECT_EQ(set.Channel[2].iNrOfSamples, 0);
  ASSERT_EQ(Load(std::string(9, '\n') + "5\n", 2), 0);
  EXPECT_EQ(set.Channel[2].iNrOfSamples, 1);
}

TEST_F(SpectrumRefTest, MissingFileChangesNothing) {
  hdr.dBinWidthHz = 3.0;
  set.Channel[0].iNrOfSamples = 5;
  EXPECT_EQ(SpectrumRef_Read(Path("none.ref").c_str(), &set, 0, &hdr), 2129);
  EXPECT_EQ(hdr.dBinWidthHz, 3.0);
  EXPECT_EQ(set.Channel[0].iNrOfSamples, 5);
  EXPECT_EQ(SpectrumRef_Read(Path("none.ref").c_str(), &set, 8, &hdr), 2129);
}

TEST_F(SpectrumRefTest, LongLinesWithoutLineEndLoadWithoutHarm) {
  std::string text = "array=\n" + std::string(10 * 1024 * 1024, '7');
  ASSERT_EQ(Load(text), 0);
  EXPECT_GE(set.Channel[0].iNrOfSamples, 1);
  EXPECT_LE(set.Channel[0].iNrOfSamples, set.Channel[0].iAllocated);
}

TEST_F(SpectrumRefTest, WriterProducesExactTextFromHeaderAndChannel) {
  hdr.dTime = 12.5;
  hdr.iType = 2;
  hdr.dBinWidthHz = 99.0;  // stale: the channel's own step is written
  hdr.iNrOfBins = 1;       // stale: the channel's own count is written
  hdr.iCompsPerBin = 2;
  hdr.iScaleUnit = 1;
  hdr.dScaleFactor = 2.0;
  hdr.dScaleOffset = -0.5;
  hdr.iAvrgCount = 4;
  set.Channel[0].iNrOfSamples = 0;
  ChannelSet_SetSample(&set, 0, 0, 1.5);
  ChannelSet_SetSample(&set, 0, 1, 1e-9);
  ChannelSet_SetSample(&set, 0, 2, -20.25);
  set.Channel[0].pdSamples[3] = 77.0;  // beyond the valid samples
  set.Channel[0].dXStep = 5.0;
  set.Channel[0].dXOrigin = 100.0;
  std::string p = Path("out.ref");
  ASSERT_EQ(SpectrumRef_Write(p.c_str(), &set, 0, &hdr), 0);
  EXPECT_EQ(TestFiles_Read(p),
            "; Saved by Plotsmith\r\n; Original filename: \"" + p +
                "\"\r\ntime=12.500000\r\ntype=complex_array\r\nbin_width_hz=5.000000\r\n"
                "offset_hz=100.000000\r\nnr_of_bins=3\r\ncomps_per_bin=2\r\nscale_unit=1\r\n"
                "scale_factor=2.000000\r\nscale_offset=-0.500000\r\navrg_count=4\r\narray=\r\n"
                "1.500000\r\n1e-09\r\n-20.250000\r\nend\r\n");
  hdr.iType = 9;
  ASSERT_EQ(SpectrumRef_Write(p.c_str(), &set, 0, &hdr), 0);
  EXPECT_NE(TestFiles_Read(p).find("\r\ntype=unknown\r\n"), std::string::npos);
}

TEST_F(SpectrumRefTest, CurveNotFromAReferenceFileIsWrittenWithItsValues) {
  // Header as at start-up: all zero.
  set.Channel[1].iNrOfSamples = 0;
  for (int i = 0; i < 100; ++i) ChannelSet_SetSample(&set, 1, i, std::sin(i * 0.1));
  set.Channel[1].dXStep = 0.5;
  set.Channel[1].dXOrigin = 2.0;
  std::string p = Path("rt.ref");
  ASSERT_EQ(SpectrumRef_Write(p.c_str(), &set, 1, &hdr), 0);
  SpectrumRefHeader back;
  std::memset(&back, 0, sizeof(back));
  ASSERT_EQ(SpectrumRef_Read(p.c_str(), &set, 3, &back), 0);
  ASSERT_EQ(set.Channel[3].iNrOfSamples, 100);
  EXPECT_EQ(back.iNrOfBins, 100);
  EXPECT_EQ(set.Channel[3].dXStep, 0.5);
  EXPECT_EQ(set.Channel[3].dXOrigin, 2.0);
  EXPECT_EQ(back.iType, 1) << "\"unused\" with values is read as a float array";
  for (int i = 0; i < 100; ++i) ASSERT_NEAR(Samples(3)[i], Samples(1)[i], 5e-7);
}

TEST_F(SpectrumRefTest, WriteFailuresAreReportedAndKeepThePreviousFile) {
  EXPECT_EQ(SpectrumRef_Write(Path("no/dir/x.ref").c_str(), &set, 0, &hdr), 2129);
  EXPECT_EQ(SpectrumRef_Write(Path("x.ref").c_str(), &set, 8, &hdr), 2129);
  std::string p = Path("keep.ref");
  {
    FILE* fp = std::fopen(p.c_str(), "wb");
    ASSERT_NE(fp, nullptr);
    std::fputs("old\n", fp);
    std::fclose(fp);
  }
  set.Channel[0].iNrOfSamples = 0;
  for (int i = 0; i < 20000; ++i) ChannelSet_SetSample(&set, 0, i, i * 1.5);
  pid_t pid = fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    signal(SIGXFSZ, SIG_IGN);
    struct rlimit rl = {50000, 50000};
    setrlimit(RLIMIT_FSIZE, &rl);
    _exit(SpectrumRef_Write(p.c_str(), &set, 0, &hdr) != 0 ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0) << "the failed write was reported as success";
  EXPECT_EQ(TestFiles_Read(p), "old\n");
}

}  // namespace
