#pragma once
// The subcommands of plotsmith-cli, one unit each.  Each takes the arguments
// after its name and returns CLI_EXIT_OK, CLI_EXIT_FAILED or CLI_EXIT_USAGE
// (the caller then prints the usage).

// The subcommands; cli_usage.cpp holds their names and usage lines.
enum CliCommandId { CLI_INFO, CLI_DUMP, CLI_CONVERT, CLI_LOWPASS, CLI_RENDER, CLI_COMMANDS };

// The CliCommandId of the subcommand typed as name; -1 for none.
int Cli_FindCommand(const char* name);

// "info FILE...": the figures of every channel in use.
int Cli_RunInfo(int argc, char** argv);
// "dump [--channel N | --all] [--x] FILE...": the samples as text.
int Cli_RunDump(int argc, char** argv);
// "convert [--type T] IN... OUT": every channel in use saved to OUT.
int Cli_RunConvert(int argc, char** argv);
// "lowpass --cutoff F [--width W] [--channel N] [--type T] IN... OUT".
int Cli_RunLowpass(int argc, char** argv);
// "render [--size WxH] IN... OUT.png": becomes the program plotsmith-render
// that lies beside the running plotsmith-cli, with the same arguments, so its
// exit status and output are render's own.  Returns only when that program
// cannot be run, after naming it on stderr: CLI_EXIT_USAGE.
int Cli_ExecRender(int argc, char** argv);
