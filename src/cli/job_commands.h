#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "runs/job_status.h"

namespace clipvane {

class FileSystem;
class Session;

// How a job stands in the command line's words: "waiting", "running 45% 120.5fps
// 0:32 left" (as much of it as is known), "written", "failed: <cause>", "stopped", or
// "-" for a job that has said nothing.
std::string JobStatusWords(const JobStatus& status);
// The running part alone, as --wait shows it.
std::string RunningWords(const JobStatus& status);

// "status": one line for every listed row, its number and then how its job stands.
void PrintJobStatus(const Session& session, std::ostream& out);

// "stop": waits, up to fifteen seconds, until the jobs asked to stop (their status
// files) no longer run or wait, then prints each as the rows are printed (a job no
// row makes by its name). False when one still runs.
bool StopAndWait(const Session& session, const std::vector<std::string>& asked, const FileSystem& files,
                 std::ostream& out);

}  // namespace clipvane
