#include "job_report.h"

#include <iostream>

#include "jobs/job_files.h"
#include "jobs/script.h"
#include "platform/file_system.h"
#include "platform/text_encoding.h"
#include "platform/utf.h"
#include "runs/job_outcome.h"
#include "runs/job_record.h"
#include "runs/slurm_cluster.h"
#include "tool_files.h"

namespace clipvane::tools {
namespace {

JobRecord Record(const std::string& record) { return JobRecord(NativeFileSystem(), record, kNativePathStyle); }

}  // namespace

JobReport::JobReport() : record_(Utf8ToAnsi(EnvironmentValue(kJobStatusVariable))) {
  if (!Known()) return;
  owner_ = ParentProcess();
  const std::string array_job = EnvironmentValue("SLURM_ARRAY_JOB_ID");
  const std::string task = EnvironmentValue("SLURM_ARRAY_TASK_ID");
  if (!array_job.empty() && !task.empty()) {
    slurm_ = SlurmTaskName(array_job, task);
    node_ = Utf8ToAnsi(EnvironmentValue("SLURMD_NODENAME"));
  }
}

JobStatus JobReport::Named(JobState state) const {
  JobStatus status;
  status.state = state;
  status.owner = owner_;
  status.slurm = slurm_;
  status.node = node_;
  return status;
}

bool JobReport::StopRequested() const { return Known() && clipvane::StopRequested(NativeFileSystem(), record_); }

void JobReport::RequestStop() {
  // Only the script's failure steps take the request back; a script that was killed
  // itself has none left to run.
  if (!Known() || !slurm_.empty() || !IsRunning(owner_)) return;
  try {
    NativeFileSystem().ReplaceWholeFile(StopRequestPath(record_), "");
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
  JobStatus status = Named(JobState::kRunning);
  status.percent = percent;
  // FFmpeg says 0 before its first frames and often at its end: the speed last known.
  if (fps > 0) last_fps_ = fps;
  status.fps = last_fps_;
  status.seconds_left = seconds_left >= 0 ? static_cast<int>(seconds_left + 0.5) : -1;
  const JobChange changed = Record(record_).Change(status);
  if (!changed && !said_unwritten_) {
    said_unwritten_ = true;
    std::cerr << "mencoder: the job's progress cannot be told: " << AnsiToUtf8(JobChangeFailureText(changed.error()))
              << "\n";
  }
}

std::optional<std::string> JobReport::Written() {
  if (!Known()) return std::nullopt;
  const JobChange changed = Record(record_).Change(Named(JobState::kWritten));
  if (!changed) return AnsiToUtf8(JobChangeFailureText(changed.error()));
  // A stop asked for too late: the MP4 is in place.
  NativeFileSystem().RemoveFile(StopRequestPath(record_));
  return std::nullopt;
}

void JobReport::NotPlaced(const std::string& cause) {
  if (!Known()) return;
  const JobChange changed = Record(record_).RetractWritten(Utf8ToAnsi(cause));
  if (!changed)
    std::cerr << "mp4creator: the job's record still says written: "
              << AnsiToUtf8(JobChangeFailureText(changed.error())) << "\n";
}

void JobReport::Ended(const std::string& log) {
  if (!Known()) return;
  const bool stopped = StopRequested();
  JobStatus status = Named(stopped ? JobState::kStopped : JobState::kFailed);
  status.owner = {};
  const SlurmWord slurm = stopped || slurm_.empty() ? SlurmWord() : AskSlurmNow(slurm_);
  if (slurm.state == "PENDING" || slurm.state == "REQUEUED") {
    const JobChange requeued = Record(record_).Requeued(slurm_);
    if (!requeued && requeued.error().error == JobChangeError::kNotWritten)
      std::cerr << "mp4creator: the job's requeue cannot be told: "
                << AnsiToUtf8(JobChangeFailureText(requeued.error())) << "\n";
    return;
  }
  // Slurm ends a task while its script still runs: the script did not end by itself.
  if (slurm.state == "COMPLETING" || slurm.life == SlurmWord::Life::kEnded) {
    status.cause = SlurmEndCause(slurm);
  } else if (!stopped) {
    // The tools write UTF-8; the record holds the program's text.
    const std::string cause = CauseLine(ReadWholeFile(log).value_or(""));
    status.cause = IsValidUtf8(cause) ? Utf8ToAnsi(cause) : cause;
    if (status.cause.empty()) status.cause = "the job's log says nothing";
  }
  const JobChange changed = Record(record_).Change(status);
  // A job that was written stays so, whatever failed after its MP4 was placed.
  if (!changed && changed.error().error == JobChangeError::kNotWritten)
    std::cerr << "mp4creator: the job's end cannot be told: " << AnsiToUtf8(JobChangeFailureText(changed.error()))
              << "\n";
  if (stopped) NativeFileSystem().RemoveFile(StopRequestPath(record_));
}

}  // namespace clipvane::tools
