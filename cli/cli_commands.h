#pragma once
// The subcommands of plotsmith-cli, one unit each.  Each takes the arguments
// after its name and returns CLI_EXIT_OK, CLI_EXIT_FAILED or CLI_EXIT_USAGE
// (the caller then prints the usage).

// "info FILE...": the figures of every channel in use.
int Cli_RunInfo(int argc, char** argv);
// "dump [--channel N | --all] [--x] FILE...": the samples as text.
int Cli_RunDump(int argc, char** argv);
// "convert [--type T] IN... OUT": every channel in use saved to OUT.
int Cli_RunConvert(int argc, char** argv);
// "lowpass --cutoff F [--width W] [--channel N] [--type T] IN... OUT".
int Cli_RunLowpass(int argc, char** argv);
// "render [--size WxH] IN... OUT.png"; only in a build with the window layer.
int Cli_RunRender(int argc, char** argv);
