#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "common/power_action.h"
#include "common/progress.h"
#include "common/refusal.h"
#include "jobs/job_script.h"
#include "platform/detached_launch.h"

namespace clipvane {

class Shell;

// The encode-selection command starts at most four videos at once.
inline constexpr std::size_t kMaxDirectEncodes = 4;

// Whether a selection of that many rows starts directly: 1 to 4 rows.
inline bool StartsDirectly(std::size_t selected) { return selected >= 1 && selected <= kMaxDirectEncodes; }

// The list as the encode commands see it.
class EncodeRows {
 public:
  virtual ~EncodeRows() = default;
  virtual std::size_t RowCount() const = 0;
  virtual bool IsSelected(std::size_t row) const = 0;
  // The row's video path as listed, without probing.
  virtual std::string Path(std::size_t row) const = 0;
  // The row's MP4 and job name, unique among the rows.
  virtual JobTarget Target(std::size_t row) const = 0;
  // The row's video path and facts, probing it first when it was never probed.
  virtual std::string ProbedPath(std::size_t row, MediaFacts& facts, const Progress& progress) = 0;
};

struct EncodeCommandContext {
  JobContext& jobs;
  Shell& shell;       // starts the scripts
  Progress progress;  // the probes' and the job scripts' steps as they happen; may be empty
};

// A video whose job script was written.
struct ScriptedJob {
  std::string video;
  std::size_t row = kNoRow;
  std::string output;   // the MP4 its job makes
  std::string job_log;  // where the job leaves what its tools said when it ends
  std::string script;   // its job script
  std::string record;   // its record, where it says how it stands (runs/job_record.h)
  bool operator==(const ScriptedJob& other) const {
    return video == other.video && row == other.row && output == other.output && job_log == other.job_log &&
           script == other.script && record == other.record;
  }
};

// A script that started, and as which process: what a later command needs to find its
// job again and stop it with everything it started (see Launched).
struct StartedScript {
  std::string script;
  Launched process;
  bool operator==(const StartedScript& other) const { return script == other.script && process == other.process; }
};

// What an encode command did: for the front end to say, and for a caller that waits
// for the scripts to follow.
struct EncodeResult {
  std::vector<StartedScript> started;  // the scripts opened, in order; not those that did not start
  std::vector<ScriptedJob> scripted;   // the videos whose job script was written, in list order
  std::vector<Refusal> refused;        // the videos left out, and why, in list order
  std::vector<ProgressStep> steps;     // every step the command went through
  bool written = false;                // a command's scripts got any line
  std::string slurm_job;               // on a cluster: the job array that runs them
};

// Every command claims a row's job before anything of it is prepared (JobRecord::Claim)
// and leaves out a row whose job holds it already (kAlreadyRunning: it runs or waits in
// a queue now): of two commands or windows at once, one gets it, and a job is never
// started twice, nor its script written anew under it. A claim waits, owned by the
// command, until its script starts; then the script's process owns it (or the queue's
// it waits in). A job whose script did not start has failed; a row the command leaves
// out after all, and every row of a command that starts nothing, is given back as it
// was.

// Writes and starts the job scripts of the selected rows, at most four, in list order;
// the selected rows beyond those four are named as not started, and so is a row whose
// script the shell could not start, with the system's reason. A vanished video or
// one without a job is left out and said why, and so is one whose job script or files
// could not be written: one bad row stops no other. So is a video whose MP4 another
// listed row makes (the same base name in another folder): that MP4 is the row's it
// was made from, as its job noted, or else the first listed row's; one result, one
// job, whatever command wrote it.
EncodeResult EncodeSelection(EncodeRows& rows, EncodeCommandContext& context);

// Writes the run scripts for 1, 2 or 4 queues (1 meaning the single whole-list script)
// and starts them by name; the rows left out are refused as by EncodeSelection, and a
// run script that does not start is refused by its path, without a row. An
// empty list writes nothing.
EncodeResult EncodeWholeList(int queues, EncodeRows& rows, PowerAction action, EncodeCommandContext& context);

// A run on a Slurm cluster (runs/slurm_cluster.h).
struct ClusterRun {
  int at_once = 0;                   // tasks running at once; 0: as many as Slurm places
  std::vector<std::string> options;  // sbatch options of the settings (slurmoptions)
};
// The job array's own script, in the batch folder: a run script of the cluster.
inline constexpr const char* kSlurmTaskScriptName = "slurm_task";

// Writes the job scripts of the selected rows (every row for the whole list) and
// submits them to Slurm as one job array, a task per job in list order: each job is
// handed to its task (JobRecord::HandToCluster), and Slurm's word says from then on
// whether it lives. Rows are left out as by EncodeSelection; when Slurm does not take
// the array, every job is given back as it was and refused with sbatch's words.
EncodeResult EncodeOnCluster(bool whole_list, const ClusterRun& run, EncodeRows& rows, EncodeCommandContext& context);

// Writes every job script and the whole-list script without starting anything.
EncodeResult MakeBatchFiles(EncodeRows& rows, PowerAction action, EncodeCommandContext& context);

}  // namespace clipvane
