#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/child_processes.h"
#include "platform/shell.h"

namespace clipvane {

// Starts scripts as the desktop shell does, in sessions of their own, but keeps their
// output so that the command line can follow the encoders' progress and wait for the
// end. Linux only.
class WatchingShell : public Shell {
 public:
  using LineReader = std::function<void(const std::string& script, const std::string& line)>;

  // With `relay`, our interrupt, stop or hang-up reaches the scripts (see WaitAll).
  explicit WatchingShell(SignalRelay* relay) : relay_(relay), children_(relay) {}

  // A script that does not start (no sh) comes back as a failure and is not waited for.
  Expected<Launched, LaunchFailure> OpenScript(const std::string& path) override;

  // Blocks until every started script has ended. `on_output` gets each line (or
  // carriage-return-ended progress update) a script writes, with the script's path.
  // An interrupt, a stop or a hang-up of this process meanwhile is passed on to the
  // scripts and everything they started, which then end as a failed job does,
  // removing what they made; the wait goes on until they have. Returns the number of
  // the first such signal, or 0.
  int WaitAll(const LineReader& on_output);

  // How a started script ended, as WaitAll found it: its status, or 128 + the signal
  // that killed it; -1 for a script this shell did not start.
  int ExitStatus(const std::string& path) const;

 private:
  struct Script {
    std::string path;
    std::string pending;
    int status = -1;
  };
  void Take(Script& script, const std::string& chunk, bool at_end);

  SignalRelay* relay_;
  std::vector<std::unique_ptr<Script>> scripts_;  // stable while their readers hold them
  const LineReader* on_output_ = nullptr;         // set while waiting
  ChildProcesses children_;
};

}  // namespace clipvane
