#include "cli/script_watch.h"

#include "platform/signal_relay.h"

namespace clipvane {

Expected<Launched, LaunchFailure> WatchingShell::OpenScript(const std::string& path) {
  scripts_.push_back(std::make_unique<Script>(Script{path, {}}));
  Script& script = *scripts_.back();
  ChildStreams streams{DeliveredTo([this, &script](const std::string& chunk) { Take(script, chunk, false); }),
                       Inherited(), true, true};
  // sh leads a session of its own, so the script's process group is its number.
  const auto started = children_.Start({"sh", path}, std::move(streams));
  if (!started) return MakeUnexpected(started.error());
  return Launched{children_.ProcessId(*started)};
}

void WatchingShell::Take(Script& script, const std::string& chunk, bool at_end) {
  script.pending += chunk;
  std::size_t start = 0;
  for (std::size_t i = 0; i < script.pending.size(); ++i) {
    if (script.pending[i] != '\n' && script.pending[i] != '\r') continue;
    if (i > start && on_output_) (*on_output_)(script.path, script.pending.substr(start, i - start));
    start = i + 1;
  }
  script.pending.erase(0, start);
  if (at_end && !script.pending.empty()) {
    if (on_output_) (*on_output_)(script.path, script.pending);
    script.pending.clear();
  }
}

int WatchingShell::WaitAll(const LineReader& on_output) {
  on_output_ = &on_output;
  // A script is over when it and everything it started have closed its output.
  const std::vector<int> statuses = children_.WaitAll();
  for (std::size_t i = 0; i < scripts_.size(); ++i) {
    Take(*scripts_[i], {}, true);
    if (i < statuses.size()) scripts_[i]->status = statuses[i];
  }
  on_output_ = nullptr;
  return relay_ ? relay_->FirstSignal() : 0;
}

int WatchingShell::ExitStatus(const std::string& path) const {
  for (const std::unique_ptr<Script>& script : scripts_)
    if (script->path == path) return script->status;
  return -1;
}

}  // namespace clipvane
