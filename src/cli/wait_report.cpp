#include "cli/wait_report.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>

#include "base/text.h"
#include "cli/job_commands.h"
#include "cli/script_watch.h"
#include "media/mediainfo_library.h"
#include "platform/file_system.h"
#include "runs/job_outcome.h"

namespace clipvane {
namespace {

// What became of a job whose script ended while it still waited or ran: it could not
// say so itself.
std::string WhatTheScriptLeft(const ScriptedJob& job, int script_status, const FileSystem& files) {
  if (script_status > 128)
    return "the job was ended by signal " + std::to_string(script_status - 128) + " before it could finish";
  if (!files.Exists(job.job_log)) return "the job ended without leaving its log";
  return CauseLine(files.ReadWholeFile(job.job_log).value_or("")) + " (log: " + job.job_log + ")";
}

}  // namespace

int WaitAndReport(WatchingShell& shell, const std::vector<ScriptedJob>& jobs, bool all_converted, FileSystem& files,
                  MediaInfoLibrary& mediainfo, std::ostream& out, std::ostream& err) {
  const auto start = std::chrono::system_clock::now();
  const bool live = ::isatty(STDERR_FILENO);
  std::map<std::string, int> shown_percent;
  const int stopped_by = shell.WaitAll([&] {
    std::string line;
    for (const ScriptedJob& job : jobs) {
      const JobStatus status = ReadJobStatus(files, job.status);
      if (status.state != JobState::kRunning || status.percent < 0) continue;
      const std::string name = FileNamePart(job.script, PathStyle::kPosix);
      line += (line.empty() ? "" : "  ") + name + ": " + RunningWords(status);
      int& last = shown_percent[name];
      if (!live && (status.percent >= last + 10 || (status.percent == 100 && last != 100))) {
        err << name << ": " << status.percent << "%\n";
        last = status.percent;
      }
    }
    if (live && !line.empty()) err << "\r" << line << "\033[K" << std::flush;
  });
  if (live) err << "\r\033[K";
  if (stopped_by != 0) err << "clipvane-cli: stopped; the jobs removed what they had made\n";

  out << "video\tresult\tsize\tduration\telapsed\n";
  int failed = 0;
  for (const ScriptedJob& job : jobs) {
    const JobStatus status = ReadJobStatus(files, job.status);
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
    std::string said;
    if (status.state == JobState::kFailed) {
      said = status.cause + " (log: " + job.job_log + ")";
    } else {
      // Its script has ended: the job never will. Every reader learns so at once.
      said = WhatTheScriptLeft(job, shell.ExitStatus(job.script), files);
      JobStatus ended;
      ended.state = JobState::kFailed;
      ended.cause = said;
      WriteJobStatus(files, job.status, ended);
    }
    out << job.video << "\tfailed\t-\t-\t-\n";
    err << "clipvane-cli: failed: row " << job.row + 1 << ": " << job.video << ": "
        << JobOutcomeText(JobOutcome::kNoNewResult) << "; " << said << "\n";
  }
  if (stopped_by != 0) return 128 + stopped_by;
  return failed == 0 && all_converted ? 0 : 1;
}

}  // namespace clipvane
