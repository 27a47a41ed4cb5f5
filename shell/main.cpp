// Linux entry: the arguments joined with single blanks form the command line,
// so that an unquoted path with blanks arrives whole.
#include <string>

#include "shell/plotwin.h"
#include "winutil/winapi.h"

int main(int argc, char** argv) {
  std::string cmdLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) cmdLine += ' ';
    cmdLine += argv[i];
  }
  HINSTANCE instance = Win_Init(&argc, argv);
  return WinMain(instance, nullptr, cmdLine.c_str(), SW_SHOW);
}
