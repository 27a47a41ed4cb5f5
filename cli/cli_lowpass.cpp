// plotsmith-cli lowpass: load inputs, filter channels in place, save to OUT.

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/cli_commands.h"
#include "cli/cli_common.h"
#include "curve/lowpass.h"
#include "formats/text_curve.h"

namespace {

// The options of the lowpass subcommand.
struct LowpassArgs {
  double dCutoff;  // cut-off relative to half the sampling rate (--cutoff)
  double dWidth;   // transition width, same unit (--width, 0.1 by default)
  int iChannel;  // 1-based; 0 filters every channel in use
  int iSaveType;  // --type, or CLI_SAVE_TYPE_BY_NAME
};

// Parses a finite number; 0 when the text is not one.
int ParseNumber(const char* text, double* out) {
  if (!text || !*text) return 0;
  char* end = nullptr;
  double v = std::strtod(text, &end);
  if (*end != '\0' || v != v) return 0;
  *out = v;
  return 1;
}

enum LowpassOption { LP_CUTOFF, LP_WIDTH, LP_CHANNEL, LP_TYPE, LP_OPTIONS };
constexpr CliOption kLowpassOptions[LP_OPTIONS] = {{"--cutoff", 1}, {"--width", 1}, {"--channel", 1}, {"--type", 1}};

// Takes the option values into a; 0 after naming what is wrong.
int ParseOptions(const CliArgs& args, LowpassArgs* a) {
  double number = 0.0;
  const char* const* v = args.pszValue;
  int ok = ParseNumber(v[LP_CUTOFF], &a->dCutoff);
  if (v[LP_WIDTH] && !ParseNumber(v[LP_WIDTH], &a->dWidth)) ok = 0;
  if (v[LP_CHANNEL]) {
    if (ParseNumber(v[LP_CHANNEL], &number) && number >= 1 && number <= MAX_CHANNELS &&
        number == static_cast<int>(number))
      a->iChannel = static_cast<int>(number);
    else
      ok = 0;
  }
  if (!ok) Cli_Error("lowpass takes --cutoff F, --width W, --channel 1..8 and --type T");
  return ok && Cli_ParseSaveType(v[LP_TYPE], &a->iSaveType);
}

// Filters channel c of the set in place; a refused channel is reported and
// left as it is.
void FilterChannel(ChannelSet* set, int c, const LowpassArgs& a) {
  CurveChannel* ch = &set->Channel[c];
  int rc = Channel_LowPass(ch, ch, 0, 0, a.dCutoff, a.dWidth);
  if (rc == 1) return;
  char text[96];
  if (rc == LOWPASS_NO_MEMORY) std::snprintf(text, sizeof text, "channel %d not filtered (out of memory)", c + 1);
  else std::snprintf(text, sizeof text, "channel %d not filtered (%d samples)", c + 1, ch->iNrOfSamples);
  Cli_Error(text);
}

}  // namespace

// Runs "lowpass --cutoff F [--width W] [--channel N] [--type T] IN... OUT";
// options may stand anywhere.
int Cli_RunLowpass(int argc, char** argv) {
  LowpassArgs a{};
  a.dWidth = 0.1;
  CliArgs args;
  if (!Cli_ParseArgs(argc, argv, kLowpassOptions, LP_OPTIONS, &args) || !ParseOptions(args, &a)) return CLI_EXIT_USAGE;
  if (args.iFiles < 2) return CLI_EXIT_USAGE;
  static AppState app;
  Cli_InitApp(&app);
  int rc = Cli_LoadInputs(&app, args.ppFiles, args.iFiles - 1);
  if (rc == CLI_EXIT_OK) {
    int inUse = app.Channels.iChannelsInUse;
    if (a.iChannel > inUse) {
      Cli_Error("--channel names a channel that is not in use");
      rc = CLI_EXIT_USAGE;
    } else if (a.iChannel > 0) {
      FilterChannel(&app.Channels, a.iChannel - 1, a);
    } else {
      for (int c = 0; c < inUse; ++c) FilterChannel(&app.Channels, c, a);
    }
  }
  if (rc == CLI_EXIT_OK) rc = Cli_Save(&app, args.ppFiles[args.iFiles - 1], a.iSaveType);
  Cli_FreeApp(&app);
  return rc;
}
