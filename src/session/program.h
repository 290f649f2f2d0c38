#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/workspace.h"
#include "platform/ini_profile.h"
#include "settings/encode_settings.h"
#include "subtitles/colour_table.h"

namespace clipvane {

struct PowerActionServices;

// What one process owns: its workspace, the open settings file, the one settings
// record with its derived presets and start-up values, and the colour names. Built
// by the program-wide initialisation, in every run mode. Sessions refer into it, so
// it stays where it was made.
struct Program {
  Workspace workspace;
  std::unique_ptr<IniProfile> ini;
  StartupSettings startup;
  EncodeSettings settings;
  EncoderPreset preset;
  ColourTable colours;
};

// The program-wide initialisation over the opened MP4.ini: finds the fonts folder and
// reads the video extension list.
Program StartProgram(const Workspace& workspace, std::unique_ptr<IniProfile> ini, const std::string& fonts_folder);

// The whole process after the arguments are split: the power-action mode for exactly
// "shutdown" or "suspend", otherwise `run_gui`. Returns the exit status.
int RunProgram(const std::vector<std::string>& arguments, PowerActionServices& power,
               const std::function<int()>& run_gui);

}  // namespace clipvane
