#include "runs/encode_commands.h"

#include <map>
#include <optional>

#include "platform/file_system.h"
#include "platform/platform_error.h"
#include "platform/shell.h"
#include "platform/text_encoding.h"
#include "runs/job_record.h"
#include "runs/power_run.h"
#include "runs/run_scripts.h"
#include "runs/slurm_cluster.h"

namespace clipvane {
namespace {

// One command's bookkeeping: its result, the claims it holds, and the steps passed on
// as they happen.
class Command {
 public:
  explicit Command(EncodeCommandContext& context) : context_(context), me_(OwnProcess()) {
    record_ = [this](const ProgressStep& step) {
      result_.steps.push_back(step);
      if (context_.progress) context_.progress(step);
    };
  }
  // What the command claimed and did not hand to a script is given back as it was: a
  // row it left out, or every row when its scripts were only written.
  ~Command() {
    for (const auto& [record, before] : claims_) static_cast<void>(Job(record).Release(me_, before));
  }
  Command(const Command&) = delete;
  Command& operator=(const Command&) = delete;

  // Claims the row's job, probes it and writes its job script; the script's path, or
  // empty with the reason recorded.
  std::string BuildRowJob(EncodeRows& rows, std::size_t row) {
    const Workspace& workspace = context_.jobs.setup.workspace;
    const std::string listed = rows.Path(row);
    const std::string record = JobRecordPath(listed, workspace);
    // Before the probe: a running job's row needs none.
    const JobChange claimed = Job(record).Claim(me_, listed);
    if (!claimed) {
      if (claimed.error().error == JobChangeError::kHeld) return Refuse({listed, RefusalReason::kAlreadyRunning, row});
      Refusal refusal(listed, RefusalReason::kCannotScript, row);
      refusal.detail = JobChangeFailureText(claimed.error());
      return Refuse(std::move(refusal));
    }
    JobStatus& before = claims_[record] = *claimed;
    // Left out after all: the row is given back at once.
    const auto refuse = [&](Refusal refusal) {
      static_cast<void>(Job(record).Release(me_, claims_[record]));
      claims_.erase(record);
      return Refuse(std::move(refusal));
    };
    MediaFacts facts;
    const std::string path = rows.ProbedPath(row, facts, record_);
    if (!context_.jobs.files.Exists(path)) return refuse({path, RefusalReason::kFileMissing, row});
    const JobTarget target = rows.Target(row);
    if (const auto refused = JobRefusal(path, target, facts, workspace)) return refuse({path, *refused, row});
    try {
      // The record names the build before anything could take its files for an ended job's.
      const JobBuild build = BuildJobScript(path, target, facts, context_.jobs, [&](const JobBuild& built) {
        const JobChange noted = Job(record).NoteBuild(built.build, built.files.output);
        if (!noted)
          throw PlatformError("Cannot note the job in " + record + ": " + JobChangeFailureText(noted.error()));
        before.build = built.build;
        before.video = path;
        before.output = built.files.output;
      });
      if (build.refused) return refuse({path, *build.refused, row});
      const JobFiles& files = build.files;
      result_.scripted.push_back({path, row, files.output, files.kept_log, files.script, files.record});
      return files.script;
    } catch (const PlatformError& error) {
      Refusal refusal(path, RefusalReason::kCannotScript, row);
      refusal.detail = error.what();
      return refuse(std::move(refusal));
    }
  }

  void NotStarted(EncodeRows& rows, std::size_t row) { Refuse({rows.Path(row), RefusalReason::kNotStarted, row}); }

  // Starts a script whose jobs' records are `records`: they wait, from now on in the
  // script's process. One that does not start is refused for `path` (its video, or the
  // run script itself) with the shell's reason, and its jobs have failed for it.
  void Open(const std::string& script, const std::string& path, std::size_t row,
            const std::vector<std::string>& records) {
    ++opened_;
    const auto launched = context_.shell.OpenScript(script);
    if (launched) {
      result_.started.push_back({script, *launched});
      // Where the system could not name it, the command's own life stands for it.
      for (const std::string& record : records) {
        if (launched->id != 0) static_cast<void>(Job(record).HandOver(me_, launched->Identity()));
        claims_.erase(record);
      }
      return;
    }
    Refusal refusal(path, RefusalReason::kNotLaunched, row);
    refusal.detail = launched.error().program + ": " + launched.error().reason;
    JobStatus failed;
    failed.state = JobState::kFailed;
    failed.cause = "did not start: " + refusal.detail;
    for (const std::string& record : records) {
      static_cast<void>(Job(record).Change(failed));
      claims_.erase(record);
    }
    Refuse(std::move(refusal));
  }

  // Submits the jobs written so far as Slurm job arrays; see EncodeOnCluster.
  void Submit(const SlurmSubmission& submission) {
    ++opened_;
    const std::vector<ScriptedJob> jobs = result_.scripted;
    try {
      context_.jobs.files.ReplaceWholeFile(submission.task_script, SlurmTaskScriptText());
    } catch (const PlatformError& error) {
      return Refused(jobs, 0, error.what());
    }
    // One array holds as many tasks as the cluster allows; a longer list goes as several,
    // each after the one before when only so many may run at once.
    const std::size_t per_array = SlurmMaxArraySize();
    std::string before;
    for (std::size_t first = 0; first < jobs.size(); first += per_array) {
      SlurmSubmission part = submission;
      for (std::size_t job = first; job < jobs.size() && job < first + per_array; ++job)
        part.job_scripts.push_back(jobs[job].script);
      if (part.at_once > 0) part.after = before;
      const Expected<std::string, std::string> array_job = SubmitToSlurm(part);
      if (!array_job) return Refused(jobs, first, array_job.error());
      before = *array_job;
      result_.slurm_job += (result_.slurm_job.empty() ? "" : ", ") + *array_job;
      if (first == 0) result_.started.push_back({submission.task_script, Launched{}});
      for (std::size_t task = 0; task < part.job_scripts.size(); ++task) {
        const std::string& record = jobs[first + task].record;
        static_cast<void>(Job(record).HandToCluster(me_, SlurmTaskName(*array_job, std::to_string(task))));
        claims_.erase(record);
      }
    }
  }

  // The jobs from `first` on did not go to Slurm: they are refused with its words, and
  // their claims are given back as the command ends.
  void Refused(const std::vector<ScriptedJob>& jobs, std::size_t first, const std::string& why) {
    for (std::size_t job = first; job < jobs.size(); ++job) {
      Refusal refusal(jobs[job].video, RefusalReason::kNotLaunched, jobs[job].row);
      refusal.detail = why;
      Refuse(std::move(refusal));
    }
  }

  // How many scripts this command has tried to start.
  std::size_t Opened() const { return opened_; }

  const Progress& Record() const { return record_; }
  EncodeResult& Result() { return result_; }

 private:
  JobRecord Job(const std::string& record) {
    return JobRecord(context_.jobs.files, record, context_.jobs.setup.workspace.Style());
  }

  std::string Refuse(Refusal refusal) {
    result_.refused.push_back(std::move(refusal));
    return {};
  }

  EncodeCommandContext& context_;
  const ProcessIdentity me_;
  EncodeResult result_;
  Progress record_;
  std::size_t opened_ = 0;
  std::map<std::string, JobStatus> claims_;  // the records claimed and not handed over, as they were before
};

EncodeResult WriteRunScripts(int queue_count, EncodeRows& rows, PowerAction action, EncodeCommandContext& context,
                             bool open) {
  Command command(context);
  if (rows.RowCount() == 0) return command.Result();
  const Workspace& workspace = context.jobs.setup.workspace;
  const ScriptDialect dialect = context.jobs.setup.dialect;
  RunScriptContext runs{workspace, dialect, context.jobs.files, command.Record()};
  command.Result().written = MakeRunScripts(
      queue_count, rows.RowCount(), [&](std::size_t row) { return command.BuildRowJob(rows, row); }, action, runs);
  if (open && command.Result().written) {
    std::vector<std::string> job_scripts, records;
    std::map<std::string, std::string> record_of;
    for (const ScriptedJob& job : command.Result().scripted) {
      job_scripts.push_back(job.script);
      records.push_back(job.record);
      record_of[job.script] = job.record;
    }
    PowerRun(context.jobs.files, workspace).Start(action, records);
    const std::vector<std::string> run_scripts = RunScriptPaths(queue_count, workspace, dialect);
    const auto queued = QueuedJobs(queue_count, job_scripts, action != PowerAction::kNone);
    for (std::size_t q = 0; q < run_scripts.size() && q < queued.size(); ++q) {
      // A queue that got no job has no script to open.
      if (queued[q].empty() || !context.jobs.files.Exists(run_scripts[q])) continue;
      std::vector<std::string> queue_records;
      for (const std::string& job : queued[q]) queue_records.push_back(record_of[job]);
      command.Open(run_scripts[q], run_scripts[q], kNoRow, queue_records);
    }
  }
  return command.Result();
}

}  // namespace

EncodeResult EncodeSelection(EncodeRows& rows, EncodeCommandContext& context) {
  Command command(context);
  for (std::size_t row = 0; row < rows.RowCount(); ++row) {
    if (!rows.IsSelected(row)) continue;
    // A script that did not start counts too: one command tries four at most.
    if (command.Opened() == kMaxDirectEncodes) {
      command.NotStarted(rows, row);
      continue;
    }
    const std::string script = command.BuildRowJob(rows, row);
    if (!script.empty()) command.Open(script, rows.Path(row), row, {command.Result().scripted.back().record});
  }
  command.Result().written = !command.Result().started.empty();
  return command.Result();
}

EncodeResult EncodeWholeList(int queues, EncodeRows& rows, PowerAction action, EncodeCommandContext& context) {
  return WriteRunScripts(queues == 2 || queues == 4 ? queues : 0, rows, action, context, true);
}

EncodeResult EncodeOnCluster(bool whole_list, const ClusterRun& run, EncodeRows& rows, EncodeCommandContext& context) {
  Command command(context);
  for (std::size_t row = 0; row < rows.RowCount(); ++row)
    if (whole_list || rows.IsSelected(row)) static_cast<void>(command.BuildRowJob(rows, row));
  if (command.Result().scripted.empty()) return command.Result();
  const Workspace& workspace = context.jobs.setup.workspace;
  SlurmSubmission submission;
  submission.task_script = workspace.Batch() + "/" + kSlurmTaskScriptName + ".sh";
  submission.at_once = run.at_once;
  submission.user_options = run.options;
  submission.work_folder = workspace.DataDir();
  command.Submit(submission);
  command.Result().written = !command.Result().started.empty();
  return command.Result();
}

EncodeResult MakeBatchFiles(EncodeRows& rows, PowerAction action, EncodeCommandContext& context) {
  return WriteRunScripts(0, rows, action, context, false);
}

}  // namespace clipvane
