#include "runs/encode_commands.h"

#include "platform/file_system.h"
#include "platform/shell.h"
#include "runs/run_scripts.h"

namespace clipvane {
namespace {

// One command's bookkeeping: its result, and the steps passed on as they happen.
class Command {
 public:
  explicit Command(EncodeCommandContext& context) : context_(context) {
    record_ = [this](const ProgressStep& step) {
      result_.steps.push_back(step);
      if (context_.progress) context_.progress(step);
    };
  }

  // Probes the row and writes its job script; the script's path, or empty with the
  // reason recorded.
  std::string BuildRowJob(EncodeRows& rows, std::size_t row) {
    MediaFacts facts;
    const std::string path = rows.ProbedPath(row, facts, record_);
    const Workspace& workspace = context_.jobs.setup.workspace;
    if (!context_.jobs.files.Exists(path)) return Refuse({path, RefusalReason::kFileMissing, row});
    if (const auto refused = JobRefusal(path, facts, workspace)) return Refuse({path, *refused, row});
    // Two jobs of one MP4 would share its job script and mux into one file.
    const std::string output = workspace.OutputPath(path);
    for (const ScriptedJob& earlier : result_.scripted)
      if (SamePath(earlier.output, output, workspace.Style()))
        return Refuse({path, RefusalReason::kSameResult, row, earlier.video, earlier.row});
    const JobBuild build = BuildJobScript(path, facts, context_.jobs);
    if (build.refused) return Refuse({path, *build.refused, row});
    result_.scripted.push_back({path, row, build.output, build.job_log});
    return build.script;
  }

  void Open(const std::string& script) {
    context_.shell.OpenScript(script);
    result_.started.push_back(script);
  }

  const Progress& Record() const { return record_; }
  EncodeResult& Result() { return result_; }

 private:
  std::string Refuse(Refusal refusal) {
    result_.refused.push_back(std::move(refusal));
    return {};
  }

  EncodeCommandContext& context_;
  EncodeResult result_;
  Progress record_;
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
    // A queue that got no job has no script to open.
    for (const std::string& script : RunScriptPaths(queue_count, workspace, dialect))
      if (context.jobs.files.Exists(script)) command.Open(script);
  }
  return command.Result();
}

}  // namespace

EncodeResult EncodeSelection(EncodeRows& rows, EncodeCommandContext& context) {
  Command command(context);
  for (std::size_t row = 0; row < rows.RowCount() && command.Result().started.size() < kMaxDirectEncodes; ++row) {
    if (!rows.IsSelected(row)) continue;
    const std::string script = command.BuildRowJob(rows, row);
    if (!script.empty()) command.Open(script);
  }
  command.Result().written = !command.Result().started.empty();
  return command.Result();
}

EncodeResult EncodeWholeList(int queues, EncodeRows& rows, PowerAction action, EncodeCommandContext& context) {
  return WriteRunScripts(queues == 2 || queues == 4 ? queues : 0, rows, action, context, true);
}

EncodeResult MakeBatchFiles(EncodeRows& rows, PowerAction action, EncodeCommandContext& context) {
  return WriteRunScripts(0, rows, action, context, false);
}

}  // namespace clipvane
