#pragma once
#include <ostream>
#include <vector>

#include "runs/encode_commands.h"

namespace clipvane {

class FileSystem;
class MediaInfoLibrary;
class Session;
class SignalRelay;

// Follows the jobs this command started through their records to their end, showing
// the progress they report, then tells what became of every video as its record says:
// "written" (with the MP4's size and length), "stopped", or why it failed, in the words
// of its log, and where that log is kept for the user. The jobs are not this command's
// children: killing it, closing its terminal or a pipe it writes to ends only the
// following. An interrupt (Ctrl+C, through `relay`) asks them to stop, and the following
// goes on until they have.
int WaitAndReport(Session& session, SignalRelay* relay, const std::vector<ScriptedJob>& jobs, bool all_converted,
                  FileSystem& files, MediaInfoLibrary& mediainfo, std::ostream& out, std::ostream& err);

}  // namespace clipvane
