#pragma once
#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "runs/job_status.h"

namespace clipvane {

class Session;

// Tells the desktop that a run has ended.
class DesktopNotifier {
 public:
  virtual ~DesktopNotifier() = default;
  virtual void Notify(const std::string& title, const std::string& body) = 0;
};

// The time a run still needs, in seconds, from the jobs that run or wait in it: the
// running ones' own time left, and for each waiting one as long as a running one takes
// on average, spread over as many queues as run side by side. -1 when nothing tells.
int RunSecondsLeft(const std::vector<JobStatus>& live);

// Follows the jobs of the listed rows through the job-status channel, whoever started
// them and whenever this window opened: a job waits in its queue, runs (with its
// percentage, speed and time left), and ends written, failed with its cause, or
// stopped; the result stays until the row runs again. A run is every job seen live
// since none was; when it is over, the desktop is told how it went.
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

  // The status bar during a run: how many of its jobs are done and its time left;
  // empty when no run goes on.
  std::string RunTotals() const;

 private:
  const JobStatus& StatusOf(std::size_t row) const;

  Session& session_;
  DesktopNotifier& notifier_;
  std::map<std::string, JobStatus> seen_;  // by status file, as last seen
  std::set<std::string> run_;              // the status files of the run going on
};

}  // namespace clipvane
