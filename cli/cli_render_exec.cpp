// plotsmith-cli render: the painting needs the window layer, which costs
// every start of plotsmith-cli the loading of the toolkit; so it lives in its
// own program, plotsmith-render, beside plotsmith-cli, and this subcommand
// only replaces the process with it.  A build without the toolkit has no
// such program; then render says so and the other subcommands are unaffected.
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

#include "cli/cli_commands.h"
#include "cli/cli_common.h"

namespace {

constexpr char kRenderProgram[] = "plotsmith-render";

// Writes the path of kRenderProgram in the folder of the running program
// into path; returns 0 when that folder cannot be found or the path is too long.
int RenderProgramPath(char* path, size_t size) {
  ssize_t n = readlink("/proc/self/exe", path, size);
  if (n <= 0 || static_cast<size_t>(n) >= size) return 0;
  path[n] = '\0';
  char* slash = std::strrchr(path, '/');
  if (!slash) return 0;
  size_t folder = static_cast<size_t>(slash + 1 - path);
  if (folder + sizeof kRenderProgram > size) return 0;
  std::memcpy(slash + 1, kRenderProgram, sizeof kRenderProgram);
  return 1;
}

}  // namespace

int Cli_ExecRender(int argc, char** argv) {
  char path[PATH_MAX];
  int found = RenderProgramPath(path, sizeof path);
  if (found) {
    std::vector<char*> args;
    args.push_back(path);
    args.insert(args.end(), argv, argv + argc);
    args.push_back(nullptr);
    std::fflush(nullptr);
    execv(path, args.data());
  }
  char text[PATH_MAX + 160];
  if (found)
    std::snprintf(text, sizeof text, "render needs the program %s beside plotsmith-cli; cannot run '%s' (%s)",
                  kRenderProgram, path, std::strerror(errno));
  else
    std::snprintf(text, sizeof text, "render needs the program %s beside plotsmith-cli, whose folder is unknown",
                  kRenderProgram);
  Cli_Error(text);
  return CLI_EXIT_USAGE;
}
