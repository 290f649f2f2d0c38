// clipvane on Linux: the power-action mode for exactly "shutdown" or "suspend",
// otherwise the main window, which adds the files and folders named on the command
// line (a file manager's "Open with"). The composition root of the Linux program: every native service is made here and
// handed in.
#include <QApplication>

#include <string>
#include <vector>

#include "app/qt/gui_services_qt.h"
#include "app/qt/main_window_qt.h"
#include "session/program.h"
#include "session/run_modes.h"
#include "media/mediainfo_library.h"
#include "platform/file_system.h"
#include "platform/shell.h"
#include "platform/system_services.h"

int main(int argc, char** argv) {
  using namespace clipvane;
  const Workspace workspace = Workspace::OfRunningProgram();
  Program program = StartProgram(workspace, OpenIniProfile(workspace.SettingsFile()), FontsFolder());
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  PowerActionServices power = NativePowerActionServices(workspace);
  return RunProgram(arguments, power, [&] {
    QApplication application(argc, argv);
    const auto mediainfo = LoadMediaInfoLibrary(workspace.AppDir(), NativeFileSystem());
    const auto avisynth = StandInSubtitleDrawing();
    const auto fonts = FontconfigFonts(program.startup.fontsdir);
    GuiServices services{{NativeFileSystem(), NativeShell(), *mediainfo},
                         DesktopOpener(),
                         MessageBoxes(),
                         *avisynth,
                         *fonts,
                         DesktopNotifications(),
                         FileDialogs()};
    // Qt has taken its own options out of argv by now.
    return RunQtWindows(program, services, ItemsFromArguments(std::vector<std::string>(argv + 1, argv + argc)));
  });
}
