// plotsmith-cli: the editor's file layer on the command line.  Subcommands
// are found by name in the usage table and dispatched here; each lives in its
// own unit.

#include <csignal>
#include <cstdio>
#include <cstring>

#include "cli/cli_commands.h"
#include "cli/cli_common.h"
#include "formats/safe_write.h"

namespace {

// Runs the subcommand command (a CliCommandId) with the arguments after its name.
int RunCommand(int command, int argc, char** argv) {
  switch (command) {
    case CLI_INFO: return Cli_RunInfo(argc, argv);
    case CLI_DUMP: return Cli_RunDump(argc, argv);
    case CLI_CONVERT: return Cli_RunConvert(argc, argv);
    case CLI_LOWPASS: return Cli_RunLowpass(argc, argv);
    case CLI_RENDER: return Cli_ExecRender(argc, argv);
    case CLI_COMMANDS: break;
  }
  return CLI_EXIT_USAGE;
}

}  // namespace

int main(int argc, char** argv) {
  // Under a file size limit a write must fail with EFBIG and be reported as
  // a failed save, not end the process halfway through the temporary file.
  std::signal(SIGXFSZ, SIG_IGN);
  // Ended by the user or the system halfway through a save, it leaves no temporary.
  SafeWrite_RemoveTempOnSignals();
  if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    Cli_PrintUsage(stdout);
    return CLI_EXIT_OK;
  }
  if (argc >= 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("plotsmith-cli %s\n", PLOTSMITH_VERSION);
    return CLI_EXIT_OK;
  }
  if (argc >= 2) {
    if (int command = Cli_FindCommand(argv[1]); command >= 0) {
      int rc = RunCommand(command, argc - 2, argv + 2);
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
