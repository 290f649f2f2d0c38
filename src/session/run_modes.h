#pragma once
#include <optional>
#include <string>
#include <vector>

#include "common/power_action.h"
#include "runs/power_run.h"
#include "session/encoder_census.h"

namespace clipvane {

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
  std::string scripts_folder;   // the batch folder with its separator, whose scripts give way too; empty for none
  std::optional<PowerRun> run;  // the run whose action this is: taken once, not when held; none for no record
};

// This computer's: its clock, processes and power, the workspace's batch folder and
// its run.
PowerActionServices NativePowerActionServices(const Workspace& workspace);

// Waits ten seconds, gives way to encoders or scripts still at work, and otherwise
// powers the computer off or suspends it as the argument says, once for the run
// (PowerRun::Take): not when the user stopped every job meanwhile, nor again when
// another queue's end took it. Never shows anything.
void RunPowerActionMode(const std::string& argument, PowerActionServices& services);

}  // namespace clipvane
