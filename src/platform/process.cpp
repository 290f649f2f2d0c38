#include "platform/process.h"

namespace clipvane {

int RunChild(const std::vector<std::string>& argv, ChildStreams streams) {
  ChildProcesses child;
  child.Start(argv, std::move(streams));
  return child.WaitAll().front();
}

std::optional<std::string> CaptureOutput(const std::vector<std::string>& argv) {
  std::string output;
  if (RunChild(argv, {DeliveredTo([&output](const std::string& chunk) { output += chunk; }), Inherited()}) != 0) {
    return std::nullopt;
  }
  return output;
}

}  // namespace clipvane
