#include "cli/job_commands.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>

#include "base/text.h"
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

std::string JobStatusWords(const JobStatus& status) {
  switch (status.state) {
    case JobState::kNone: return "-";
    case JobState::kRunning: return RunningWords(status);
    case JobState::kFailed: return "failed: " + status.cause;
    default: return JobStateWord(status.state);
  }
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
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(15);
  while (any_live() && std::chrono::steady_clock::now() < give_up)
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
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
