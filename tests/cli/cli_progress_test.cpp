// plotsmith-cli's progress line on stderr: shown on a terminal (a
// pseudo-terminal here), cleared before each status line, and absent when
// stderr is a pipe.  PLOTSMITH_CLI_PROGRESS_MS=0 shows it from the first
// report, so that a small file is enough.

#include <gtest/gtest.h>

#ifdef PLOTSMITH_CLI_PATH

#include <fcntl.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <vector>

#include "tests/support/test_files.h"

namespace {

// Runs plotsmith-cli with args and PLOTSMITH_CLI_PROGRESS_MS=0, stdout on a
// pipe and stderr on a pseudo-terminal (onTerminal) or a pipe; returns what
// stderr received and sets *exitCode.
std::string RunWithStderr(const std::vector<std::string>& args, bool onTerminal, int* exitCode) {
  int out[2], err[2] = {-1, -1}, master = -1, slave = -1;
  if (pipe(out) != 0) return "pipe failed";
  if (onTerminal ? openpty(&master, &slave, nullptr, nullptr, nullptr) != 0 : pipe(err) != 0) return "no terminal";
  int readEnd = onTerminal ? master : err[0], writeEnd = onTerminal ? slave : err[1];
  pid_t pid = fork();
  if (pid == 0) {
    setenv("PLOTSMITH_CLI_PROGRESS_MS", "0", 1);
    dup2(out[1], 1);
    dup2(writeEnd, 2);
    close(out[0]);
    close(readEnd);
    std::vector<std::string> copy = args;
    std::vector<char*> argv = {const_cast<char*>(PLOTSMITH_CLI_PATH)};
    for (std::string& a : copy) argv.push_back(&a[0]);
    argv.push_back(nullptr);
    execv(PLOTSMITH_CLI_PATH, argv.data());
    _exit(127);
  }
  close(out[1]);
  close(writeEnd);
  std::string text;
  char buf[4096];
  for (;;) {  // a terminal's master reads EIO once the child has closed its side
    ssize_t n = read(readEnd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    text.append(buf, static_cast<size_t>(n));
  }
  while (read(out[0], buf, sizeof buf) > 0) {
  }
  close(readEnd);
  close(out[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return text;
}

TEST(CliProgress, OneLineOnATerminalClearedBeforeEachStatusAndNoneOnAPipe) {
  TempDir dir;
  std::string in = dir.File("in.txt"), out = dir.File("out.txt");
  std::string values;
  for (int i = 0; i < 300000; ++i) values += std::to_string(i % 1000) + "\n";  // 1.2 MB: many buffer loads
  ASSERT_TRUE(TestFiles_Write(in, values));

  int code = -1;
  std::string tty = RunWithStderr({"convert", "--type", "float", in, out}, true, &code);
  ASSERT_EQ(0, code) << tty;
  const std::string loading = "\rLoading \"" + in + "\": ", saving = "\rSaving \"" + out + "\": ";
  // Each indicator is cleared by blanks over it, back at the line's start.
  auto clear = [](const std::string& path) { return "\r" + std::string(path.size() + 20, ' ') + "\r"; };
  // Loading updates, the line cleared, the load's status, then the same for the save.
  size_t load = tty.find(loading), loaded = tty.find(clear(in) + "Loaded file \"" + in + "\", 300000 points\r\n");
  size_t save = tty.find(saving), saved = tty.find(clear(out) + "Saved file \"" + out + "\"");
  ASSERT_NE(std::string::npos, load) << tty;
  ASSERT_NE(std::string::npos, loaded) << tty;
  ASSERT_NE(std::string::npos, save) << tty;
  ASSERT_NE(std::string::npos, saved) << tty;
  EXPECT_LT(load, loaded);
  EXPECT_LT(loaded, save);
  EXPECT_LT(save, saved);
  EXPECT_NE(std::string::npos, tty.find(loading, load + 1)) << "one update per percentage";
  EXPECT_EQ(std::string::npos, tty.find(loading, loaded)) << "no indicator after its status";
  EXPECT_EQ(tty.find('\r', saved + clear(out).size()), tty.size() - 2) << "the status line ends the output";

  std::string piped = RunWithStderr({"convert", "--type", "float", in, out}, false, &code);
  EXPECT_EQ(0, code);
  EXPECT_EQ("Loaded file \"" + in + "\", 300000 points\nSaved file \"" + out + "\"\n", piped);
}

}  // namespace

#endif  // PLOTSMITH_CLI_PATH
