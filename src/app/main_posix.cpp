// clipvane on Linux: the power-action mode that the run scripts call at their end.
// There is no window here; the list and the conversions are driven by clipvane-cli.
#include <cstdio>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/run_modes.h"
#include "platform/system_services.h"

int main(int argc, char** argv) {
  using namespace clipvane;
  const Workspace workspace = Workspace::OfRunningProgram();
  Program program = StartProgram(workspace, OpenIniProfile(workspace.SettingsFile()), FontsFolder());
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  PowerActionServices power{NativeSleeper(), NativeProcessList(), NativePowerControl(), NativeCensusNames()};
  return RunProgram(arguments, power, [] {
    std::fprintf(stderr,
                 "clipvane: this build has no window; use clipvane-cli to list and convert videos "
                 "(clipvane-cli --help).\n");
    return 2;
  });
}
