#include "cli/script_watch.h"

#include "platform/signal_relay.h"

namespace clipvane {

Expected<Launched, LaunchFailure> WatchingShell::OpenScript(const std::string& path) {
  // What the scripts print is of no use here, the jobs report to their status files;
  // but a script is over only when it and everything it started have closed its
  // output. sh leads a session of its own, so the script's process group is its number.
  const auto started = children_.Start({"sh", path}, {DeliveredTo([](const std::string&) {}), Inherited(), true, true});
  scripts_.push_back(path);
  if (!started) return MakeUnexpected(started.error());
  return Launched{children_.ProcessId(*started)};
}

int WatchingShell::WaitAll(const std::function<void()>& tick) {
  statuses_ = children_.WaitAll(
      [&tick] {
        if (tick) tick();
        return false;
      },
      500);
  return relay_ ? relay_->FirstSignal() : 0;
}

int WatchingShell::ExitStatus(const std::string& path) const {
  for (std::size_t i = 0; i < scripts_.size() && i < statuses_.size(); ++i)
    if (scripts_[i] == path) return statuses_[i];
  return -1;
}

}  // namespace clipvane
