#pragma once
#include <sys/types.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "media/mediainfo_report.h"
#include "runs/encode_commands.h"

namespace clipvane {

class FileSystem;
class MediaInfoLibrary;
class WatchingShell;

// A file as it stood at one moment: a file replaced by a new one, or written again,
// stands otherwise afterwards.
struct FileStamp {
  bool exists = false;
  dev_t device = 0;
  ino_t inode = 0;
  std::int64_t modified_ns = 0;
  off_t size = 0;

  static FileStamp Of(const std::string& path);
  bool operator==(const FileStamp& other) const {
    return exists == other.exists && device == other.device && inode == other.inode &&
           modified_ns == other.modified_ns && size == other.size;
  }
};

// What a waiting command needs of a job besides its script: how its MP4 stood before
// the run, and the source's tracks to hold the result against.
struct FollowedJob {
  ScriptedJob job;
  FileStamp before;
  TrackSummary source;
};

// Follows the started scripts to their end, then tells what became of every video:
// "written" only for an MP4 this run wrote that holds what it should. A failed job
// leaves its log, whose last line says why; it is read here and removed.
int WaitAndReport(WatchingShell& shell, const std::vector<FollowedJob>& jobs, bool all_converted, FileSystem& files,
                  MediaInfoLibrary& mediainfo, std::ostream& out, std::ostream& err);

}  // namespace clipvane
