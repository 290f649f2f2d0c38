#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "common/path_style.h"

namespace clipvane {

class FileSystem;

// The video an MP4 was made from, as the job that put it in place noted it (the
// muxer's check writes SourceRecordPath), in ANSI text; nothing when no job noted one,
// as for an MP4 made by hand or by an earlier version.
std::optional<std::string> RecordedSource(const std::string& mp4, const FileSystem& files, PathStyle style);

// Whether the video's own MP4 stands: the MP4 is a file, and its record names this
// video, or, without a record, no other listed video has the same base name there
// (then it is not known whose it is, and it counts as no one's).
bool ConvertedHere(const std::string& video, bool mp4_exists, const std::optional<std::string>& recorded,
                   std::size_t listed_of_that_name, PathStyle style);

}  // namespace clipvane
