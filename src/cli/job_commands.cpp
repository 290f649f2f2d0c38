#include "cli/job_commands.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "base/text.h"
#include "runs/slurm_cluster.h"
#include "session/session.h"

namespace clipvane {

std::string RunningWords(const JobStatus& status) {
  std::string words = "running";
  if (status.percent >= 0) words += " " + std::to_string(status.percent) + "%";
  if (status.fps >= 0) {
    char fps[32];
    std::snprintf(fps, sizeof fps, " %.1ffps", status.fps);
    words += fps;
  }
  if (status.seconds_left >= 0) words += " " + ClockText(status.seconds_left) + " left";
  return words;
}

namespace {

std::string StateWords(const JobStatus& status) {
  switch (status.state) {
    case JobState::kNone: return "-";
    case JobState::kRunning: return RunningWords(status);
    case JobState::kFailed: return "failed: " + status.cause;
    default: return JobStateWord(status.state);
  }
}

}  // namespace

std::string JobStatusWords(const JobStatus& status) {
  std::string words = StateWords(status);
  // A cluster job: where it runs, and which Slurm task it is.
  if (IsLive(status.state) && !status.node.empty()) words = status.node + ": " + words;
  if (!status.slurm.empty()) words += " (slurm=" + status.slurm + ")";
  return words;
}

void PrintJobStatus(const Session& session, std::ostream& out) {
  for (std::size_t row = 0; row < session.List().RowCount(); ++row)
    out << row + 1 << "\t" << JobStatusWords(session.Status(row)) << "\n";
}

bool StopAndWait(const Session& session, const std::vector<std::string>& asked, const FileSystem& files,
                 std::ostream& out) {
  // The tools end their work within a second or two of being asked.
  const auto any_live = [&] {
    return std::any_of(asked.begin(), asked.end(),
                       [&](const std::string& file) { return IsLive(ReadJobStatus(files, file).state); });
  };
  const auto wait_until = [&](std::chrono::seconds seconds) {
    const auto give_up = std::chrono::steady_clock::now() + seconds;
    while (any_live() && std::chrono::steady_clock::now() < give_up)
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
  };
  wait_until(std::chrono::seconds(static_cast<int>(kStopGraceSeconds)));
  // A cluster task that has not stopped by then is cancelled: Slurm ends it on its node.
  const std::vector<std::string> overdue = OverdueClusterStops(files, asked);
  if (!overdue.empty() && !CancelSlurmTasks(overdue)) wait_until(std::chrono::seconds(15));
  bool all_stopped = true;
  for (const std::string& file : asked) {
    const JobStatus now = ReadJobStatus(files, file);
    const auto row = session.RowOfStatusFile(file);
    out << (row ? std::to_string(*row + 1) : WithoutExtension(FileNamePart(file, PathStyle::kPosix), PathStyle::kPosix))
        << "\t" << JobStatusWords(now) << "\n";
    all_stopped &= !IsLive(now.state);
  }
  return all_stopped;
}

}  // namespace clipvane
