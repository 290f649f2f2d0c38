#include "cli/wait_report.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <map>
#include <thread>

#include "base/text.h"
#include "cli/job_commands.h"
#include "media/mediainfo_library.h"
#include "platform/file_system.h"
#include "platform/platform_error.h"
#include "platform/signal_relay.h"
#include "runs/job_outcome.h"
#include "session/session.h"

namespace clipvane {
namespace {

// Shows the running jobs' progress: on a terminal on one line, rewritten; otherwise a
// line each time a job has gone ten percent further. Whether any job is live.
class ProgressShown {
 public:
  explicit ProgressShown(std::ostream& err) : err_(err), live_(::isatty(STDERR_FILENO)) {}
  ~ProgressShown() {
    if (live_) err_ << "\r\033[K";
  }
  bool Look(const std::vector<ScriptedJob>& jobs, const FileSystem& files) {
    std::string line;
    bool any_live = false;
    for (const ScriptedJob& job : jobs) {
      const JobStatus status = ReadJobStatus(files, job.record);
      any_live |= IsLive(status.state);
      if (status.state != JobState::kRunning || status.percent < 0) continue;
      const std::string name = FileNamePart(job.script, PathStyle::kPosix);
      line += (line.empty() ? "" : "  ") + name + ": " + RunningWords(status);
      int& last = shown_percent_[name];
      if (!live_ && (status.percent >= last + 10 || (status.percent == 100 && last != 100))) {
        err_ << name << ": " << status.percent << "%\n";
        last = status.percent;
      }
    }
    if (live_ && !line.empty()) err_ << "\r" << line << "\033[K" << std::flush;
    return any_live;
  }

 private:
  std::ostream& err_;
  const bool live_;
  std::map<std::string, int> shown_percent_;
};

}  // namespace

int WaitAndReport(Session& session, SignalRelay* relay, const std::vector<ScriptedJob>& jobs, bool all_converted,
                  FileSystem& files, MediaInfoLibrary& mediainfo, std::ostream& out, std::ostream& err) {
  const auto start = std::chrono::system_clock::now();
  if (relay) relay->KeepInterrupts();
  bool interrupted = false;
  {
    ProgressShown progress(err);
    while (progress.Look(jobs, files)) {
      if (!interrupted && relay && relay->FirstSignal() == SIGINT) {
        interrupted = true;
        std::vector<std::size_t> rows;
        for (const ScriptedJob& job : jobs) rows.push_back(job.row);
        try {
          session.StopRows(rows);
        } catch (const PlatformError& error) {
          err << "clipvane-cli: " << error.what() << "\n";
        }
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
  }
  if (interrupted) err << "clipvane-cli: stopped; the jobs removed what they had made\n";

  out << "video\tresult\tsize\tduration\telapsed\n";
  int failed = 0;
  for (const ScriptedJob& job : jobs) {
    const JobStatus status = ReadJobStatus(files, job.record);
    if (status.state == JobState::kWritten) {
      const FileStamp after = files.Stamp(job.output);
      const TrackSummary result = ParseTrackSummary(mediainfo.InformTracks(job.output));
      const auto finished = std::chrono::system_clock::time_point(
          std::chrono::duration_cast<std::chrono::system_clock::duration>(std::chrono::nanoseconds(after.modified_ns)));
      const double elapsed = std::max(0.0, std::chrono::duration<double>(finished - start).count());
      char size[32], length[32], seconds[32];
      std::snprintf(size, sizeof size, "%.1f MB", static_cast<double>(after.size) / (1024.0 * 1024.0));
      std::snprintf(length, sizeof length, "%.2f s", result.seconds);
      std::snprintf(seconds, sizeof seconds, "%.1f s", elapsed);
      out << job.video << "\twritten " << job.output << "\t" << size << "\t" << length << "\t" << seconds << "\n";
      continue;
    }
    ++failed;
    if (status.state == JobState::kStopped) {
      out << job.video << "\tstopped\t-\t-\t-\n";
      err << "clipvane-cli: stopped: row " << job.row + 1 << ": " << job.video << "\n";
      continue;
    }
    const std::string cause = status.state == JobState::kFailed ? status.cause : "its record is gone";
    out << job.video << "\tfailed\t-\t-\t-\n";
    err << "clipvane-cli: failed: row " << job.row + 1 << ": " << job.video << ": "
        << JobOutcomeText(JobOutcome::kNoNewResult) << "; " << cause
        << (files.Exists(job.job_log) ? " (log: " + job.job_log + ")" : "") << "\n";
  }
  if (interrupted) return 128 + SIGINT;
  return failed == 0 && all_converted ? 0 : 1;
}

}  // namespace clipvane
