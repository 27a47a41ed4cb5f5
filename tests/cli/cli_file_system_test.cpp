// plotsmith-cli against the file system: targets it may not replace, errors
// that name their cause, an input without samples, a full disk for render,
// and signals in the middle of a save.  Each case runs the real program, some
// as another user or under a file size limit, from a forked child.

#include <gtest/gtest.h>

#ifdef PLOTSMITH_CLI_PATH

#include <dirent.h>
#include <grp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/test_files.h"
#include "tests/support/wave_bytes.h"

namespace {

constexpr uid_t kNobody = 65534;  // the unprivileged user of Debian-like systems

// How a run is made: as which user, under which file size limit, and
// whether to send a signal as soon as a temporary file shows in a folder.
struct RunOptions {
  uid_t uid = 0;              // 0: as the test runs; else setuid to it
  rlim_t fileLimit = 0;       // > 0: RLIMIT_FSIZE of the child
  int signal = 0;             // sent once a name with ".tmp" shows in watchDir
  std::string watchDir;       // the folder watched for the temporary
};

// The outcome of a run.
struct Outcome {
  int iExit;          // exit code, or 1000 + the signal that ended it
  std::string sErr;   // what it wrote to stderr
  bool fSignalSent;   // the signal of RunOptions was sent
};

bool HasTemporary(const std::string& dir) {
  DIR* d = opendir(dir.c_str());
  bool found = false;
  for (dirent* e; d && (e = readdir(d));) found = found || std::strstr(e->d_name, ".tmp") != nullptr;
  if (d) closedir(d);
  return found;
}

// Runs program with args; stderr goes to a file in the folder of errFile.
Outcome RunProgram(const std::string& program, const std::vector<std::string>& args, const std::string& errFile,
            const RunOptions& o = RunOptions()) {
  pid_t pid = fork();
  if (pid == 0) {
    if (o.fileLimit > 0) {
      struct rlimit rl = {o.fileLimit, o.fileLimit};
      setrlimit(RLIMIT_FSIZE, &rl);
    }
    // stderr is opened before the switch of user, which may not create it.
    if (!freopen(errFile.c_str(), "w", stderr) || !freopen("/dev/null", "w", stdout)) _exit(125);
    if (o.uid != 0 && (setgroups(0, nullptr) != 0 || setgid(o.uid) != 0 || setuid(o.uid) != 0)) _exit(126);
    std::vector<char*> argv;
    std::string prog = program;
    argv.push_back(&prog[0]);
    std::vector<std::string> copy = args;
    for (std::string& a : copy) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    execv(prog.c_str(), argv.data());
    _exit(127);
  }
  Outcome r{-1, "", false};
  int status = 0;
  if (o.signal) {
    // Polls (no timing) until the temporary shows or the child has ended.
    while (waitpid(pid, &status, WNOHANG) == 0) {
      if (HasTemporary(o.watchDir)) {
        kill(pid, o.signal);
        r.fSignalSent = true;
        waitpid(pid, &status, 0);
        break;
      }
      usleep(200);
    }
  } else {
    waitpid(pid, &status, 0);
  }
  r.iExit = WIFEXITED(status) ? WEXITSTATUS(status) : 1000 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
  r.sErr = TestFiles_Read(errFile);
  return r;
}

class CliFileSystem : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(TestFiles_Write(P("in.txt"), "samples_per_second=100\n-1\n0\n1\n")); }
  std::string P(const std::string& name) const { return dir.File(name); }
  // What stderr holds when in.txt loaded and the save of out failed with cause.
  std::string SaveFailed(const std::string& out, const std::string& cause) const {
    return "Loaded file \"" + P("in.txt") + "\", 3 points\nERROR: failed to save \"" + out + "\" (" + cause + ")\n";
  }
  Outcome Cli(const std::vector<std::string>& args, const RunOptions& o = RunOptions()) {
    return RunProgram(PLOTSMITH_CLI_PATH, args, P("err"), o);
  }
  TempDir dir;  // the test's folder
};

TEST_F(CliFileSystem, TargetsThatMayNotBeReplacedAreRefusedWithTheCause) {
  const std::string out = P("out.txt");
  ASSERT_TRUE(TestFiles_Write(out, "old"));
  // Read-only for everyone, root included.
  ASSERT_EQ(0, chmod(out.c_str(), 0444));
  Outcome r = Cli({"convert", P("in.txt"), out});
  EXPECT_EQ(1, r.iExit);
  EXPECT_EQ(SaveFailed(out, "Permission denied"), r.sErr);
  EXPECT_EQ("old", TestFiles_Read(out));
  // A link to a device, and a FIFO, are no files to replace; the link stays.
  ASSERT_EQ(0, symlink("/dev/null", P("null.txt").c_str()));
  ASSERT_EQ(0, mkfifo(P("fifo.txt").c_str(), 0644));
  for (const char* name : {"null.txt", "fifo.txt"}) {
    r = Cli({"convert", P("in.txt"), P(name)});
    EXPECT_EQ(1, r.iExit) << name;
    EXPECT_EQ(SaveFailed(P(name), "not a regular file"), r.sErr) << name;
  }
  char link[64] = "";
  EXPECT_EQ(9, readlink(P("null.txt").c_str(), link, sizeof link - 1));
  // The other causes, each in the system's words; a missing file keeps its text.
  ASSERT_EQ(0, mkdir(P("folder.txt").c_str(), 0755));
  const struct {
    std::string path;   // the target, or the input when load is set
    bool load;          // the path is the input
    const char* cause;  // the text in parentheses
  } causes[] = {
      {P("folder.txt"), false, "Is a directory"},
      {P("in.txt/x.txt"), false, "Not a directory"},
      {P(std::string(300, 'n') + ".txt"), false, "File name too long"},
      {P("no/such.txt"), false, "File doesnt exist"},
      {P("folder.txt"), true, "Is a directory"},
      {P("missing.txt"), true, "File doesnt exist"},
      {P("folder.wav"), true, "Is a directory"},
  };
  ASSERT_EQ(0, mkdir(P("folder.wav").c_str(), 0755));
  for (const auto& c : causes) {
    r = c.load ? Cli({"convert", c.path, P("x.txt")}) : Cli({"convert", P("in.txt"), c.path});
    EXPECT_EQ(1, r.iExit) << c.path;
    EXPECT_NE(std::string::npos, r.sErr.find(std::string("(") + c.cause + ")\n")) << r.sErr;
  }
  // As a user without root's rights: a file of another owner in a folder
  // open to all may be renamed over, but not written; it stays.
  if (getuid() != 0) GTEST_SKIP() << "the non-root case needs root to switch to user nobody";
  ASSERT_EQ(0, chmod(dir.szPath.c_str(), 0777));
  ASSERT_EQ(0, chmod(P("in.txt").c_str(), 0644));
  ASSERT_TRUE(TestFiles_Write(P("root.txt"), "root's"));
  ASSERT_EQ(0, chmod(P("root.txt").c_str(), 0644));
  RunOptions nobody;
  nobody.uid = kNobody;
  r = Cli({"convert", P("in.txt"), P("root.txt")}, nobody);
  if (r.iExit >= 125 && r.iExit <= 127) GTEST_SKIP() << "cannot run plotsmith-cli as nobody here";
  EXPECT_EQ(1, r.iExit);
  EXPECT_EQ(SaveFailed(P("root.txt"), "Permission denied"), r.sErr);
  EXPECT_EQ("root's", TestFiles_Read(P("root.txt")));
  r = Cli({"convert", P("in.txt"), P("mine.txt")}, nobody);  // a new file in the same folder is fine
  EXPECT_EQ(0, r.iExit) << r.sErr;
}

TEST_F(CliFileSystem, AnInputWithoutSamplesLeavesTheOutputAsItWas) {
  ASSERT_TRUE(TestFiles_Write(P("empty.txt"), ""));
  ASSERT_TRUE(TestFiles_Write(P("good.txt"), "kept"));
  for (const char* command : {"convert", "lowpass"}) {
    std::vector<std::string> args = {command, P("empty.txt"), P("good.txt")};
    if (std::string(command) == "lowpass") args.insert(args.begin() + 1, {"--cutoff", "0.5"});
    Outcome r = Cli(args);
    EXPECT_EQ(1, r.iExit) << command;
    EXPECT_EQ(std::string::npos, r.sErr.find("Saved file")) << r.sErr;
    EXPECT_EQ("kept", TestFiles_Read(P("good.txt"))) << command;
  }
}

TEST_F(CliFileSystem, SignalsDuringALargeConvertLeaveNoTemporary) {
  // Two channels of half a million frames: the text written is some 7 MB.
  std::vector<int64_t> frames(2 * 524288);
  for (size_t i = 0; i < frames.size(); ++i) frames[i] = static_cast<int64_t>(i * 7919 % 65535) - 32767;
  ASSERT_TRUE(TestFiles_Write(P("big.wav"), WaveBytes_Riff(WaveBytes_Chunk("fmt ", WaveBytes_Fmt(1, 2, 8000, 16)) +
                                                           WaveBytes_Chunk("data", WaveBytes_Samples(frames, 2)))));
  ASSERT_TRUE(TestFiles_Write(P("out.txt"), "old"));
  // A temporary that an earlier kill -9 left is never taken for data.
  ASSERT_TRUE(TestFiles_Write(P("out.txt.tmpAbC123"), "stale"));
  Outcome r = Cli({"info", P("out.txt.tmpAbC123")});
  EXPECT_EQ("ERROR: failed to load \"" + P("out.txt.tmpAbC123") + "\" (Format not supported)\n", r.sErr);
  ASSERT_EQ(0, unlink(P("out.txt.tmpAbC123").c_str()));
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    RunOptions o;
    o.signal = sig;
    o.watchDir = dir.szPath;
    r = Cli({"convert", P("big.wav"), P("out.txt")}, o);
    if (!r.fSignalSent) {
      ADD_FAILURE() << "the save ended before its temporary was seen: " << r.sErr;
      continue;
    }
    EXPECT_EQ(1000 + sig, r.iExit) << strsignal(sig);
    EXPECT_FALSE(HasTemporary(dir.szPath)) << strsignal(sig);
    EXPECT_EQ("old", TestFiles_Read(P("out.txt"))) << strsignal(sig);
  }
}

TEST_F(CliFileSystem, RenderOnAFullDiskKeepsThePreviousImage) {
  std::string render = std::string(PLOTSMITH_CLI_PATH);
  render = render.substr(0, render.rfind('/') + 1) + "plotsmith-render";
  if (access(render.c_str(), X_OK) != 0) GTEST_SKIP() << "no plotsmith-render in this build (no window layer)";
  ASSERT_TRUE(TestFiles_Write(P("old.png"), "previous image"));
  RunOptions full;
  full.fileLimit = 1024;  // 1 kB fits: the image does not
  Outcome r = Cli({"render", "--size", "400x300", P("in.txt"), P("old.png")}, full);
  EXPECT_EQ(1, r.iExit);
  EXPECT_NE(std::string::npos, r.sErr.find("ERROR: failed to save \"" + P("old.png") + "\" (File too large)\n"))
      << r.sErr;
  EXPECT_EQ("previous image", TestFiles_Read(P("old.png")));
  EXPECT_FALSE(HasTemporary(dir.szPath));
  r = Cli({"render", "--size", "400x300", P("in.txt"), P("old.png")});
  EXPECT_EQ(0, r.iExit) << r.sErr;
  EXPECT_EQ("PNG", TestFiles_Read(P("old.png")).substr(1, 3));
}

}  // namespace

#endif  // PLOTSMITH_CLI_PATH
