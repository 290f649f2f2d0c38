#include "runs/job_status.h"

#include <charconv>

#include "base/text.h"

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

// One line, whatever it held.
std::string OneLine(std::string text) {
  for (char& c : text)
    if (c == '\n' || c == '\r') c = ' ';
  return text;
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
  if (status.state == JobState::kFailed) text += "cause=" + OneLine(status.cause) + "\n";
  // A written job's owner is its script, which still clears up after the check.
  const bool owned_end = status.state == JobState::kStopped || status.state == JobState::kWritten;
  if (IsLive(status.state) || (owned_end && status.owner.id != 0)) {
    text += "pid=" + std::to_string(status.owner.id) + "\n";
    if (!status.owner.started.empty()) text += "started=" + OneLine(status.owner.started) + "\n";
  }
  if (!status.build.empty()) text += "build=" + OneLine(status.build) + "\n";
  if (!status.video.empty()) text += "video=" + OneLine(status.video) + "\n";
  if (!status.output.empty()) text += "output=" + OneLine(status.output) + "\n";
  if (!status.slurm.empty()) text += "slurm=" + OneLine(status.slurm) + "\n";
  if (!status.node.empty()) text += "node=" + OneLine(status.node) + "\n";
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
      ReadNumber(value, status.owner.id);
    } else if (key == "started") {
      status.owner.started = value;
    } else if (key == "build") {
      status.build = value;
    } else if (key == "video") {
      status.video = value;
    } else if (key == "output") {
      status.output = value;
    } else if (key == "slurm") {
      status.slurm = value;
    } else if (key == "node") {
      status.node = value;
    }
  }
  return status;
}

}  // namespace clipvane
