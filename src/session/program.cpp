#include "session/program.h"

#include <utility>

#include "session/run_modes.h"
#include "settings/settings_store.h"

namespace clipvane {

Program StartProgram(const Workspace& workspace, std::unique_ptr<IniProfile> ini, const std::string& fonts_folder) {
  const StartupSettings startup = StartSettingsStore(*ini, fonts_folder, workspace.Style());
  return Program{workspace, std::move(ini), startup, EncodeSettings{}, EncoderPreset{}, ColourTable{}};
}

int RunProgram(const std::vector<std::string>& arguments, PowerActionServices& power,
               const std::function<int()>& run_gui) {
  if (ChooseRunMode(arguments) == RunMode::kPowerAction) {
    RunPowerActionMode(arguments[0], power);
    return 0;
  }
  return run_gui();
}

}  // namespace clipvane
