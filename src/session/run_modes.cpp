#include "session/run_modes.h"

#include "common/workspace.h"
#include "platform/file_system.h"
#include "platform/system_services.h"

namespace clipvane {

RunMode ChooseRunMode(const std::vector<std::string>& arguments) {
  const bool power_action = arguments.size() == 1 && PowerActionOf(arguments[0]) != PowerAction::kNone;
  return power_action ? RunMode::kPowerAction : RunMode::kGui;
}

PowerAction PowerActionOf(const std::string& argument) {
  if (argument == "shutdown") return PowerAction::kShutdown;
  if (argument == "suspend") return PowerAction::kSuspend;
  return PowerAction::kNone;
}

PowerActionServices NativePowerActionServices(const Workspace& workspace) {
  return {NativeSleeper(),
          NativeProcessList(),
          NativePowerControl(),
          NativeCensusNames(),
          workspace.Batch() + Separator(workspace.Style()),
          PowerRun(NativeFileSystem(), workspace)};
}

void RunPowerActionMode(const std::string& argument, PowerActionServices& services) {
  services.sleeper.SleepMilliseconds(kPowerActionDelayMs);
  // One look only: a queue that is still encoding ends in its own instance later.
  if (EncoderCensus(services.processes, services.names) ||
      ScriptsAtWork(services.processes, services.names.interpreter, services.scripts_folder))
    return;
  // Everything was stopped (the user ended the run, and did not ask for the machine to
  // go), or another queue's end took the action already.
  if (services.run && !services.run->Take()) return;
  const PowerAction action = PowerActionOf(argument);
  if (action == PowerAction::kShutdown) services.power.PowerOff();
  if (action == PowerAction::kSuspend) services.power.Suspend();
}

}  // namespace clipvane
