// The subcommands' names and usage lines, in one table shared by
// plotsmith-cli and plotsmith-render: both print the whole usage after a
// usage error, so `plotsmith-cli render` reads the same whichever program
// answers.
#include <cstdio>
#include <cstring>

#include "cli/cli_commands.h"
#include "cli/cli_common.h"
#include "formats/format_table.h"

namespace {

struct CliCommandText {
  int iCommand;         // its CliCommandId
  const char* szName;   // as typed after plotsmith-cli
  const char* szUsage;  // its line of the usage text
};

constexpr CliCommandText kCommands[] = {
    {CLI_INFO, "info", "info [--range X1:X2] FILE..."},
    {CLI_DUMP, "dump", "dump [--channel N | --all] [--x] FILE..."},
    {CLI_CONVERT, "convert", "convert [--type int16|uint8|float|json|json-int16|16|24|qQ] IN... OUT"},
    {CLI_LOWPASS, "lowpass", "lowpass --cutoff F [--width W] [--channel N] [--type T] IN... OUT"},
    {CLI_RENDER, "render", "render [--size WxH] [--stacked] IN... OUT.png|OUT.svg"},
};
static_assert(sizeof kCommands / sizeof kCommands[0] == CLI_COMMANDS, "one usage line per subcommand");

}  // namespace

int Cli_FindCommand(const char* name) {
  for (const CliCommandText& c : kCommands)
    if (std::strcmp(name, c.szName) == 0) return c.iCommand;
  return -1;
}

void Cli_PrintUsage(void* stream) {
  FILE* out = static_cast<FILE*>(stream);
  std::fprintf(out, "usage:\n");
  for (const CliCommandText& c : kCommands) std::fprintf(out, "  plotsmith-cli %s\n", c.szUsage);
  std::fprintf(out, "  plotsmith-cli --help | --version\n");
  char exts[512];
  CurveFormat_ListExtensions(exts, sizeof exts, CURVE_LIST_READERS);
  std::fprintf(out, "Files load into channels 1, 2, ... (%s).\n", exts);
  CurveFormat_ListExtensions(exts, sizeof exts, CURVE_LIST_WRITERS);
  std::fprintf(out, "OUT's extension picks the writer (%s).\n", exts);
  CurveFormat_ListExtensions(exts, sizeof exts, SAVE_KINDS_DEPTH);
  std::fprintf(out, "--type 16 or 24 sets the bits of %s;", exts);
  CurveFormat_ListExtensions(exts, sizeof exts, SAVE_KINDS_QUALITY);
  std::fprintf(out, " --type q0 to q1 the quality of %s.\n", exts);
  std::fprintf(out, "Options may stand anywhere, \"--\" makes every later argument a file name; status texts\n"
                    "and warnings go to stderr.\n");
}
