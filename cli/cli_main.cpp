// plotsmith-cli: the editor's file layer on the command line.  Subcommands
// are dispatched through one table; each lives in its own unit.

#include <csignal>
#include <cstdio>
#include <cstring>

#include "cli/cli_commands.h"
#include "cli/cli_common.h"

namespace {

struct CliCommand {
  const char* szName;   // as typed after plotsmith-cli
  const char* szUsage;  // its line of the usage text
  int (*pfnRun)(int argc, char** argv);  // arguments after the subcommand
};

constexpr CliCommand kCommands[] = {
    {"info", "info FILE...", Cli_RunInfo},
    {"dump", "dump [--channel N | --all] [--x] FILE...", Cli_RunDump},
    {"convert", "convert [--type int16|uint8|float|json|json-int16] IN... OUT", Cli_RunConvert},
    {"lowpass", "lowpass --cutoff F [--width W] [--channel N] [--type T] IN... OUT", Cli_RunLowpass},
#ifdef PLOTSMITH_CLI_RENDER
    {"render", "render [--size WxH] IN... OUT.png", Cli_RunRender},
#endif
};

}  // namespace

void Cli_PrintUsage(void* stream) {
  FILE* out = static_cast<FILE*>(stream);
  std::fprintf(out, "usage:\n");
  for (const CliCommand& c : kCommands) std::fprintf(out, "  plotsmith-cli %s\n", c.szUsage);
  std::fprintf(out, "  plotsmith-cli --help | --version\n");
  std::fprintf(out, "Files load into channels 1, 2, ... (.txt, .csv, .wav, .ref); options may stand anywhere,\n"
                    "\"--\" makes every later argument a file name; status texts and warnings go to stderr.\n");
}

int main(int argc, char** argv) {
  // Under a file size limit a write must fail with EFBIG and be reported as
  // a failed save, not end the process halfway through the temporary file.
  std::signal(SIGXFSZ, SIG_IGN);
  if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    Cli_PrintUsage(stdout);
    return CLI_EXIT_OK;
  }
  if (argc >= 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("plotsmith-cli %s\n", PLOTSMITH_VERSION);
    return CLI_EXIT_OK;
  }
  if (argc >= 2) {
    for (const CliCommand& c : kCommands) {
      if (std::strcmp(argv[1], c.szName) != 0) continue;
      int rc = c.pfnRun(argc - 2, argv + 2);
      if (rc == CLI_EXIT_USAGE) Cli_PrintUsage(stderr);
      return rc;
    }
    char text[320];
    std::snprintf(text, sizeof text, "unknown %s '%.256s'", argv[1][0] == '-' ? "option" : "subcommand", argv[1]);
    Cli_Error(text);
  }
  Cli_PrintUsage(stderr);
  return CLI_EXIT_USAGE;
}
