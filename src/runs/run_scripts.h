#pragma once
#include <functional>
#include <string>
#include <vector>

#include "common/power_action.h"
#include "common/progress.h"
#include "common/workspace.h"
#include "jobs/script.h"

namespace clipvane {

class FileSystem;

struct RunScriptContext {
  const Workspace& workspace;
  ScriptDialect dialect;
  FileSystem& files;
  Progress progress;  // gets "created" and the job script's name after each job; may be empty
};

// Probes row `row` when needed and writes its job script; returns the script's path,
// or the empty text when the row gives none.
using RowJobBuilder = std::function<std::string(std::size_t row)>;

// The line that ends a run script with the program's power-action mode, or none.
std::vector<ScriptStep> PowerActionSteps(PowerAction action, const Workspace& workspace);

// The run script of every job in list order, and for a queue count of 2 or 4 the same
// jobs split over that many scripts in name order; every written script ends with the
// power-action line. Returns whether the whole-list script got any line. Throws
// PlatformError when a script cannot be written.
bool MakeRunScripts(int queue_count, std::size_t row_count, const RowJobBuilder& build_row, PowerAction action,
                    RunScriptContext& context);

// The job scripts each run script of a whole-list command calls, in the order of
// RunScriptPaths: for a queue count of 2 or 4 split in name order, otherwise all of
// them in the order given. With a power action the split shifts by one.
std::vector<std::vector<std::string>> QueuedJobs(int queue_count, std::vector<std::string> job_scripts,
                                                 bool power_action);

// The scripts a whole-list command opens for its queue count (0, 2 or 4), in order.
std::vector<std::string> RunScriptPaths(int queue_count, const Workspace& workspace, ScriptDialect dialect);

}  // namespace clipvane
