#include "cli/wait_report.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>

#include "base/text.h"
#include "cli/script_watch.h"
#include "media/mediainfo_library.h"
#include "platform/file_system.h"
#include "runs/job_outcome.h"

namespace clipvane {
namespace {

// Why, in the tools' own words, and where the whole log is; or how the job itself
// ended when it could not leave a log.
std::string WhatTheJobSaid(const JudgedJob& judged, const ScriptedJob& job, int script_status,
                           const FileSystem& files) {
  if (script_status > 128 && !files.Exists(job.job_log))
    return "the job was ended by signal " + std::to_string(script_status - 128) + " before it could finish";
  if (!files.Exists(job.job_log)) return "the job ended without leaving its log";
  return (judged.said.empty() ? std::string("the job's log says nothing") : judged.said) + " (log: " + job.job_log + ")";
}

}  // namespace

int WaitAndReport(WatchingShell& shell, const std::vector<FollowedJob>& jobs, bool all_converted, FileSystem& files,
                  MediaInfoLibrary& mediainfo, std::ostream& out, std::ostream& err) {
  const auto start = std::chrono::system_clock::now();
  const bool live = ::isatty(STDERR_FILENO);
  std::map<std::string, int> shown_percent;
  const int stopped_by = shell.WaitAll([&](const std::string& script, const std::string& line) {
    const int percent = ProgressPercent(line);
    if (percent < 0) return;
    const std::string name = FileNamePart(script, PathStyle::kPosix);
    int& last = shown_percent[name];
    if (live) {
      err << "\r" << name << ": " << TrimBlanks(line) << "\033[K" << std::flush;
    } else if (percent >= last + 10 || (percent == 100 && last != 100)) {
      err << name << ": " << percent << "%\n";
      last = percent;
    }
  });
  if (live) err << "\r\033[K";
  if (stopped_by != 0) err << "clipvane-cli: stopped; the jobs removed what they had made\n";

  out << "video\tresult\tsize\tduration\telapsed\n";
  int failed = 0;
  for (const FollowedJob& followed : jobs) {
    const ScriptedJob& job = followed.job;
    const FileStamp after = files.Stamp(job.output);
    const JudgedJob judged = JudgeEndedJob(after.exists && after != followed.before, job.video, job.output,
                                           job.job_log, files, mediainfo);
    if (judged.outcome != JobOutcome::kWritten) {
      ++failed;
      out << job.video << "\tfailed\t-\t-\t-\n";
      err << "clipvane-cli: failed: row " << job.row + 1 << ": " << job.video << ": " << JobOutcomeText(judged.outcome)
          << "; " << WhatTheJobSaid(judged, job, shell.ExitStatus(job.script), files) << "\n";
      continue;
    }
    const auto finished = std::chrono::system_clock::time_point(
        std::chrono::duration_cast<std::chrono::system_clock::duration>(std::chrono::nanoseconds(after.modified_ns)));
    const double elapsed = std::max(0.0, std::chrono::duration<double>(finished - start).count());
    char size[32], length[32], seconds[32];
    std::snprintf(size, sizeof size, "%.1f MB", static_cast<double>(after.size) / (1024.0 * 1024.0));
    std::snprintf(length, sizeof length, "%.2f s", judged.result.seconds);
    std::snprintf(seconds, sizeof seconds, "%.1f s", elapsed);
    out << job.video << "\twritten " << job.output << "\t" << size << "\t" << length << "\t" << seconds << "\n";
  }
  if (stopped_by != 0) return 128 + stopped_by;
  return failed == 0 && all_converted ? 0 : 1;
}

}  // namespace clipvane
