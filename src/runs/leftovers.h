#pragma once
#include <string>
#include <vector>

#include "common/workspace.h"
#include "jobs/script.h"

namespace clipvane {

class FileSystem;
class ProcessList;

// Clears what jobs that no longer run left behind, as a command or a window starts, so
// that temp stays bounded: their logs, subtitle copies and intermediates in temp, the
// MP4s they were building in incoming, and the partial files of a tool that was
// killed. A job runs while a process names its files or an interpreter runs a script
// that names them (its job script, or a run script calling it). It waits to be run
// while its log is still empty, as its build made it, and a script in batch names
// it: then it keeps what its build prepared, its log and its subtitle copy. A job
// that ran has written to its log, and once it no longer runs, all of it goes. When the command line of a process named
// in `job_processes` cannot be read, nothing is known for sure and nothing is removed. Holds the lock that builds hold
// meanwhile. Returns the files removed.
std::vector<std::string> RemoveLeftovers(const Workspace& workspace, ScriptDialect dialect, FileSystem& files,
                                         const ProcessList& processes, const std::vector<std::string>& job_processes);

}  // namespace clipvane
