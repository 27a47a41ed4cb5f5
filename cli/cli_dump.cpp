// plotsmith-cli dump: the samples of one channel, one per line, or of every
// channel in use as columns; optionally with the x value first.

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/cli_commands.h"
#include "cli/cli_common.h"

namespace {

enum DumpOption { DUMP_CHANNEL, DUMP_X, DUMP_ALL, DUMP_OPTIONS };
constexpr CliOption kDumpOptions[DUMP_OPTIONS] = {{"--channel", 1}, {"--x", 0}, {"--all", 0}};

// Prints rows 0 .. the longest of channels first .. last - 1; a channel
// without a sample in a row leaves its column empty.
void Dump_Rows(const ChannelSet* set, int first, int last, bool withX) {
  int rows = 0;
  for (int c = first; c < last; ++c) {
    const CurveChannel* ch = &set->Channel[c];
    int n = ch->pdSamples ? (ch->iNrOfSamples < ch->iAllocated ? ch->iNrOfSamples : ch->iAllocated) : 0;
    if (n > rows) rows = n;
  }
  const CurveChannel* xch = &set->Channel[first];
  for (int i = 0; i < rows; ++i) {
    if (withX) std::printf("%.17g\t", xch->dXOrigin + i * xch->dXStep);
    for (int c = first; c < last; ++c) {
      const CurveChannel* ch = &set->Channel[c];
      if (c > first) std::printf("\t");
      if (ch->pdSamples && i < ch->iNrOfSamples && i < ch->iAllocated) std::printf("%.17g", ch->pdSamples[i]);
    }
    std::printf("\n");
  }
}

}  // namespace

// Runs "dump [--channel N | --all] [--x] FILE...".
int Cli_RunDump(int argc, char** argv) {
  CliArgs args;
  if (!Cli_ParseArgs(argc, argv, kDumpOptions, DUMP_OPTIONS, &args)) return CLI_EXIT_USAGE;
  int channel = 1;
  if (const char* v = args.pszValue[DUMP_CHANNEL]) {
    char* end = nullptr;
    long n = std::strtol(v, &end, 10);
    if (!*v || *end || n < 1 || n > MAX_CHANNELS || args.pszValue[DUMP_ALL]) {
      Cli_Error("--channel takes a number from 1 to 8 and does not go with --all");
      return CLI_EXIT_USAGE;
    }
    channel = static_cast<int>(n);
  }
  if (args.iFiles < 1) return CLI_EXIT_USAGE;
  static AppState app;
  Cli_InitApp(&app);
  int rc = Cli_LoadInputs(&app, args.ppFiles, args.iFiles);
  const ChannelSet* set = &app.Channels;
  if (rc == CLI_EXIT_OK && channel > set->iChannelsInUse) {
    char text[64];
    std::snprintf(text, sizeof text, "channel %d is not in use", channel);
    Cli_Error(text);
    rc = CLI_EXIT_FAILED;
  }
  if (rc == CLI_EXIT_OK) {
    bool all = args.pszValue[DUMP_ALL] != nullptr;
    Dump_Rows(set, all ? 0 : channel - 1, all ? set->iChannelsInUse : channel, args.pszValue[DUMP_X] != nullptr);
  }
  Cli_FreeApp(&app);
  return rc;
}
