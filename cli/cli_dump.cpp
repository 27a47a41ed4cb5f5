// plotsmith-cli dump: the samples of one channel, one per line.

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/cli_common.h"

// Runs "dump [--channel N] FILE...".
int Cli_RunDump(int argc, char** argv) {
  int channel = 1;
  int k = 0;
  if (k < argc && std::strcmp(argv[k], "--channel") == 0) {
    if (k + 1 >= argc) return CLI_EXIT_USAGE;
    char* end = nullptr;
    long v = std::strtol(argv[k + 1], &end, 10);
    if (!*argv[k + 1] || *end || v < 1 || v > MAX_CHANNELS) {
      Cli_Error("--channel takes a number from 1 to 8");
      return CLI_EXIT_USAGE;
    }
    channel = static_cast<int>(v);
    k += 2;
  }
  if (k >= argc) return CLI_EXIT_USAGE;
  static AppState app;
  Cli_InitApp(&app);
  int rc = Cli_LoadInputs(&app, argv + k, argc - k);
  if (rc == CLI_EXIT_OK) {
    const CurveChannel* ch = &app.Channels.Channel[channel - 1];
    int n = ch->iNrOfSamples < ch->iAllocated ? ch->iNrOfSamples : ch->iAllocated;
    for (int i = 0; i < n && ch->pdSamples; ++i) std::printf("%.17g\n", ch->pdSamples[i]);
  }
  Cli_FreeApp(&app);
  return rc;
}
