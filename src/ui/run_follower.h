#pragma once
#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "runs/job_status.h"
#include "ui/job_texts.h"

namespace clipvane {

class Session;

// Tells the desktop that a run has ended.
class DesktopNotifier {
 public:
  virtual ~DesktopNotifier() = default;
  virtual void Notify(const std::string& title, const std::string& body) = 0;
};

// A job that runs or waits in a run, and the queue it is in as far as is known: the
// process that owned it while it waited (a queue's interpreter, which also runs its job
// scripts on Windows), or its own owner when it was not seen waiting.
struct QueuedStatus {
  JobStatus status;
  ProcessIdentity queue;
};

// The time a run still needs, in seconds: the longest of its queues', which run side by
// side. A queue needs its running job's time left and, for each job waiting in it, as
// long as a running job takes on average. A running job that no queue of waiting jobs
// is known to run (a queue's job script runs in an interpreter of its own on Linux)
// goes with a queue whose running job is not known, the longest with the longest, so
// that the time is not told short. -1 when nothing tells.
int RunSecondsLeft(const std::vector<QueuedStatus>& live);

// Follows the jobs of the listed rows through the job-status channel, whoever started
// them and whenever this window opened: a job waits in its queue, runs (with its
// percentage, speed and time left), and ends written, failed with its cause, or
// stopped; the result stays until the row runs again. A live job asked to stop says so
// until its record tells how it ended. A run is every job seen live since none was;
// when it is over, the desktop is told how it went.
class RunFollower final {
 public:
  RunFollower(Session& session, DesktopNotifier& notifier);

  // Looks again; true when what a row shows has changed (its columns or its encoded
  // marker), or the run's totals.
  bool Follow();

  // The progress and result columns of a row (ANSI), and for a failed job the cause
  // line its tools left, as a tool tip of its result.
  std::string ProgressText(std::size_t row) const;
  std::string ResultText(std::size_t row) const;
  std::string ResultDetail(std::size_t row) const;
  // Whether the row's job runs or waits, as last seen.
  bool IsLive(std::size_t row) const;
  // Whether any listed row's job runs or waits, as last seen.
  bool AnyLive() const;

  // The status bar: how many of the run's jobs were written, failed and were stopped,
  // and its time left; after the run, how it ended, until the next one; empty before
  // the first.
  std::string RunTotals() const;

 private:
  const JobStatus& StatusOf(std::size_t row) const;
  bool Stopping(std::size_t row) const;
  RunCounts Counts() const;

  Session& session_;
  DesktopNotifier& notifier_;
  std::map<std::string, JobStatus> seen_;         // by status file, as last seen
  std::set<std::string> stopping_;                // the live jobs asked to stop, as last seen
  std::map<std::string, ProcessIdentity> queue_;  // the owner each job of the run last waited under
  std::set<std::string> run_;                     // the status files of the run going on
  std::optional<RunCounts> ended_;                // how the last run ended
};

}  // namespace clipvane
