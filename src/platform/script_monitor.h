#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace clipvane {

// A script that sh runs now, as the process list shows it.
struct RunningScript {
  std::string script;  // the path sh was given
  std::string output;  // the file its output goes to; empty for a pipe, a terminal or nothing
  bool operator==(const RunningScript& other) const { return script == other.script && output == other.output; }
};

// The end of a script's output file.
struct OutputTail {
  std::string text;       // the file's last bytes, a few kilobytes at most
  std::uint64_t end = 0;  // the file's size: the offset just after `text`
};

// The scripts running on this computer, whoever started them: a window opened in the
// middle of a run finds its jobs again.
class ScriptMonitor {
 public:
  virtual ~ScriptMonitor() = default;
  virtual std::vector<RunningScript> Running() const = 0;
  // Empty for a file that cannot be read.
  virtual OutputTail Tail(const std::string& output) const = 0;
};

#ifndef _WIN32
ScriptMonitor& NativeScriptMonitor();
#endif

}  // namespace clipvane
