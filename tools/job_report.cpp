#include "job_report.h"

#include "jobs/script.h"
#include "platform/file_system.h"
#include "platform/system_services.h"
#include "platform/text_encoding.h"
#include "platform/utf.h"
#include "runs/job_outcome.h"
#include "runs/job_status.h"
#include "tool_files.h"

namespace clipvane::tools {

JobReport::JobReport() : status_file_(Utf8ToAnsi(EnvironmentValue(kJobStatusVariable))) {
  if (Known()) owner_ = ParentProcessId();
}

bool JobReport::StopRequested() const { return Known() && clipvane::StopRequested(NativeFileSystem(), status_file_); }

void JobReport::RequestStop() {
  // Only the script's failure steps take the request back; a script that was killed
  // itself has none left to run.
  if (!Known() || !ProcessIsAlive(owner_)) return;
  try {
    NativeFileSystem().ReplaceWholeFile(StopRequestPath(status_file_), "");
  } catch (const std::exception&) {
    // The job then reads as failed, which it also is.
  }
}

void JobReport::Running(int percent, double fps, double seconds_left) {
  if (!Known()) return;
  const auto now = std::chrono::steady_clock::now();
  const bool edge = percent != last_percent_ && (percent <= 0 || percent >= 100);
  if (!edge && now - last_written_ < std::chrono::milliseconds(500)) return;
  last_written_ = now;
  last_percent_ = percent;
  JobStatus status;
  status.state = JobState::kRunning;
  status.percent = percent;
  // FFmpeg says 0 before its first frames and often at its end: the speed last known.
  if (fps > 0) last_fps_ = fps;
  status.fps = last_fps_;
  status.seconds_left = seconds_left >= 0 ? static_cast<int>(seconds_left + 0.5) : -1;
  status.pid = owner_;
  WriteJobStatus(NativeFileSystem(), status_file_, status);
}

void JobReport::Written() {
  if (!Known()) return;
  JobStatus status;
  status.state = JobState::kWritten;
  WriteJobStatus(NativeFileSystem(), status_file_, status);
  // A stop asked for too late: the MP4 is in place.
  NativeFileSystem().RemoveFile(StopRequestPath(status_file_));
}

void JobReport::Ended(const std::string& log) {
  if (!Known()) return;
  FileSystem& files = NativeFileSystem();
  JobStatus status;
  if (StopRequested()) {
    status.state = JobState::kStopped;
    WriteJobStatus(files, status_file_, status);
    files.RemoveFile(StopRequestPath(status_file_));
    return;
  }
  status.state = JobState::kFailed;
  // The tools write UTF-8; the status file holds the program's text.
  const std::string cause = CauseLine(ReadWholeFile(log).value_or(""));
  status.cause = IsValidUtf8(cause) ? Utf8ToAnsi(cause) : cause;
  if (status.cause.empty()) status.cause = "the job's log says nothing";
  WriteJobStatus(files, status_file_, status);
}

}  // namespace clipvane::tools
