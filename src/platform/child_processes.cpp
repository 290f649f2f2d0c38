#include "platform/child_processes.h"

namespace clipvane {

Expected<int, LaunchFailure> RunChild(const std::vector<std::string>& argv, ChildStreams streams, SignalRelay* relay) {
  ChildProcesses child(relay);
  const auto started = child.Start(argv, std::move(streams));
  if (!started) return MakeUnexpected(started.error());
  return child.WaitAll().front();
}

std::optional<std::string> CaptureOutput(const std::vector<std::string>& argv) {
  std::string output;
  const auto status =
      RunChild(argv, {DeliveredTo([&output](const std::string& chunk) { output += chunk; }), Inherited()});
  if (!status || *status != 0) return std::nullopt;
  return output;
}

}  // namespace clipvane
