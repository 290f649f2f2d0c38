#pragma once
#include <cstddef>
#include <functional>
#include <string>

namespace clipvane {

// A step of long work, reported as it happens so that a window can show it at once
// and a command line can print it: a video's probe starting and ending, a job script
// written, a folder searched for videos to add. The front end words it.
struct ProgressStep {
  enum class Kind { kChecking, kChecked, kCreated, kSearching };
  Kind kind;
  std::string file;       // the file name the step is about, without its folder; kSearching: the folder's path
  std::size_t count = 0;  // kSearching: the rows added so far
  bool operator==(const ProgressStep& other) const {
    return kind == other.kind && file == other.file && count == other.count;
  }
};

// Where steps go; may be empty.
using Progress = std::function<void(const ProgressStep&)>;

// The step as the status bar and the command line say it.
inline std::string StatusText(const ProgressStep& step) {
  switch (step.kind) {
    case ProgressStep::Kind::kChecking: return "checking " + step.file;
    case ProgressStep::Kind::kChecked: return "checked " + step.file;
    case ProgressStep::Kind::kCreated: return "created " + step.file;
    case ProgressStep::Kind::kSearching: return "searching " + step.file;
  }
  return step.file;
}

inline void Report(const Progress& progress, ProgressStep::Kind kind, const std::string& file) {
  if (progress) progress({kind, file});
}

}  // namespace clipvane
