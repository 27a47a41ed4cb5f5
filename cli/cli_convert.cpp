// plotsmith-cli convert: load inputs, save all channels in use to OUT.

#include <cstring>

#include "cli/cli_common.h"
#include "formats/text_curve.h"

// Runs "convert [--type T] IN... OUT".
int Cli_RunConvert(int argc, char** argv) {
  int saveType = SAVE_TYPE_INT16;
  int k = 0;
  if (k < argc && std::strcmp(argv[k], "--type") == 0) {
    if (k + 1 >= argc || !Cli_ParseSaveType(argv[k + 1], &saveType)) {
      Cli_Error("--type takes int16, uint8, float, json or json-int16");
      return CLI_EXIT_USAGE;
    }
    k += 2;
  }
  if (argc - k < 2) return CLI_EXIT_USAGE;
  static AppState app;
  Cli_InitApp(&app);
  int rc = Cli_LoadInputs(&app, argv + k, argc - k - 1);
  if (rc == CLI_EXIT_OK) rc = Cli_Save(&app, argv[argc - 1], saveType);
  Cli_FreeApp(&app);
  return rc;
}
