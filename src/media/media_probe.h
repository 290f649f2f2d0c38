#pragma once
#include <string>

#include "common/path_style.h"
#include "media/media_facts.h"
#include "media/video_entry.h"

namespace clipvane {

class FileSystem;
class MediaInfoLibrary;
class StatusLine;
class UserNotifier;
class VideoList;

// The note put after a video's title when its probe found no picture (ANSI).
std::string ProbeFailureNote();

// Learns the picture size and frame rate of the listed videos, each at most once in
// the life of the process. The program owns one.
class MediaProbe {
 public:
  MediaProbe(MediaInfoLibrary& library, const FileSystem& files, StatusLine& status,
             UserNotifier& notifier, PathStyle style);

  // A copy of the row's entry, probed first when it never was. A missing file is
  // marked probed with all facts 0, silently; a file the library cannot read gets
  // the failure note in its title.
  VideoEntry ProbeVideo(VideoList& list, std::size_t row);

  // Reads and parses the library's report on one file. When the library is missing
  // the user is told once, and every probe fails (height 0).
  MediaFacts RunMediaInfo(const std::string& path);

 private:
  std::string FileName(const std::string& path) const;

  MediaInfoLibrary& library_;
  const FileSystem& files_;
  StatusLine& status_;
  UserNotifier& notifier_;
  PathStyle style_;
  bool problem_told_ = false;
};

}  // namespace clipvane
