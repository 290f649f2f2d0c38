#pragma once
#include <string>
#include <vector>

#include "session/encoder_census.h"
#include "common/power_action.h"

namespace clipvane {

class FileSystem;
class PowerControl;
class ProcessList;
class Sleeper;
class Workspace;

enum class RunMode { kGui, kPowerAction };

// Exactly one argument that is a power action ("shutdown" or "suspend", see
// PowerActionOf) selects the power-action mode; anything else opens the window, which
// takes the arguments as files, so that a single video handed over by the desktop or
// dropped on the icon is listed.
RunMode ChooseRunMode(const std::vector<std::string>& arguments);

// "shutdown" and "suspend" exactly: case-sensitive, nothing trimmed.
PowerAction PowerActionOf(const std::string& argument);

inline constexpr unsigned kPowerActionDelayMs = 10000;

struct PowerActionServices {
  Sleeper& sleeper;
  const ProcessList& processes;
  PowerControl& power;
  CensusNames names;
  std::string scripts_folder;  // the batch folder with its separator, whose scripts give way too; empty for none
  const FileSystem* files = nullptr;
  std::string all_stopped;  // the mark of a run the user stopped whole (AllStoppedMark); empty for none
};

// This computer's: its clock, processes and power, the workspace's batch folder and
// the mark of a run stopped whole.
PowerActionServices NativePowerActionServices(const Workspace& workspace);

// Waits ten seconds, gives way to encoders or scripts still at work, and otherwise
// powers the computer off or suspends it as the argument says. Never shows anything.
void RunPowerActionMode(const std::string& argument, PowerActionServices& services);

}  // namespace clipvane
