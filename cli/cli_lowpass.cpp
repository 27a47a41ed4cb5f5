// plotsmith-cli lowpass: load inputs, filter channels in place, save to OUT.

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/cli_common.h"
#include "curve/lowpass.h"
#include "formats/text_curve.h"

namespace {

struct LowpassArgs {
  double dCutoff;
  double dWidth;
  int iChannel;  // 1-based; 0 filters every channel in use
  int iSaveType;
  int bHaveCutoff;
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

// Consumes the options in front of the file names; returns the index of the
// first file, or -1 on a usage error.
int ParseOptions(int argc, char** argv, LowpassArgs* a) {
  int k = 0;
  while (k < argc && std::strncmp(argv[k], "--", 2) == 0) {
    const char* opt = argv[k];
    const char* val = k + 1 < argc ? argv[k + 1] : nullptr;
    double number = 0.0;
    if (std::strcmp(opt, "--cutoff") == 0 && ParseNumber(val, &number)) {
      a->dCutoff = number;
      a->bHaveCutoff = 1;
    } else if (std::strcmp(opt, "--width") == 0 && ParseNumber(val, &number)) {
      a->dWidth = number;
    } else if (std::strcmp(opt, "--channel") == 0 && ParseNumber(val, &number) && number >= 1 &&
               number <= MAX_CHANNELS && number == static_cast<int>(number)) {
      a->iChannel = static_cast<int>(number);
    } else if (std::strcmp(opt, "--type") == 0 && val && Cli_ParseSaveType(val, &a->iSaveType)) {
    } else {
      Cli_Error("lowpass takes --cutoff F, --width W, --channel 1..8 and --type T");
      return -1;
    }
    k += 2;
  }
  return a->bHaveCutoff ? k : -1;
}

// Filters one channel in place; a refused channel is reported and left as it is.
void FilterChannel(AppState* app, int c, const LowpassArgs& a) {
  CurveChannel* ch = &app->Channels.Channel[c];
  if (Channel_LowPass(ch, ch, 0, 0, a.dCutoff, a.dWidth)) return;
  char text[96];
  std::snprintf(text, sizeof text, "channel %d not filtered (%d samples)", c + 1, ch->iNrOfSamples);
  Cli_Error(text);
}

}  // namespace

// Runs "lowpass --cutoff F [--width W] [--channel N] [--type T] IN... OUT".
int Cli_RunLowpass(int argc, char** argv) {
  LowpassArgs a{};
  a.dWidth = 0.1;
  a.iSaveType = SAVE_TYPE_INT16;
  int k = ParseOptions(argc, argv, &a);
  if (k < 0 || argc - k < 2) return CLI_EXIT_USAGE;
  static AppState app;
  Cli_InitApp(&app);
  int rc = Cli_LoadInputs(&app, argv + k, argc - k - 1);
  if (rc == CLI_EXIT_OK) {
    int inUse = app.Channels.iChannelsInUse;
    if (a.iChannel > inUse) {
      Cli_Error("--channel names a channel that is not in use");
      rc = CLI_EXIT_USAGE;
    } else if (a.iChannel > 0) {
      FilterChannel(&app, a.iChannel - 1, a);
    } else {
      for (int c = 0; c < inUse; ++c) FilterChannel(&app, c, a);
    }
  }
  if (rc == CLI_EXIT_OK) rc = Cli_Save(&app, argv[argc - 1], a.iSaveType);
  Cli_FreeApp(&app);
  return rc;
}
