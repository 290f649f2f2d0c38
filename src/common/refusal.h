#pragma once
#include <string>

namespace clipvane {

// Why a command left a video out. The core says which; each front end words it
// (the windows in the product's Korean boxes, or not at all where the product is
// silent; the command line in a plain line).
enum class RefusalReason {
  kNoFolder,        // a path without a folder part
  kAlreadyListed,   // the list holds the path already, in some letter case
  kNotAVideo,       // the extension is not one of the video extensions
  kPathTooLong,     // longer than a row of the list holds
  kFileMissing,     // no file at the path any more
  kNoPicture,       // the probe found no picture size
  kSourceIsOutput,  // the video is its own result file, which the job would delete first
};

// A video a command left out, and why.
struct Refusal {
  std::string path;
  RefusalReason reason;
  bool operator==(const Refusal& other) const { return path == other.path && reason == other.reason; }
};

}  // namespace clipvane
