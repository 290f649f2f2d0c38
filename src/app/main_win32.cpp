// clipvane.exe: the power-action mode for exactly one argument, otherwise the main
// window.
#include <windows.h>
// windows.h first: shellapi.h depends on it.
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/main_window_win32.h"
#include "app/program.h"
#include "platform/system_services.h"
#include "platform/win32/wide_text.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  using namespace clipvane;
  Program program = StartProgram(Workspace::OfRunningProgram(), SpecialFolderPath(kFontsFolder));
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; argv && i < count; ++i) arguments.push_back(WideToAnsi(argv[i]));
  LocalFree(argv);
  return RunProgram(arguments, program,
                    [&](Program& gui_program) { return RunMainWindow(gui_program, instance, show); });
}
