#pragma once
// Pieces shared by the subcommands of plotsmith-cli: the application record
// without a window, loading inputs the way "Load data for next channel"
// does, saving with the editor's status texts, and the --type option.

#include "shell/app_state.h"

constexpr int CLI_EXIT_OK = 0;
constexpr int CLI_EXIT_FAILED = 1;  // a load or save failed
constexpr int CLI_EXIT_USAGE = 2;

// Clears app and gives every channel storage; no demonstration curve.
void Cli_InitApp(AppState* app);
// Releases the channel storage of app.
void Cli_FreeApp(AppState* app);
// Loads the files in order: the first into channel 0, each next one at
// iChannelsInUse.  Prints the status text of each load on stderr.  Returns
// CLI_EXIT_OK, or CLI_EXIT_FAILED at the first failed load.
int Cli_LoadInputs(AppState* app, char** paths, int count);
// Saves all channels in use to path with saveType, printing the status text.
// Returns CLI_EXIT_OK or CLI_EXIT_FAILED.
int Cli_Save(AppState* app, const char* path, int saveType);
// Parses a --type word (int16, uint8, float, json, json-int16) into a save
// type.  Returns 1, or 0 for an unknown word.
int Cli_ParseSaveType(const char* word, int* saveType);
// Prints the usage text to the stream (stdout for --help, else stderr).
void Cli_PrintUsage(void* stream);
// Writes one line "plotsmith-cli: <text>" to stderr.
void Cli_Error(const char* text);
