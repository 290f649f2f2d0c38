#include "runs/job_status.h"

#include <charconv>
#include <chrono>
#include <thread>

#include "base/text.h"
#include "common/workspace.h"
#include "platform/file_system.h"
#include "platform/platform_error.h"
#include "platform/system_services.h"

namespace clipvane {
namespace {

constexpr JobState kStates[] = {JobState::kWaiting, JobState::kRunning, JobState::kWritten, JobState::kFailed,
                                JobState::kStopped};

// Numbers are read and written without the locale's help: a window's locale may
// write a decimal comma.
template <typename Number>
bool ReadNumber(const std::string& text, Number& number) {
  Number value{};
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return false;
  number = value;
  return true;
}

std::string DecimalText(double value) {
  char text[32];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 1);
  return error == std::errc() ? std::string(text, end) : "0";
}

}  // namespace

std::string JobStateWord(JobState state) {
  switch (state) {
    case JobState::kWaiting: return "waiting";
    case JobState::kRunning: return "running";
    case JobState::kWritten: return "written";
    case JobState::kFailed: return "failed";
    case JobState::kStopped: return "stopped";
    case JobState::kNone: break;
  }
  return {};
}

std::string FormatJobStatus(const JobStatus& status) {
  std::string text = "state=" + JobStateWord(status.state) + "\n";
  if (status.state == JobState::kRunning) {
    if (status.percent >= 0) text += "percent=" + std::to_string(status.percent) + "\n";
    if (status.fps >= 0) text += "fps=" + DecimalText(status.fps) + "\n";
    if (status.seconds_left >= 0) text += "left=" + std::to_string(status.seconds_left) + "\n";
  }
  if (status.state == JobState::kFailed) {
    // One line, whatever the log said.
    std::string cause = status.cause;
    for (char& c : cause)
      if (c == '\n' || c == '\r') c = ' ';
    text += "cause=" + cause + "\n";
  }
  if (IsLive(status.state) || (status.state == JobState::kStopped && status.pid != 0))
    text += "pid=" + std::to_string(status.pid) + "\n";
  return text;
}

JobStatus ParseJobStatus(const std::string& text) {
  JobStatus status;
  for (const std::string& line : NonEmptyLines(text)) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
    if (key == "state") {
      for (const JobState state : kStates)
        if (value == JobStateWord(state)) status.state = state;
    } else if (key == "percent") {
      ReadNumber(value, status.percent);
    } else if (key == "fps") {
      ReadNumber(value, status.fps);
    } else if (key == "left") {
      ReadNumber(value, status.seconds_left);
    } else if (key == "cause") {
      status.cause = value;
    } else if (key == "pid") {
      ReadNumber(value, status.pid);
    }
  }
  return status;
}

JobStatus AsSeen(JobStatus status, bool process_alive, double seconds_since_written) {
  if (!IsLive(status.state) || process_alive || seconds_since_written < kSilentSeconds) return status;
  JobStatus ended;
  ended.state = JobState::kFailed;
  ended.cause = kEndedWithoutResult;
  return ended;
}

std::string StopRequestPath(const std::string& status_file) {
  const std::size_t dot = status_file.rfind('.');
  return (dot == std::string::npos ? status_file : status_file.substr(0, dot)) + ".stp";
}

JobStatus ReadJobStatus(const FileSystem& files, const std::string& status_file) {
  const FileStamp stamp = files.Stamp(status_file);
  const std::optional<std::string> text = stamp.exists ? files.ReadWholeFile(status_file) : std::nullopt;
  if (!text) return {};
  const JobStatus status = ParseJobStatus(*text);
  if (!IsLive(status.state)) return status;
  const std::int64_t now_ns =
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch()).count();
  return AsSeen(status, ProcessIsAlive(status.pid), static_cast<double>(now_ns - stamp.modified_ns) / 1e9);
}

bool WriteJobStatus(FileSystem& files, const std::string& status_file, const JobStatus& status) {
  const std::string text = FormatJobStatus(status);
  for (int attempt = 0; attempt < 25; ++attempt) {
    try {
      files.ReplaceWholeFile(status_file, text);
      return true;
    } catch (const PlatformError&) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  return false;
}

bool StopRequested(const FileSystem& files, const std::string& status_file) {
  return files.Exists(StopRequestPath(status_file));
}

bool RequestStop(FileSystem& files, const std::string& status_file) {
  const JobStatus now = ReadJobStatus(files, status_file);
  if (!IsLive(now.state)) return false;
  files.ReplaceWholeFile(StopRequestPath(status_file), "");
  if (now.state == JobState::kWaiting) {
    JobStatus stopped;
    stopped.state = JobState::kStopped;
    stopped.pid = now.pid;  // the queue, which still holds the job's row
    WriteJobStatus(files, status_file, stopped);
  }
  return true;
}

bool HoldsItsRow(const FileSystem& files, const std::string& status_file) {
  const JobStatus now = ReadJobStatus(files, status_file);
  return IsLive(now.state) ||
         (now.state == JobState::kStopped && ProcessIsAlive(now.pid) && StopRequested(files, status_file));
}

std::string AllStoppedMark(const Workspace& workspace) {
  return workspace.Temp() + Separator(workspace.Style()) + "all-stopped";
}

std::vector<std::string> StatusFilesIn(const FileSystem& files, const std::string& temp_folder) {
  std::vector<std::string> found;
  for (const std::string& path : files.FilesIn(temp_folder))
    if (path.size() > 4 && path.compare(path.size() - 4, 4, ".job") == 0) found.push_back(path);
  return found;
}

}  // namespace clipvane
