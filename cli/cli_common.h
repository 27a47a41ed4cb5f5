#pragma once
// Pieces shared by the subcommands of plotsmith-cli: the application record
// without a window, option parsing, loading inputs the way "Load data for
// next channel" does (with the editor's auto-scale), saving with the editor's
// status texts, and the --type option.

#include "shell/app_state.h"

constexpr int CLI_EXIT_OK = 0;
constexpr int CLI_EXIT_FAILED = 1;  // a load or save failed, or a channel is not in use
constexpr int CLI_EXIT_USAGE = 2;
constexpr int CLI_MAX_OPTIONS = 8;

// One option a subcommand takes.
struct CliOption {
  const char* szName;  // as typed, e.g. "--channel"
  int fTakesValue;     // 1: the next argument is its value; 0: a flag
};

// The arguments of a subcommand after parsing.
struct CliArgs {
  const char* pszValue[CLI_MAX_OPTIONS];  // value of option k ("" for a flag); NULL when not given
  char** ppFiles;                         // the file names in their order
  int iFiles;                             // how many names ppFiles holds
};

// Splits argv into the options of opts (at most CLI_MAX_OPTIONS) and file
// names; options may stand before, between or after the names, "--" makes
// every later argument a name.  The names are gathered at the front of argv.
// Returns 1, or 0 after naming an unknown option or a missing value.
int Cli_ParseArgs(int argc, char** argv, const CliOption* opts, int nopts, CliArgs* out);
// Clears app and gives every channel storage; no demonstration curve.
void Cli_InitApp(AppState* app);
// Releases the channel storage of app.
void Cli_FreeApp(AppState* app);
// Loads the files in order: the first into channel 0, each next one at
// iChannelsInUse, and scales every channel in use to its data after each
// load as the editor does.  Prints the status text of each load on stderr.
// Returns CLI_EXIT_OK, or CLI_EXIT_FAILED at the first failed load.
int Cli_LoadInputs(AppState* app, char** paths, int count);
constexpr int CLI_SAVE_TYPE_BY_NAME = -1;  // no --type: chosen by the output name

// Saves all channels in use to path with saveType; CLI_SAVE_TYPE_BY_NAME
// gives a name ending in ".json" the JSON layout with reals and any other
// 16-bit integers.  Prints the status text with its notes (channels cut or
// padded, missing values), and for a WAV the warnings about clipped values
// and a sample rate moved into range.  Refuses, leaving path as it is, when
// channel 0 holds no samples.  Returns CLI_EXIT_OK, CLI_EXIT_FAILED, or
// CLI_EXIT_USAGE when OUT's format does not take the type (a bit depth or
// quality for a text file, a text type for a sound file).
int Cli_Save(AppState* app, const char* path, int saveType);
// Parses a --type word (int16, uint8, float, json, json-int16; 16 or 24 bits;
// q0 to q1, a lossy encoder's quality) into a save type; no word (NULL) gives CLI_SAVE_TYPE_BY_NAME.  Returns 1, or 0 after
// naming the valid words.
int Cli_ParseSaveType(const char* word, int* saveType);
// Prints the usage text to the stream (stdout for --help, else stderr).
void Cli_PrintUsage(void* stream);
// Writes one line "plotsmith-cli: <text>" to stderr.
void Cli_Error(const char* text);
