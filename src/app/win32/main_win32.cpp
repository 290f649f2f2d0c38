// clipvane.exe: the power-action mode for exactly "shutdown" or "suspend", otherwise
// the main window, which adds the files named on the command line (dropped on the
// program's icon). The composition root of the Windows program: every native service
// is made here and handed in.
#include <windows.h>
// windows.h first: shellapi.h depends on it.
#include <shellapi.h>

#include <string>
#include <vector>

#include "app/win32/main_window_win32.h"
#include "session/program.h"
#include "session/run_modes.h"
#include "media/mediainfo_library.h"
#include "platform/file_system.h"
#include "platform/shell.h"
#include "platform/system_services.h"
#include "platform/text_encoding.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  using namespace clipvane;
  const Workspace workspace = Workspace::OfRunningProgram();
  Program program = StartProgram(workspace, OpenIniProfile(workspace.SettingsFile()), FontsFolder());
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  std::vector<std::wstring> wide_arguments;
  for (int i = 1; argv && i < count; ++i) {
    arguments.push_back(WideToAnsi(argv[i]));
    wide_arguments.push_back(argv[i]);
  }
  LocalFree(argv);
  PowerActionServices power = NativePowerActionServices(workspace);
  return RunProgram(arguments, power, [&] {
    const auto mediainfo = LoadMediaInfoLibrary(workspace.AppDir(), NativeFileSystem());
    GuiServices services{{NativeFileSystem(), NativeShell(), *mediainfo},
                         NativeDocumentOpener(),
                         NativeDialogs(),
                         NativeAviSynthSystem(),
                         NativeInstalledFonts(),
                         NativeNotifier(),
                         NativeItemPicker()};
    return RunMainWindow(program, services, instance, show, FilesFromCommandLine(wide_arguments));
  });
}
