#pragma once
#include <functional>
#include <string>
#include <vector>

#include "platform/child_processes.h"
#include "platform/shell.h"

namespace clipvane {

// Starts scripts as the desktop shell does, in sessions of their own, but as children
// of the command line, so that it can wait for their end. Linux only.
class WatchingShell : public Shell {
 public:
  // With `relay`, our interrupt, stop or hang-up reaches the scripts (see WaitAll).
  explicit WatchingShell(SignalRelay* relay) : relay_(relay), children_(relay) {}

  // A script that does not start (no sh) comes back as a failure and is not waited for.
  Expected<Launched, LaunchFailure> OpenScript(const std::string& path) override;

  // Blocks until every started script has ended, calling `tick` about twice a second
  // meanwhile. An interrupt, a stop or a hang-up of this process meanwhile is passed on
  // to the scripts and everything they started, which then end as a stopped job does,
  // removing what they made; the wait goes on until they have. Returns the number of
  // the first such signal, or 0.
  int WaitAll(const std::function<void()>& tick);

  // How a started script ended, as WaitAll found it: its status, or 128 + the signal
  // that killed it; -1 for a script this shell did not start.
  int ExitStatus(const std::string& path) const;

 private:
  SignalRelay* relay_;
  std::vector<std::string> scripts_;  // in start order, as the children are
  std::vector<int> statuses_;
  ChildProcesses children_;
};

}  // namespace clipvane
