#include "runs/job_record.h"

#include <chrono>
#include <optional>
#include <thread>

#include "jobs/job_files.h"
#include "platform/file_system.h"
#include "platform/platform_error.h"
#include "runs/slurm_cluster.h"

namespace clipvane {
namespace {

JobChangeFailure Failure(JobChangeError error, const JobStatus& stored, std::string reason = {}) {
  return {error, stored.state, std::move(reason)};
}

// Replaces the record whole, so that no reader ever sees half of it; tries again for
// a moment while a reader holds the file (Windows). The system's reason when it could
// not.
std::optional<std::string> WriteRecord(FileSystem& files, const std::string& record, const JobStatus& status) {
  const std::string text = FormatJobStatus(status);
  std::string reason;
  for (int attempt = 0; attempt < 25; ++attempt) {
    try {
      files.ReplaceWholeFile(record, text);
      return std::nullopt;
    } catch (const PlatformError& error) {
      reason = error.what();
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }
  return reason;
}

// The record as written, the file standing as `stamp` says.
JobStatus StoredAs(const FileSystem& files, const std::string& record, const FileStamp& stamp) {
  JobStatus unreadable;
  unreadable.state = JobState::kFailed;
  if (!stamp.exists) {
    if (!files.Exists(record)) return {};
    unreadable.cause = "its record is no file: " + record;
    return unreadable;
  }
  const std::optional<std::string> text = files.ReadWholeFile(record);
  if (text) return ParseJobStatus(*text);
  unreadable.cause = "its record cannot be read: " + record;
  return unreadable;
}

// How long ago the file standing as `stamp` was last written, in seconds.
double SecondsSince(const FileStamp& stamp) {
  const std::int64_t now_ns =
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::system_clock::now().time_since_epoch()).count();
  return static_cast<double>(now_ns - stamp.modified_ns) / 1e9;
}

// A cluster job back in Slurm's queue, as it waits for its next start.
JobStatus WaitingAgain(const JobStatus& stored) {
  JobStatus waiting;
  waiting.state = JobState::kWaiting;
  waiting.slurm = stored.slurm;
  waiting.build = stored.build;
  waiting.video = stored.video;
  waiting.output = stored.output;
  return waiting;
}

}  // namespace

JobStatus AsSeen(JobStatus stored, bool owner_running, double seconds_since_written, const std::string& ended_cause) {
  if (!IsLive(stored.state) || owner_running) return stored;
  const bool owner_unknown = stored.owner.started.empty() && stored.slurm.empty();
  if (owner_unknown && seconds_since_written < kSilentSeconds) return stored;
  JobStatus ended;
  ended.state = JobState::kFailed;
  ended.cause = ended_cause;
  ended.build = stored.build;
  ended.video = stored.video;
  ended.slurm = stored.slurm;
  ended.node = stored.node;
  return ended;
}

namespace {

// A cluster job as Slurm says it stands. A controller that does not answer tells
// nothing: the job stands as written.
JobStatus AsSlurmSays(const FileSystem& files, const std::string& record, const JobStatus& stored,
                      const SlurmWord& word) {
  if (word.life == SlurmWord::Life::kLive) {
    // Requeued, its node gone before its tools could say so: it waits for its next start.
    return word.state == "PENDING" && stored.state == JobState::kRunning ? WaitingAgain(stored) : stored;
  }
  // Cancelled after it was asked to stop and did not (its node unreachable): stopped.
  if (word.life == SlurmWord::Life::kEnded && StopRequested(files, record)) {
    JobStatus stopped = AsSeen(stored, false, 0);
    stopped.state = JobState::kStopped;
    stopped.cause.clear();
    return stopped;
  }
  const bool script_ended = word.state == "COMPLETED" || word.state == "FAILED";
  return AsSeen(stored, word.life != SlurmWord::Life::kEnded, 0,
                script_ended ? std::string(kEndedWithoutResult) : SlurmEndCause(word));
}

}  // namespace

JobStatus StoredJobStatus(const FileSystem& files, const std::string& record) {
  return StoredAs(files, record, files.Stamp(record));
}

JobStatus ReadJobStatus(const FileSystem& files, const std::string& record) {
  const FileStamp stamp = files.Stamp(record);
  const JobStatus stored = StoredAs(files, record, stamp);
  if (!IsLive(stored.state)) return stored;
  if (!stored.slurm.empty()) return AsSlurmSays(files, record, stored, AskSlurm(stored.slurm));
  return AsSeen(stored, IsRunning(stored.owner), SecondsSince(stamp));
}

bool StopRequested(const FileSystem& files, const std::string& record) { return files.Exists(StopRequestPath(record)); }

std::vector<std::string> OverdueClusterStops(const FileSystem& files, const std::vector<std::string>& records) {
  std::vector<std::string> overdue;
  for (const std::string& record : records) {
    const JobStatus stored = StoredJobStatus(files, record);
    const FileStamp asked = files.Stamp(StopRequestPath(record));
    if (IsLive(stored.state) && !stored.slurm.empty() && asked.exists && SecondsSince(asked) >= kStopGraceSeconds)
      overdue.push_back(stored.slurm);
  }
  return overdue;
}

bool HoldsItsRow(const FileSystem& files, const std::string& record) {
  return HoldsItsRow(files, record, ReadJobStatus(files, record));
}

bool HoldsItsRow(const FileSystem& files, const std::string& record, const JobStatus& seen) {
  return IsLive(seen.state) ||
         (seen.state == JobState::kStopped && IsRunning(seen.owner) && StopRequested(files, record));
}

bool IsLegalJobChange(JobState from, JobState to) {
  switch (to) {
    case JobState::kRunning: return true;
    case JobState::kWritten: return from == JobState::kRunning;
    case JobState::kFailed: return from == JobState::kNone || IsLive(from);
    case JobState::kStopped: return from == JobState::kNone || IsLive(from) || from == JobState::kStopped;
    case JobState::kWaiting:
    case JobState::kNone: break;
  }
  return false;
}

std::string JobChangeFailureText(const JobChangeFailure& failure) {
  switch (failure.error) {
    case JobChangeError::kHeld: return "the job already runs";
    case JobChangeError::kIllegal: return "the job is " + JobStateWord(failure.from) + " already";
    case JobChangeError::kNotWritten: return "its record cannot be written: " + failure.reason;
  }
  return {};
}

std::vector<std::string> JobRecordsIn(const FileSystem& files, const std::string& temp_folder) {
  std::vector<std::string> found;
  for (const std::string& path : files.FilesIn(temp_folder))
    if (path.size() > 4 && path.compare(path.size() - 4, 4, ".job") == 0) found.push_back(path);
  return found;
}

std::string JobRecordsLock(const std::string& record, PathStyle style) {
  const std::string temp = FolderPart(record, style);
  return FolderPart(temp.substr(0, temp.empty() ? 0 : temp.size() - 1), style) + "jobs.lock";
}

JobRecord::JobRecord(FileSystem& files, std::string path, PathStyle style)
    : files_(files), path_(std::move(path)), style_(style) {}

// `decide(stored, next)` sees the record as written and makes `next` of it, or says
// why not; what it leaves equal to the record is not written again.
template <typename Decide>
JobChange JobRecord::Under(Decide decide) {
  std::unique_ptr<FileLock> lock;
  try {
    lock = files_.LockExclusive(JobRecordsLock(path_, style_));
  } catch (const PlatformError& error) {
    return MakeUnexpected(Failure(JobChangeError::kNotWritten, {}, error.what()));
  }
  const JobStatus stored = StoredJobStatus(files_, path_);
  JobStatus next = stored;
  if (const std::optional<JobChangeFailure> refused = decide(stored, next)) return MakeUnexpected(*refused);
  if (next == stored) return next;
  if (const auto reason = WriteRecord(files_, path_, next))
    return MakeUnexpected(Failure(JobChangeError::kNotWritten, stored, *reason));
  return next;
}

JobChange JobRecord::Change(const JobStatus& change) {
  return Under([&](const JobStatus& stored, JobStatus& next) -> std::optional<JobChangeFailure> {
    if (!IsLegalJobChange(stored.state, change.state)) return Failure(JobChangeError::kIllegal, stored);
    next = change;
    if (next.build.empty()) next.build = stored.build;
    if (next.video.empty()) next.video = stored.video;
    return std::nullopt;
  });
}

JobChange JobRecord::Claim(const ProcessIdentity& claimer, const std::string& video) {
  JobStatus before;
  const JobChange claimed = Under([&](const JobStatus& stored, JobStatus& next) -> std::optional<JobChangeFailure> {
    if (HoldsItsRow(files_, path_)) return Failure(JobChangeError::kHeld, stored);
    before = stored;
    next = {};
    next.state = JobState::kWaiting;
    next.owner = claimer;
    next.video = video;
    return std::nullopt;
  });
  if (!claimed) return claimed;
  // A stop asked of an earlier run of the job would end this one at once.
  files_.RemoveFile(StopRequestPath(path_));
  return before;
}

JobChange JobRecord::Release(const ProcessIdentity& claimer, const JobStatus& before) {
  return Under([&](const JobStatus& stored, JobStatus& next) -> std::optional<JobChangeFailure> {
    if (stored.state == JobState::kWaiting && stored.owner == claimer) next = before;
    return std::nullopt;
  });
}

JobChange JobRecord::HandOver(const ProcessIdentity& from, const ProcessIdentity& to) {
  return Under([&](const JobStatus& stored, JobStatus& next) -> std::optional<JobChangeFailure> {
    if ((stored.state == JobState::kWaiting || stored.state == JobState::kStopped) && stored.owner == from)
      next.owner = to;
    return std::nullopt;
  });
}

JobChange JobRecord::HandToCluster(const ProcessIdentity& from, const std::string& task) {
  return Under([&](const JobStatus& stored, JobStatus& next) -> std::optional<JobChangeFailure> {
    if (stored.state == JobState::kWaiting && stored.owner == from) {
      next.owner = {};
      next.slurm = task;
    }
    return std::nullopt;
  });
}

JobChange JobRecord::Requeued(const std::string& task) {
  return Under([&](const JobStatus& stored, JobStatus& next) -> std::optional<JobChangeFailure> {
    if (!IsLive(stored.state) || stored.slurm != task) return Failure(JobChangeError::kIllegal, stored);
    next = WaitingAgain(stored);
    return std::nullopt;
  });
}

JobChange JobRecord::NoteBuild(const std::string& build, const std::string& output) {
  return Under([&](const JobStatus&, JobStatus& next) -> std::optional<JobChangeFailure> {
    next.build = build;
    next.output = output;
    return std::nullopt;
  });
}

JobChange JobRecord::RetractWritten(const std::string& cause) {
  return Under([&](const JobStatus& stored, JobStatus& next) -> std::optional<JobChangeFailure> {
    if (stored.state != JobState::kWritten) return Failure(JobChangeError::kIllegal, stored);
    next.state = JobState::kFailed;
    next.cause = cause;
    return std::nullopt;
  });
}

bool JobRecord::RequestStop() {
  bool live = false;
  std::optional<PlatformError> not_asked;
  const JobChange changed = Under([&](const JobStatus& stored, JobStatus& next) -> std::optional<JobChangeFailure> {
    live = IsLive(ReadJobStatus(files_, path_).state);
    if (!live) return std::nullopt;
    // A task still in Slurm's queue has nothing of its own to stop: it is taken out.
    if (!stored.slurm.empty() && AskSlurmNow(stored.slurm).state == "PENDING" && !CancelSlurmTasks({stored.slurm})) {
      next.state = JobState::kStopped;
      next.percent = -1;
      return std::nullopt;
    }
    try {
      files_.ReplaceWholeFile(StopRequestPath(path_), "");
    } catch (const PlatformError& error) {
      not_asked = error;
      return Failure(JobChangeError::kNotWritten, stored, error.what());
    }
    // The queue it waits in keeps it: its row stays held until the queue has passed it.
    if (stored.state == JobState::kWaiting) next.state = JobState::kStopped;
    return std::nullopt;
  });
  if (not_asked) throw *not_asked;
  if (!changed) throw PlatformError("Cannot stop the job of " + path_ + ": " + JobChangeFailureText(changed.error()));
  return live;
}

}  // namespace clipvane
