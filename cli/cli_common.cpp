// Loading, saving and option parsing shared by the subcommands.

#include "cli/cli_common.h"

#include <cstdio>
#include <cstring>

#include "formats/curve_file.h"
#include "formats/text_curve.h"
#include "winutil/error_text.h"

void Cli_InitApp(AppState* app) {
  AppState_InitDefaults(app);
  ChannelSet_Init(&app->Channels, 65536);
}

void Cli_FreeApp(AppState* app) { ChannelSet_FreeAll(&app->Channels); }

int Cli_LoadInputs(AppState* app, char** paths, int count) {
  for (int k = 0; k < count; ++k) {
    int first = k == 0 ? 0 : app->Channels.iChannelsInUse;
    if (first >= MAX_CHANNELS) {
      std::fprintf(stderr, "All channels are in use.\n");
      return CLI_EXIT_FAILED;
    }
    int rc = LoadCurveFile(app, paths[k], first);
    if (rc != 0) {
      std::fprintf(stderr, "ERROR: failed to load \"%s\" (%s)\n", paths[k], ErrorCodeToText(rc));
      return CLI_EXIT_FAILED;
    }
    std::fprintf(stderr, "Loaded file \"%s\", %ld points\n", paths[k],
                 static_cast<long>(app->Channels.Channel[first].iNrOfSamples));
  }
  return CLI_EXIT_OK;
}

int Cli_Save(AppState* app, const char* path, int saveType) {
  int rc = SaveCurveFile(app, path, 0, saveType);
  if (rc != 0) {
    std::fprintf(stderr, "ERROR: failed to save \"%s\" (%s)\n", path, ErrorCodeToText(rc));
    return CLI_EXIT_FAILED;
  }
  std::fprintf(stderr, "Saved file \"%s\"\n", path);
  return CLI_EXIT_OK;
}

int Cli_ParseSaveType(const char* word, int* saveType) {
  struct TypeWord {
    const char* szWord;
    int iType;
  };
  static constexpr TypeWord kTypes[] = {
      {"int16", SAVE_TYPE_INT16},
      {"uint8", SAVE_TYPE_UINT8},
      {"float", SAVE_TYPE_FLOAT},
      {"json", SAVE_TYPE_JSON + SAVE_TYPE_FLOAT},
      {"json-int16", SAVE_TYPE_JSON + SAVE_TYPE_INT16},
  };
  for (const TypeWord& t : kTypes) {
    if (word && std::strcmp(word, t.szWord) == 0) {
      *saveType = t.iType;
      return 1;
    }
  }
  return 0;
}

void Cli_Error(const char* text) { std::fprintf(stderr, "plotsmith-cli: %s\n", text); }
