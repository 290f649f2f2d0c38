#pragma once
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "common/path_style.h"
#include "common/progress.h"
#include "media/media_facts.h"
#include "media/mediainfo_library.h"
#include "media/video_entry.h"

namespace clipvane {

class FileSystem;
class VideoList;
class Workspace;

// A picture's width and height as the encoder's own reading of the file finds them, or
// nothing when it finds none.
using PictureSizeQuestion = std::function<std::optional<std::pair<int, int>>(const std::string& path)>;

// Asks the encoder in the workspace's bin folder ("mencoder -identify <file>").
PictureSizeQuestion EncoderIdentifies(const Workspace& workspace);

// Reads the size out of what "mencoder -identify" prints (ID_VIDEO_WIDTH=, ID_VIDEO_HEIGHT=).
std::optional<std::pair<int, int>> ParseIdentifiedSize(const std::string& output);

// The note put after a video's title when its probe found no picture (ANSI).
std::string ProbeFailureNote();

// Learns the picture size and frame rate of the listed videos, each at most once in
// the life of the process. The program owns one.
class MediaProbe {
 public:
  // `identify` is asked for a picture whose size the library gives none of, or one no
  // picture has (a header it misreads); without it such a picture goes unsized.
  MediaProbe(MediaInfoLibrary& library, const FileSystem& files, PathStyle style, PictureSizeQuestion identify = {});

  // A copy of the row's entry, probed first when it never was: the steps "checking"
  // and "checked" with the file name go to `progress`. A missing file is marked
  // probed with all facts 0, silently; a file the library cannot read gets the
  // failure note in its title.
  VideoEntry ProbeVideo(VideoList& list, std::size_t row, const Progress& progress = {});

  // Reads and parses the library's report on one file; height 0 when the library is
  // missing or cannot read it.
  MediaFacts RunMediaInfo(const std::string& path);

  // Why every probe fails, when the library is not there.
  MediaInfoProblem LibraryProblem() const { return library_.Problem(); }

 private:
  MediaInfoLibrary& library_;
  const FileSystem& files_;
  PathStyle style_;
  PictureSizeQuestion identify_;
};

}  // namespace clipvane
