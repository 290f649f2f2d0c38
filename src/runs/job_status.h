#pragma once
#include <string>

#include "platform/system_services.h"

namespace clipvane {

// How a job stands, as its record says (runs/job_record.h).
enum class JobState {
  kNone,     // no job of that video has said anything
  kWaiting,  // it was claimed and its script started, or is about to; it waits for its turn in a queue
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
  // Waiting or running: the process whose life is the job's (the command that claimed
  // it, the script that runs it, or the queue it waits in). Stopped while waiting: that
  // queue, which still holds the job's row.
  ProcessIdentity owner;
  std::string build;   // the build of the job's script ("qv1A2B"), whose files in temp are the job's
  std::string video;   // the video the job converts
  std::string output;  // the MP4 it makes, beside which its build makes its own
  // On a cluster: the Slurm task that runs the job ("<array job>_<task>"), whose word,
  // not a process id of another machine, says whether it lives; and the node it runs on.
  std::string slurm;
  std::string node;
  bool operator==(const JobStatus& other) const {
    return state == other.state && percent == other.percent && fps == other.fps && seconds_left == other.seconds_left &&
           cause == other.cause && owner == other.owner && build == other.build && video == other.video &&
           output == other.output && slurm == other.slurm && node == other.node;
  }
};

// Whether a job in that state still holds its row: waiting or running.
inline bool IsLive(JobState state) { return state == JobState::kWaiting || state == JobState::kRunning; }

// The state's word in the record and on the command line: "waiting", "running",
// "written", "failed", "stopped"; empty for kNone.
std::string JobStateWord(JobState state);

// The record's text: "key=value" lines (state, percent, fps, left, cause, pid, started,
// build, video, output, slurm, node), LF ended, with only the keys the state uses.
std::string FormatJobStatus(const JobStatus& status);
// Reads the text back; unknown keys and broken numbers are passed over, CR LF lines
// are taken, and a text without a known state is kNone.
JobStatus ParseJobStatus(const std::string& text);

}  // namespace clipvane
