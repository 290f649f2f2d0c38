#pragma once
#include <cstddef>
#include <string>
#include <utility>

namespace clipvane {

// Why a command left a video out. The core says which; each front end words it
// (the windows in the product's Korean boxes, or not at all where the product is
// silent; the command line in a plain line).
enum class RefusalReason {
  kNoFolder,          // a path without a folder part
  kAlreadyListed,     // the list holds the path already, in some letter case
  kNotAVideo,         // the extension is not one of the video extensions
  kPathTooLong,       // longer than a row of the list holds
  kFileMissing,       // no file at the path any more
  kNoPicture,         // the probe found no picture size
  kPictureTooSmall,   // a picture smaller than kMinPictureSide on a side, which the encoders cannot code
  kSourceIsOutput,    // the video is its own result file, which the job would delete first
  kIsFolder,          // a folder, whatever its name says
  kLineBreakInName,   // a name with a line break, which list.log cannot hold
  kNoVideoStream,     // the probe read the file and found no video in it
  kRunScriptName,     // its job script would have a run script's name and call itself
  kNameTooLong,       // the MP4's or the log's name would be longer than a file name may be
  kSubtitleNotAFile,  // its .smi or .srt is a folder or some other thing that is no file
  kCannotScript,      // a file of its job could not be read or written (`detail` says which and why)
  kNotStarted,        // beyond the four videos that one encode starts
  kInIncoming,        // the video is one of the MP4s made here (IsOutput), where the results go
  kNotLaunched,       // its job script (or, with no row, a run script) did not start (`detail` says why)
  kAlreadyRunning,    // its job runs, or waits in a queue, now: it is not started twice
};

// The smallest side of a picture a job takes: one macroblock, the unit that MPEG-4
// Part 2 and H.264 code a picture in; the devices' scaling makes nothing seeable of less.
inline constexpr int kMinPictureSide = 16;

// No row: the refusal is not about a row of the list.
inline constexpr std::size_t kNoRow = static_cast<std::size_t>(-1);

// A video a command left out, and why.
struct Refusal {
  Refusal(std::string path_, RefusalReason reason_, std::size_t row_ = kNoRow)
      : path(std::move(path_)), reason(reason_), row(row_) {}

  std::string path;
  RefusalReason reason;
  std::size_t row = kNoRow;  // the row left out (from 0), for commands on rows
  std::string detail;        // kCannotScript, kNotLaunched: what the platform said
  bool operator==(const Refusal& other) const {
    return path == other.path && reason == other.reason && row == other.row && detail == other.detail;
  }
};

}  // namespace clipvane
