// Option parsing, loading, saving and the save types shared by the subcommands.

#include "cli/cli_common.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <unistd.h>

#include "formats/curve_file.h"
#include "formats/format_table.h"
#include "formats/text_curve.h"
#include "formats/wave_file.h"

int Cli_ParseArgs(int argc, char** argv, const CliOption* opts, int nopts, CliArgs* out) {
  std::memset(out, 0, sizeof(*out));
  out->ppFiles = argv;
  bool onlyNames = false;
  for (int k = 0; k < argc; ++k) {
    char* a = argv[k];
    if (onlyNames || a[0] != '-' || a[1] == '\0') {
      argv[out->iFiles++] = a;  // never ahead of k: compaction in place
      continue;
    }
    if (std::strcmp(a, "--") == 0) {
      onlyNames = true;
      continue;
    }
    int found = -1;
    for (int o = 0; o < nopts && o < CLI_MAX_OPTIONS; ++o)
      if (std::strcmp(a, opts[o].szName) == 0) found = o;
    char text[320];
    if (found < 0) {
      std::snprintf(text, sizeof text, "unknown option '%.256s'", a);
      Cli_Error(text);
      return 0;
    }
    if (!opts[found].fTakesValue) {
      out->pszValue[found] = "";
    } else if (k + 1 < argc) {
      out->pszValue[found] = argv[++k];
    } else {
      std::snprintf(text, sizeof text, "option '%.256s' needs a value", a);
      Cli_Error(text);
      return 0;
    }
  }
  return 1;
}

void Cli_InitApp(AppState* app) {
  AppState_InitDefaults(app);
  ChannelSet_Init(&app->Channels, 65536);
}

void Cli_FreeApp(AppState* app) { ChannelSet_FreeAll(&app->Channels); }

namespace {

// The one-line indicator of a load or save on a terminal: after the first
// second, "\r<verb> "<path>": <percent>%" whenever the percentage changes.
struct CliProgress {
  const char* szVerb;  // "Loading" or "Saving"
  const char* szPath;  // the file
  std::chrono::steady_clock::time_point Start;  // when the work began
  std::chrono::milliseconds Delay;  // how long the work runs before the indicator shows
  int iShown;  // the percentage on the line, -1 while none is
};

// The time before the indicator shows: a second, or the milliseconds that
// PLOTSMITH_CLI_PROGRESS_MS gives (0 shows it at once, for tests of the line
// with small files).
std::chrono::milliseconds Cli_ProgressDelay() {
  const char* text = std::getenv("PLOTSMITH_CLI_PROGRESS_MS");
  char* end = nullptr;
  long ms = text ? std::strtol(text, &end, 10) : -1;
  return std::chrono::milliseconds(text && end != text && *end == 0 && ms >= 0 ? ms : 1000);
}

int Cli_ReportProgress(void* context, long long done, long long total) {
  auto* p = static_cast<CliProgress*>(context);
  if (std::chrono::steady_clock::now() - p->Start < p->Delay || total <= 0) return 1;
  int percent = static_cast<int>(100.0 * static_cast<double>(done) / static_cast<double>(total));
  percent = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
  if (percent != p->iShown) std::fprintf(stderr, "\r%s \"%s\": %d%%", p->szVerb, p->szPath, percent);
  p->iShown = percent;
  return 1;
}

// Watches the work through progress only when stderr is a terminal.
void Cli_BeginProgress(CliProgress* p, WorkProgress* progress, const char* verb, const char* path) {
  *p = CliProgress{verb, path, std::chrono::steady_clock::now(), Cli_ProgressDelay(), -1};
  *progress = WorkProgress{};
  if (isatty(2)) *progress = WorkProgress{Cli_ReportProgress, p, 0};
}

// Clears the indicator's line for the status text that follows.
void Cli_EndProgress(const CliProgress* p) {
  if (p->iShown >= 0) std::fprintf(stderr, "\r%*s\r", static_cast<int>(std::strlen(p->szPath)) + 20, "");
}

}  // namespace

int Cli_LoadInputs(AppState* app, char** paths, int count) {
  ChannelSet* set = &app->Channels;
  for (int k = 0; k < count; ++k) {
    int first = k == 0 ? 0 : set->iChannelsInUse;
    if (first >= MAX_CHANNELS) {
      std::fprintf(stderr, "All channels are in use.\n");
      return CLI_EXIT_FAILED;
    }
    CurveLoadNotes notes;
    CliProgress shown;
    WorkProgress progress;
    Cli_BeginProgress(&shown, &progress, "Loading", paths[k]);
    int rc = LoadCurveFile(&app->Channels, &app->SpectrumHeader, paths[k], first, &notes, &progress);
    Cli_EndProgress(&shown);
    char status[2 * 4096];
    if (rc != 0) {
      CurveFile_LoadErrorText(status, sizeof status, paths[k], rc, &notes);
      std::fprintf(stderr, "%s\n", status);
      return CLI_EXIT_FAILED;
    }
    CurveFile_LoadStatusText(status, sizeof status, paths[k], set->Channel[first].iNrOfSamples, &notes);
    std::fprintf(stderr, "%s\n", status);
    // The editor scales every channel to its own data after a load: the
    // channels this file filled (those before it are scaled already).
    for (int c = first; c < set->iChannelsInUse && c < MAX_CHANNELS; ++c) Channel_UpdateRange(&set->Channel[c]);
  }
  return CLI_EXIT_OK;
}

namespace {

// The warnings of a WAV save: values the 16-bit samples cannot hold, and a
// sample rate the format's readers would refuse.
void Cli_WarnAboutWave(const ChannelSet* set) {
  int nch = set->iChannelsInUse;
  long clipped = WaveFile_CountClipped(set, 0, nch);
  char text[160];
  if (clipped > 0) {
    std::snprintf(text, sizeof text, "%ld values outside -1..1 were clipped", clipped);
    Cli_Error(text);
  }
  int fClamped = 0;
  double step = set->Channel[0].dXStep;
  uint32_t rate = WaveFile_RateForStep(step, &fClamped);
  if (fClamped) {
    std::snprintf(text, sizeof text, "sample rate %.10g Hz written as %u Hz", 1.0 / step, static_cast<unsigned>(rate));
    Cli_Error(text);
  }
}

}  // namespace

int Cli_Save(AppState* app, const char* path, int saveType) {
  const char* ext = CurveFile_Extension(path);
  if (saveType == CLI_SAVE_TYPE_BY_NAME)
    saveType = ext && strcasecmp(ext, ".json") == 0 ? SAVE_TYPE_JSON + SAVE_TYPE_FLOAT : SAVE_TYPE_INT16;
  char status[2 * 4096];
  // Nothing loaded is nothing to save: OUT keeps what it holds.
  if (app->Channels.iChannelsInUse < 1 || app->Channels.Channel[0].iNrOfSamples <= 0) {
    std::snprintf(status, sizeof status, "the inputs hold no samples; \"%s\" was not written", path);
    Cli_Error(status);
    return CLI_EXIT_FAILED;
  }
  if (!CurveFormat_TakesSaveType(CurveFormat_ByExtension(ext), saveType)) {
    std::snprintf(status, sizeof status, "this --type does not apply to %s files", ext);
    Cli_Error(status);
    return CLI_EXIT_USAGE;
  }
  CurveSaveNotes notes;
  CliProgress shown;
  WorkProgress progress;
  Cli_BeginProgress(&shown, &progress, "Saving", path);
  int rc = SaveCurveFile(&app->Channels, &app->SpectrumHeader, path, 0, saveType, &notes, &progress);
  Cli_EndProgress(&shown);
  CurveFile_SaveStatusText(status, sizeof status, path, rc, &notes);
  std::fprintf(stderr, "%s\n", status);
  if (rc != 0) return CLI_EXIT_FAILED;
  if (ext && strcasecmp(ext, ".wav") == 0) Cli_WarnAboutWave(&app->Channels);
  return CLI_EXIT_OK;
}

int Cli_ParseSaveType(const char* word, int* saveType) {
  struct TypeWord {
    const char* szWord;  // as typed after --type
    int iType;           // the save type it stands for
  };
  static constexpr TypeWord kTypes[] = {
      {"int16", SAVE_TYPE_INT16},
      {"uint8", SAVE_TYPE_UINT8},
      {"float", SAVE_TYPE_FLOAT},
      {"json", SAVE_TYPE_JSON + SAVE_TYPE_FLOAT},
      {"json-int16", SAVE_TYPE_JSON + SAVE_TYPE_INT16},
      {"16", SAVE_TYPE_INT16},
      {"24", SAVE_TYPE_PCM24},
  };
  *saveType = CLI_SAVE_TYPE_BY_NAME;
  if (!word) return 1;
  for (const TypeWord& t : kTypes) {
    if (std::strcmp(word, t.szWord) == 0) {
      *saveType = t.iType;
      return 1;
    }
  }
  // A lossy encoder's quality: q and a number from 0 to 1.
  char* end = nullptr;
  double q = word[0] == 'q' && word[1] ? std::strtod(word + 1, &end) : -1.0;
  if (end && *end == '\0' && q >= 0.0 && q <= 1.0) {
    *saveType = SaveType_Quality(q);
    return 1;
  }
  Cli_Error("--type takes int16, uint8, float, json, json-int16, 16, 24 or q0 to q1");
  return 0;
}

void Cli_Error(const char* text) { std::fprintf(stderr, "plotsmith-cli: %s\n", text); }
