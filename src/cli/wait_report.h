#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "runs/encode_commands.h"

namespace clipvane {

class MediaInfoLibrary;
class WatchingShell;

// What a waiting command needs of a job besides its script: how its MP4 stood before
// the run.
struct FollowedJob {
  ScriptedJob job;
  FileStamp before;
};

// Follows the started scripts to their end, then tells what became of every video:
// "written" only for an MP4 this run wrote that holds what it should; for any other,
// why, in the words of its log, and where that log is kept for the user.
int WaitAndReport(WatchingShell& shell, const std::vector<FollowedJob>& jobs, bool all_converted, FileSystem& files,
                  MediaInfoLibrary& mediainfo, std::ostream& out, std::ostream& err);

}  // namespace clipvane
