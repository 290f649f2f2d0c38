#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/path_style.h"

namespace clipvane {

// Where the list's MP4s go: a folder (without a trailing separator), and whether a
// video added with a folder keeps its place under that folder's name there.
struct OutputPlace {
  std::string folder;
  bool keep_subfolders = false;
  bool operator==(const OutputPlace& other) const {
    return folder == other.folder && keep_subfolders == other.keep_subfolders;
  }
};

struct EncodeSettings;
class Workspace;

// The place the settings choose: their output folder, or the workspace's incoming
// folder when they name none.
OutputPlace OutputPlaceOf(const EncodeSettings& settings, const Workspace& workspace);

// Whether a folder of the user's choice is given as a full path ("D:\\MP4",
// "\\\\server\\share\\MP4", "/home/u/MP4"), which every job and tool reads alike
// wherever it runs from.
bool IsFullFolderPath(const std::string& folder, PathStyle style);

// The folder a video's MP4 goes in: the place's folder; or, when subfolders are kept
// and the video came in with a folder (`root`, the folder added, without a trailing
// separator; empty for a video added by itself), under it the added folder's name
// and the folders between it and the video.
std::string OutputFolderFor(const std::string& video, const std::string& root, const OutputPlace& place,
                            PathStyle style);

// The `n`-th name (from 1) an MP4 of base name `base` may take in `folder`:
// "<base>.mp4", then "<base> (2).mp4", "<base> (3).mp4", and so on.
std::string OutputCandidate(const std::string& folder, const std::string& base, std::size_t n, PathStyle style);

// What stands at one of those names: a file or not, and the video its note says it
// was made from, when it has a note.
struct CandidateState {
  bool exists = false;
  std::optional<std::string> made_from;
};

// Which name (from 1) each of `videos` gets, videos of one base name whose MP4s go
// to one folder, in list order, so that no conversion ever replaces an MP4 made from
// another video: a video keeps the name whose note says it was made from it; the
// others take, in list order, the first name that no earlier one took, that no note
// gives to another video, and where no file without a note stands, except the first
// name (earlier versions made it without a note, and it counts as the first video's).
std::vector<std::size_t> AssignOutputNames(const std::vector<std::string>& videos,
                                           const std::function<CandidateState(std::size_t n)>& look, PathStyle style);

// The name of a job's script and kept log in batch: its MP4's name without ".mp4",
// unique as the MP4 is among those of its folder; for an MP4 in a subfolder of the
// place, eight hexadecimal digits of its path follow, as two subfolders may hold MP4s
// of one name.
std::string JobNameFor(const std::string& output, const OutputPlace& place, PathStyle style);

// An MP4's name as the list shows it: its path below the place's folder.
std::string ShownOutputName(const std::string& output, const OutputPlace& place, PathStyle style);

// Eight hexadecimal digits of a path (FNV-1a, folded as the system compares paths):
// the same on every system and in every version.
std::string PathKey(const std::string& path, PathStyle style);

// A job's MP4 and the name of its script and kept log (JobNameFor).
struct JobTarget {
  std::string output;
  std::string name;
  bool operator==(const JobTarget& other) const { return output == other.output && name == other.name; }
};

// The target of a video listed alone, in `place`'s folder: "<base>.mp4", its own name.
JobTarget LoneJobTarget(const std::string& video, const OutputPlace& place, PathStyle style);

}  // namespace clipvane
