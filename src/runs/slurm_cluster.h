#pragma once
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "base/expected.h"

namespace clipvane {

// The jobs of a list on a Slurm cluster: one job array whose tasks each run one job
// script, over a program folder every node sees. Slurm places the tasks, runs at most
// so many at once and requeues a task whose node fails; whether a task still lives is
// Slurm's word (AskSlurm), never a process id, which belongs to another machine.
// Every Slurm program is started with an argument vector, found on PATH.

// A task of an array job, as Slurm names it: "<array job id>_<task id>".
std::string SlurmTaskName(const std::string& array_job, const std::string& task);

// What Slurm says of one task.
struct SlurmWord {
  enum class Life {
    kLive,     // pending, running, completing, suspended or requeued
    kEnded,    // ended, or no longer known to a controller that answers
    kUnknown,  // the controller does not answer: nothing can be told
  };
  Life life = Life::kUnknown;
  std::string state;   // Slurm's state word: PENDING, RUNNING, CANCELLED, TIMEOUT, ...
  std::string reason;  // Slurm's reason, when it gives one other than "None"
  std::string node;    // where it runs or ran
};

// Whether a task in Slurm's state word still lives.
bool SlurmStateLive(const std::string& state);
// The tasks of `squeue -h -r -t all -o '%i|%T|%r|%N'`, by name.
std::map<std::string, SlurmWord> ParseSlurmQueue(const std::string& text);
// The word of `scontrol show job -o TASK` (one line of key=value fields).
SlurmWord ParseSlurmJob(const std::string& text);
// Why a task that Slurm ended without its job saying so has failed, for the record:
// "Slurm ended it: TIMEOUT (its time limit passed)", "Slurm ended it: CANCELLED
// (cancelled)", ...; a task still COMPLETING was timed out or cancelled.
std::string SlurmEndCause(const SlurmWord& word);

// What Slurm says of a task now. A reader asks often (the windows twice a second), so
// the answer for all tasks of one array job comes from one squeue, reused for a second.
SlurmWord AskSlurm(const std::string& task);
// The same asked of the controller at once, for one task (the task's own tools, as
// they end).
SlurmWord AskSlurmNow(const std::string& task);
// Cancels these tasks (scancel); why not, in scancel's words.
std::optional<std::string> CancelSlurmTasks(const std::vector<std::string>& tasks);

// One job array to submit.
struct SlurmSubmission {
  std::string task_script;                // the array's script (SlurmTaskScriptText)
  std::vector<std::string> job_scripts;   // one task each, in this order
  int at_once = 0;                        // how many tasks run at once; 0: as many as Slurm places
  std::vector<std::string> user_options;  // sbatch options of the settings (slurmoptions)
  std::string work_folder;                // the tasks' working folder
  std::string after;                      // an array job this one starts after, or empty
};
// How many tasks one array may hold on this cluster (its MaxArraySize); Slurm's
// default when the controller does not say.
std::size_t SlurmMaxArraySize();
// The array's script: it runs the job script named by its task's place among its arguments.
std::string SlurmTaskScriptText();
// sbatch's arguments: the user's options first, then the array's own, which they cannot
// undo; the job scripts are arguments of the array's script, never shell text.
std::vector<std::string> SbatchArguments(const SlurmSubmission& submission);
// Submits the array; its job id, or why not, in sbatch's words.
Expected<std::string, std::string> SubmitToSlurm(const SlurmSubmission& submission);

// The words of an options line as sbatch takes them: split at blanks; a word may be
// quoted with " to keep its blanks.
std::vector<std::string> SlurmOptionWords(const std::string& line);

// Why a run from `data_folder` cannot go to the cluster now, or nothing: sbatch must be
// found, the controller must answer, and with more than one node the folder must not be
// on storage only this machine sees (tmpfs).
std::optional<std::string> SlurmRefusal(const std::string& data_folder);

}  // namespace clipvane
