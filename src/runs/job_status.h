#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace clipvane {

class FileSystem;
class Workspace;

// The job-status channel. Every job says how it stands in a small file of its own in
// temp, "<job script's base name>.job", which the program writes before the job's
// script starts and the tools write while it runs and when it ends; the windows and
// the command line only read it. So every process, started at any time, sees the same
// jobs. A request to stop a job is a file of its own beside it, "<name>.stp", which
// the tools look for and which the job's failure steps take away once they have
// recorded the stop.

enum class JobState {
  kNone,     // no job of that name has said anything
  kWaiting,  // its script was started and the job waits for its turn in a queue
  kRunning,  // its tools work
  kWritten,  // its MP4 passed the check and is in place
  kFailed,   // it ended without a new MP4; `cause` says why
  kStopped,  // it was stopped; the earlier MP4, if any, stays
};

struct JobStatus {
  JobState state = JobState::kNone;
  int percent = -1;       // running: how far the encode is, 0 to 100; -1 when not known
  double fps = -1;        // running: frames encoded per second; -1 when not known
  int seconds_left = -1;  // running: the encode's time left; -1 when not known
  std::string cause;      // failed: the line of the job's log that says why
  // Waiting or running: the process whose life is the job's (the script that runs it,
  // or the queue it waits in); 0 when not known yet. Stopped while waiting: that queue.
  std::uint32_t pid = 0;
  bool operator==(const JobStatus& other) const {
    return state == other.state && percent == other.percent && fps == other.fps && seconds_left == other.seconds_left &&
           cause == other.cause && pid == other.pid;
  }
};

// Whether a job in that state still holds its row: waiting or running.
inline bool IsLive(JobState state) { return state == JobState::kWaiting || state == JobState::kRunning; }

// The state's word in the file and on the command line: "waiting", "running",
// "written", "failed", "stopped"; empty for kNone.
std::string JobStateWord(JobState state);

// The file's text: "key=value" lines (state, percent, fps, left, cause, pid), LF ended,
// with only the keys the state uses.
std::string FormatJobStatus(const JobStatus& status);
// Reads the file's text back; unknown keys and broken numbers are passed over, CR LF
// lines are taken, and a text without a known state is kNone.
JobStatus ParseJobStatus(const std::string& text);

// How long a waiting or running status may go unwritten once the process it names has
// gone before it is taken for a job that was killed.
inline constexpr double kSilentSeconds = 10;
// The cause of such a job.
inline constexpr const char* kEndedWithoutResult = "ended without a result";

// The status as a reader takes it: a waiting or running one whose process has gone and
// that has not been written for kSilentSeconds is a job that ended without a result,
// so that a killed run never looks as if it ran on forever.
JobStatus AsSeen(JobStatus status, bool process_alive, double seconds_since_written);

// "<name>.stp" beside the status file "<name>.job" (three letters, as the longest video
// name leaves room for no more).
std::string StopRequestPath(const std::string& status_file);

// The status at `status_file` as AsSeen takes it now; kNone when there is none.
JobStatus ReadJobStatus(const FileSystem& files, const std::string& status_file);

// Writes the status whole, replacing the file at once, so that no reader ever sees
// half of it; tries again for a moment while a reader holds the file (Windows). False
// when it could not be written.
bool WriteJobStatus(FileSystem& files, const std::string& status_file, const JobStatus& status);

bool StopRequested(const FileSystem& files, const std::string& status_file);

// Asks a live job to stop: its tools end their work, its script removes what it made
// and the job records that it was stopped. A job still waiting in its queue is marked
// stopped at once; when its turn comes, its first tool ends at once. Returns whether
// the job was live.
bool RequestStop(FileSystem& files, const std::string& status_file);

// Whether a job holds its row, which must not be started again meanwhile: it runs or
// waits, or it was stopped while it waited and the queue it waits in, still running,
// has not reached it yet (its script would run again when it does).
bool HoldsItsRow(const FileSystem& files, const std::string& status_file);

// The mark that the user stopped every job (temp/all-stopped, a name no job's files
// can have): the run's power action must not follow a run the user ended. Each
// queue ends with one, so the mark stays until the next run starts.
std::string AllStoppedMark(const Workspace& workspace);

// The status files in `temp_folder`, in name order.
std::vector<std::string> StatusFilesIn(const FileSystem& files, const std::string& temp_folder);

}  // namespace clipvane
