// plotsmith-render, the program behind `plotsmith-cli render` (which hands
// its arguments over unchanged): loads the inputs as the editor does, scales
// the view to them and paints the diagram with the editor's own drawing code
// into an off-screen image of the drawing area, saved as PNG, or as an SVG
// document of vector lines and text when the output ends in .svg.  No window is
// shown; without a display platform the toolkit runs off-screen.  A program
// of its own so that plotsmith-cli starts without the toolkit.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <strings.h>

#include "cli/cli_common.h"
#include "formats/curve_file.h"
#include "formats/safe_write.h"
#include "graph/graph.h"
#include "winutil/winapi.h"

namespace {

constexpr int RENDER_DEFAULT_WIDTH = 1190;  // the editor's drawing area at its default size
constexpr int RENDER_DEFAULT_HEIGHT = 800;
constexpr int RENDER_MAX_SIDE = 16384;  // larger images are refused

enum { RENDER_SIZE, RENDER_STACKED, RENDER_OPTIONS };
constexpr CliOption kRenderOptions[RENDER_OPTIONS] = {{"--size", 1}, {"--stacked", 0}};

// Parses "WxH" with both sides in 1 .. RENDER_MAX_SIDE; 0 for anything else.
int ParseSize(const char* text, int* w, int* h) {
  char* end = nullptr;
  long x = std::strtol(text, &end, 10);
  if (end == text || (*end != 'x' && *end != 'X')) return 0;
  const char* second = end + 1;
  long y = std::strtol(second, &end, 10);
  if (end == second || *end != '\0') return 0;
  if (x < 1 || y < 1 || x > RENDER_MAX_SIDE || y > RENDER_MAX_SIDE) return 0;
  *w = static_cast<int>(x);
  *h = static_cast<int>(y);
  return 1;
}

int IsPictureName(const char* path) {
  size_t n = std::strlen(path);
  return Graph_IsSvgPath(path) || (n > 4 && strcasecmp(path + n - 4, ".png") == 0);
}

// Paints the diagram of app into a w x h picture and saves it; prints the status.
int RenderPicture(AppState* app, int w, int h, const char* path) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);  // a platform given by the user wins
  Win_Init(nullptr, nullptr);
  Graph_AutoScale(app);
  int rc = Graph_SavePicture(app, path, w, h);
  char status[2 * 4096];
  CurveFile_SaveStatusText(status, sizeof status, path, rc);
  std::fprintf(stderr, "%s\n", status);
  return rc == 0 ? CLI_EXIT_OK : CLI_EXIT_FAILED;
}

// The arguments of render (after its name); returns an exit code.
int RunRender(int argc, char** argv) {
  CliArgs args{};
  if (!Cli_ParseArgs(argc, argv, kRenderOptions, RENDER_OPTIONS, &args)) return CLI_EXIT_USAGE;
  int w = RENDER_DEFAULT_WIDTH, h = RENDER_DEFAULT_HEIGHT;
  if (const char* size = args.pszValue[RENDER_SIZE]; size && !ParseSize(size, &w, &h)) {
    Cli_Error("--size wants WIDTHxHEIGHT, each 1 to 16384");
    return CLI_EXIT_USAGE;
  }
  if (args.iFiles < 2 || !IsPictureName(args.ppFiles[args.iFiles - 1])) {
    Cli_Error("render wants input files and then the output .png or .svg");
    return CLI_EXIT_USAGE;
  }
  static AppState app;  // large: kept off the stack
  Cli_InitApp(&app);
  int rc = Cli_LoadInputs(&app, args.ppFiles, args.iFiles - 1);
  app.Graph.iStacked = args.pszValue[RENDER_STACKED] ? 1 : 0;  // each channel in a lane of its own
  if (rc == CLI_EXIT_OK) rc = RenderPicture(&app, w, h, args.ppFiles[args.iFiles - 1]);
  Cli_FreeApp(&app);
  return rc;
}

}  // namespace

int main(int argc, char** argv) {
  // As in plotsmith-cli: a file size limit makes the save fail, not the process.
  std::signal(SIGXFSZ, SIG_IGN);
  SafeWrite_RemoveTempOnSignals();
  int rc = RunRender(argc - 1, argv + 1);
  if (rc == CLI_EXIT_USAGE) Cli_PrintUsage(stderr);
  return rc;
}
