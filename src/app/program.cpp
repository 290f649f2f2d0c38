#include "app/program.h"

#include "app/run_modes.h"
#include "platform/system_services.h"
#include "settings/settings_store.h"

namespace clipvane {

Program StartProgram(const Workspace& workspace, const std::string& fonts_folder) {
  Program program{workspace, OpenIniProfile(workspace.SettingsFile()), EncodeSettings{}, ColourTable{}};
  StartSettingsStore(program.settings, *program.ini, fonts_folder, workspace.Style());
  return program;
}

int RunProgram(const std::vector<std::string>& arguments, Program& program,
               const std::function<int(Program&)>& run_gui) {
  if (ChooseRunMode(arguments) == RunMode::kPowerAction) {
    PowerActionServices services{NativeSleeper(), NativeProcessList(), NativePowerControl(),
                                 NativeCensusNames()};
    RunPowerActionMode(arguments[0], services);
    return 0;
  }
  return run_gui(program);
}

}  // namespace clipvane
