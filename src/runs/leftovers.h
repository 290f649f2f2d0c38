#pragma once
#include <string>
#include <vector>

#include "common/workspace.h"

namespace clipvane {

class FileSystem;

// Clears what jobs that no longer run left behind, as a command or a window starts, so
// that temp stays bounded. The job records say whose each file is (BuildOfFile names
// its build, and a record names the build of its job): a job that holds its row keeps
// all of its files; one whose script was written but never ran (its log still as its
// build made it, empty) and was not stopped keeps what its build prepared, its log,
// its subtitle copy and its SSA file and AviSynth script; of every other build, or of
// none that a record names, everything goes: its logs, subtitle copies and
// intermediates in temp, the MP4 it was building in incoming, a tool's partial files,
// and an ended job's request to stop. Holds the lock that builds hold meanwhile. Returns the files removed.
std::vector<std::string> RemoveLeftovers(const Workspace& workspace, FileSystem& files);

}  // namespace clipvane
