#pragma once
#include <string>

namespace clipvane {

// Why a program did not start: the program as it was named and the system's words.
// Both are in the encoding of the call that gave them: UTF-8 from the process calls,
// ANSI from a Shell.
struct LaunchFailure {
  std::string program;
  std::string reason;
  std::string Text() const { return "cannot start " + program + ": " + reason; }
  bool operator==(const LaunchFailure& other) const { return program == other.program && reason == other.reason; }
};

}  // namespace clipvane
