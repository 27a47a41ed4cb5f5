// plotsmith-cli info: one line per channel in use; with --range X1:X2 a
// second line per channel with the statistics over that x range.

#include <cstdio>
#include <cstdlib>

#include "cli/cli_commands.h"
#include "cli/cli_common.h"
#include "graph/graph_stats.h"

namespace {

// Parses "X1:X2" into two numbers; 1, or 0 when the text is not two numbers
// around one colon.
int ParseRange(const char* text, double* x1, double* x2) {
  char* end = nullptr;
  *x1 = std::strtod(text, &end);
  if (end == text || *end != ':') return 0;
  const char* second = end + 1;
  *x2 = std::strtod(second, &end);
  return end != second && *end == 0 && *x1 == *x1 && *x2 == *x2;
}

}  // namespace

// Runs "info FILE...": loads the files and prints each channel's figures,
// with the sample rate and the duration when the x step is positive, and with
// --range the statistics of its samples between the two x values.
int Cli_RunInfo(int argc, char** argv) {
  static const CliOption opts[] = {{"--range", 1}};
  CliArgs args;
  if (!Cli_ParseArgs(argc, argv, opts, 1, &args)) return CLI_EXIT_USAGE;
  if (args.iFiles < 1) return CLI_EXIT_USAGE;
  double x1 = 0.0, x2 = 0.0;
  if (args.pszValue[0] && !ParseRange(args.pszValue[0], &x1, &x2)) {
    Cli_Error("--range takes two x values, X1:X2");
    return CLI_EXIT_USAGE;
  }
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
      if (args.pszValue[0]) {
        GraphStats st;
        GraphStats_OfChannel(ch, x1, x2, &st);
        char name[64], line[GRAPH_STATS_LINE_LEN];
        std::snprintf(name, sizeof name, "channel %d x=%.10g..%.10g", c + 1, x1, x2);
        GraphStats_Format(name, &st, 10, line, sizeof line);
        std::printf("%s\n", line);
      }
    }
  }
  Cli_FreeApp(&app);
  return rc;
}
