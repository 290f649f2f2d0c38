// What follows from IdentifyProcess alike on every system.
#include "platform/detached_launch.h"
#include "platform/system_services.h"

namespace clipvane {

bool IsRunning(const ProcessIdentity& process) {
  if (process.started.empty()) return false;
  const std::optional<ProcessIdentity> now = IdentifyProcess(process.id);
  return now && *now == process;
}

ProcessIdentity OwnProcess() { return IdentifyProcess(NativeProcessList().OwnProcessId()).value_or(ProcessIdentity{}); }

Launched LaunchedAs(std::uint32_t id) {
  if (id == 0) return {};
  // A process that has ended already can never be taken for a live one.
  return {id, IdentifyProcess(id).value_or(ProcessIdentity{id, "ended"}).started};
}

ProcessIdentity ParentProcess() { return IdentifyProcess(ParentProcessId()).value_or(ProcessIdentity{}); }

}  // namespace clipvane
