// plotsmith-cli info: one line per channel in use.

#include <cstdio>

#include "cli/cli_common.h"

// Runs "info FILE...": loads the files and prints each channel's figures.
int Cli_RunInfo(int argc, char** argv) {
  if (argc < 1) return CLI_EXIT_USAGE;
  static AppState app;
  Cli_InitApp(&app);
  int rc = Cli_LoadInputs(&app, argv, argc);
  if (rc == CLI_EXIT_OK) {
    const ChannelSet* set = &app.Channels;
    for (int c = 0; c < set->iChannelsInUse && c < MAX_CHANNELS; ++c) {
      const CurveChannel* ch = &set->Channel[c];
      std::printf("channel %d: samples=%d x_origin=%.17g x_step=%.17g min=%.17g max=%.17g visible=%d\n", c + 1,
                  ch->iNrOfSamples, ch->dXOrigin, ch->dXStep, ch->dDataMin, ch->dDataMax, ch->iVisible);
    }
  }
  Cli_FreeApp(&app);
  return rc;
}
