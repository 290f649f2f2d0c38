// clipvane-cli's composition root: the native services, made once and handed in.
#include <iostream>

#include "cli/cli.h"
#include "media/mediainfo_library.h"
#include "platform/file_system.h"
#include "platform/shell.h"
#include "platform/signal_relay.h"
#include "platform/system_services.h"

int main(int argc, char** argv) {
  using namespace clipvane;
  // First, before any thread: the relay holds the signals it passes on in every thread.
  SignalRelay relay;
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  const Workspace workspace = Workspace::OfRunningProgram();
  const auto mediainfo = LoadMediaInfoLibrary(workspace.AppDir(), NativeFileSystem());
  CliServices services{{NativeFileSystem(), NativeShell(), *mediainfo}, &relay, FontsFolder(), std::cout, std::cerr};
  return RunCli(arguments, workspace, services);
}
