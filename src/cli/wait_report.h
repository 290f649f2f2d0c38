#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "runs/encode_commands.h"

namespace clipvane {

class MediaInfoLibrary;
class WatchingShell;

// Follows the started scripts to their end, showing the progress their jobs report,
// then tells what became of every video, as its job's status says: "written" (with
// the MP4's size and length), "stopped", or why it failed, in the words of its log,
// and where that log is kept for the user.
int WaitAndReport(WatchingShell& shell, const std::vector<ScriptedJob>& jobs, bool all_converted, FileSystem& files,
                  MediaInfoLibrary& mediainfo, std::ostream& out, std::ostream& err);

}  // namespace clipvane
