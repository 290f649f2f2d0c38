#pragma once
#include <string>
#include <vector>

#include "base/expected.h"
#include "common/path_style.h"
#include "runs/job_status.h"

namespace clipvane {

class FileSystem;

// The record of a video's job, temp/<base name>.<key>.job (JobRecordPath): how the job
// stands, which process owns it, which build of its script it runs, and its video.
// It is the one place that decides who may start a job, whether it is alive and how
// its state may change, for the program and the tools alike:
// - A job starts only through a claim (JobRecord::Claim), taken atomically before
//   anything of it is prepared: of two commands or windows, one gets it and the other
//   is told the job already runs.
// - It is alive (waiting or running) only while its owner runs: that very process,
//   known by its id together with its start (ProcessIdentity), never some process that
//   was later given the same id. A record whose owner is gone reads as ended, by the
//   one rule every reader uses (ReadJobStatus).
// - Its state changes only along the legal changes (IsLegalJobChange), read and
//   written under one lock of the workspace's records, so that no writer undoes
//   another's change; every change says whether it was refused or not written.
// A request to stop the job is a file beside it, "<name>.stp", which the tools look for
// and which the job's failure steps take away once they have recorded the stop.

// How long a live record whose owner's start is not known (one written by hand, or
// whose owner the system would not name) may go unwritten before it is taken for the
// record of a job that was killed.
inline constexpr double kSilentSeconds = 10;
// The cause of such a job, and of one whose owner is gone.
inline constexpr const char* kEndedWithoutResult = "ended without a result";

// The record as readers take it: a waiting or running one whose owner is gone (or,
// owner unknown, that has been silent for kSilentSeconds) is a job that ended without
// a result, so that a killed run never looks as if it ran on forever. A cluster job's
// owner is its Slurm task, and `ended_cause` says why Slurm ended it.
JobStatus AsSeen(JobStatus stored, bool owner_running, double seconds_since_written,
                 const std::string& ended_cause = kEndedWithoutResult);

// The record as written; kNone when there is none, and failed, saying so, when one is
// there but cannot be read (a folder in its place, say): what matters is never folded
// into nothing.
JobStatus StoredJobStatus(const FileSystem& files, const std::string& record);
// The record as AsSeen takes it now: what every reader shows.
JobStatus ReadJobStatus(const FileSystem& files, const std::string& record);

bool StopRequested(const FileSystem& files, const std::string& record);

// How long a job asked to stop may go on before, on a cluster, Slurm is told to end it:
// its tools stop within a second or two of seeing the request, unless their node has
// gone out of reach.
inline constexpr double kStopGraceSeconds = 15;
// The Slurm tasks of these records that were asked to stop kStopGraceSeconds ago or
// more and whose records still say they live.
std::vector<std::string> OverdueClusterStops(const FileSystem& files, const std::vector<std::string>& records);

// Whether a job holds its row, which must not be started again meanwhile: it runs or
// waits, or it was stopped while it waited and the queue it waits in, still running,
// has not reached it yet (its script would run again when it does).
bool HoldsItsRow(const FileSystem& files, const std::string& record);
// The same, for the record as ReadJobStatus has just read it (`seen`).
bool HoldsItsRow(const FileSystem& files, const std::string& record, const JobStatus& seen);

// The ordinary changes, which the tools and the program make as a job goes: to
// running from any state but waiting's own claim (a script made earlier may be run by
// hand, again); to written only from running; to failed from none, waiting or
// running; to stopped from none, waiting, running or stopped. Nothing ever goes back to
// waiting but through a claim, and an ended job's written or failed stands.
bool IsLegalJobChange(JobState from, JobState to);

enum class JobChangeError {
  kHeld,        // a claim: the job holds its row already
  kIllegal,     // not a legal change from the state the record is in
  kNotWritten,  // the record could not be written (or locked); `reason` says why
};
struct JobChangeFailure {
  JobChangeError error;
  JobState from = JobState::kNone;  // the state the record was in
  std::string reason;
};
// The record as it stands after the change, or why it did not change.
using JobChange = Expected<JobStatus, JobChangeFailure>;

// Why a change failed, in a few words: "the job already runs", "the job is <state>
// already", "its record cannot be written: <reason>".
std::string JobChangeFailureText(const JobChangeFailure& failure);

// The records in `temp_folder`, in name order.
std::vector<std::string> JobRecordsIn(const FileSystem& files, const std::string& temp_folder);

// The lock that every change of a workspace's records holds: jobs.lock beside temp.
std::string JobRecordsLock(const std::string& record, PathStyle style);

// One record, for changing it.
class JobRecord {
 public:
  JobRecord(FileSystem& files, std::string path, PathStyle style);
  const std::string& Path() const { return path_; }

  // An ordinary change (IsLegalJobChange) to `next`; the build and video stay unless
  // `next` names them.
  [[nodiscard]] JobChange Change(const JobStatus& next);

  // Takes the job for `claimer`: unless it holds its row, the record says it waits,
  // owned by `claimer`, for `video`, and an earlier request to stop it is gone. Gives
  // the record as it was before, for Release.
  [[nodiscard]] JobChange Claim(const ProcessIdentity& claimer, const std::string& video);
  // Gives back a claim that was not used, as the record was before it, where the claim
  // is still `claimer`'s and waits.
  [[nodiscard]] JobChange Release(const ProcessIdentity& claimer, const JobStatus& before);
  // The job that `from` owns is owned by `to` from now on (the script a command started,
  // or the queue it waits in): while it waits, or was stopped while it waited.
  [[nodiscard]] JobChange HandOver(const ProcessIdentity& from, const ProcessIdentity& to);
  // The build of its script the job runs, and the MP4 it makes, once the script is written.
  [[nodiscard]] JobChange NoteBuild(const std::string& build, const std::string& output);
  // The job that `from` claimed runs as the Slurm task `task` from now on, while it waits.
  [[nodiscard]] JobChange HandToCluster(const ProcessIdentity& from, const std::string& task);
  // Slurm has put the task `task` back in its queue (its node failed): the job waits
  // again, for its next start.
  [[nodiscard]] JobChange Requeued(const std::string& task);
  // The check recorded written but could not put the MP4 in place after all: failed.
  [[nodiscard]] JobChange RetractWritten(const std::string& cause);

  // Asks a live job to stop: its tools end their work, its script removes what it made
  // and the job records that it was stopped. A job still waiting in its queue is marked
  // stopped at once; when its turn comes, its first tool ends at once. A cluster job
  // that Slurm still holds in its queue is cancelled there instead. Returns whether
  // the job was live. Throws PlatformError when the request cannot be written.
  bool RequestStop();

 private:
  template <typename Decide>
  JobChange Under(Decide decide);

  FileSystem& files_;
  std::string path_;
  PathStyle style_;
};

}  // namespace clipvane
