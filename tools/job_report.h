#pragma once
#include <chrono>
#include <optional>
#include <string>

#include "platform/system_services.h"
#include "runs/job_status.h"

namespace clipvane::tools {

// The job a tool works for, as its script names it to the tool (kJobStatusVariable):
// the record where the tool says how the job stands (runs/job_record.h) and beside which
// it looks for a request to stop it. A tool run by hand, without one, says nothing and is
// never asked to stop. Every change goes through the record's legal changes; one that
// cannot be written is said on stderr, which the job keeps in its log.
class JobReport {
 public:
  JobReport();
  bool Known() const { return !record_.empty(); }

  bool StopRequested() const;
  // Asks for the stop itself: the tool was interrupted or stopped by a signal, which
  // stops the job as the user's stop does, while its script lives to record it. A
  // cluster task's signal comes from Slurm, which cancelled or requeued it: that is
  // Slurm's to tell (Ended), not a stop.
  void RequestStop();

  // The encode's progress; written at most twice a second, and at once at its start
  // and end. The job lives as long as the script that runs the tool.
  void Running(int percent, double fps, double seconds_left);
  // The MP4 passed the check and is about to take its final name: the record says
  // written first, so that no MP4 is ever in place that its record does not tell of.
  // Why not, when it could not be recorded.
  [[nodiscard]] std::optional<std::string> Written();
  // The MP4 could not be put in place after all: the record says why it failed.
  void NotPlaced(const std::string& cause);
  // The job's failure steps ran: it was stopped when a stop was asked for (the request
  // is then used up), or else it failed for the cause its log gives (UTF-8 text). A
  // job already written stays written. A cluster task that Slurm ended failed for
  // Slurm's reason, and one that Slurm requeued waits again.
  void Ended(const std::string& log);

 private:
  std::string record_;  // in the program's text
  // What a status of this job names: the script's interpreter, and on a cluster the
  // Slurm task and node it runs on.
  JobStatus Named(JobState state) const;

  ProcessIdentity owner_;  // the script's interpreter
  std::string slurm_;      // the Slurm task the script runs as ("<array job>_<task>"), or empty
  std::string node_;
  std::chrono::steady_clock::time_point last_written_;
  int last_percent_ = -2;
  double last_fps_ = -1;
  bool said_unwritten_ = false;
};

}  // namespace clipvane::tools
