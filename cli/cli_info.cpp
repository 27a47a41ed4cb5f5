// plotsmith-cli info: one line per channel in use.

#include <cstdio>

#include "cli/cli_commands.h"
#include "cli/cli_common.h"

// Runs "info FILE...": loads the files and prints each channel's figures,
// with the sample rate and the duration when the x step is positive.
int Cli_RunInfo(int argc, char** argv) {
  CliArgs args;
  if (!Cli_ParseArgs(argc, argv, nullptr, 0, &args)) return CLI_EXIT_USAGE;
  if (args.iFiles < 1) return CLI_EXIT_USAGE;
  static AppState app;
  Cli_InitApp(&app);
  int rc = Cli_LoadInputs(&app, args.ppFiles, args.iFiles);
  if (rc == CLI_EXIT_OK) {
    const ChannelSet* set = &app.Channels;
    for (int c = 0; c < set->iChannelsInUse && c < MAX_CHANNELS; ++c) {
      const CurveChannel* ch = &set->Channel[c];
      std::printf("channel %d: samples=%d x_origin=%.17g x_step=%.17g min=%.17g max=%.17g visible=%d", c + 1,
                  ch->iNrOfSamples, ch->dXOrigin, ch->dXStep, ch->dDataMin, ch->dDataMax, ch->iVisible);
      if (ch->dXStep > 0.0)
        std::printf(" rate_hz=%.10g duration_s=%.10g", 1.0 / ch->dXStep, ch->iNrOfSamples * ch->dXStep);
      std::printf("\n");
    }
  }
  Cli_FreeApp(&app);
  return rc;
}
