// plotsmith-cli convert: load inputs, save all channels in use to OUT.

#include "cli/cli_commands.h"
#include "cli/cli_common.h"

// Runs "convert [--type T] IN... OUT"; options may stand anywhere.
int Cli_RunConvert(int argc, char** argv) {
  static constexpr CliOption kOptions[] = {{"--type", 1}};
  CliArgs args;
  if (!Cli_ParseArgs(argc, argv, kOptions, 1, &args)) return CLI_EXIT_USAGE;
  int saveType = 0;
  if (!Cli_ParseSaveType(args.pszValue[0], &saveType)) return CLI_EXIT_USAGE;
  if (args.iFiles < 2) return CLI_EXIT_USAGE;
  static AppState app;
  Cli_InitApp(&app);
  int rc = Cli_LoadInputs(&app, args.ppFiles, args.iFiles - 1);
  if (rc == CLI_EXIT_OK) rc = Cli_Save(&app, args.ppFiles[args.iFiles - 1], saveType);
  Cli_FreeApp(&app);
  return rc;
}
