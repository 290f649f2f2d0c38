#include "runs/run_scripts.h"

#include <algorithm>

#include "platform/file_system.h"
#include "platform/text_encoding.h"

namespace clipvane {
namespace {

std::string BatchFile(const Workspace& workspace, ScriptDialect dialect, const std::string& name) {
  return workspace.Batch() + Separator(workspace.Style()) + name + ScriptExtension(dialect);
}

const char* const kTwoQueueNames[] = {"encode_al1", "encode_al2"};
const char* const kFourQueueNames[] = {"encode_a41", "encode_a42", "encode_a43", "encode_a44"};

void WriteQueues(const std::vector<std::vector<ScriptStep>>& queues, const char* const names[],
                 const std::vector<ScriptStep>& power, RunScriptContext& context) {
  for (std::size_t q = 0; q < queues.size(); ++q) {
    const std::string path = BatchFile(context.workspace, context.dialect, names[q]);
    // A queue without a job gets no script; one left by an earlier run would start
    // that run's jobs again, so it goes.
    if (queues[q].empty()) {
      context.files.RemoveFile(path);
      continue;
    }
    std::vector<ScriptStep> steps = queues[q];
    steps.insert(steps.end(), power.begin(), power.end());
    context.files.ReplaceWholeFile(path, RenderScript(context.dialect, context.workspace.AppDir(), steps));
  }
}

}  // namespace

std::vector<ScriptStep> PowerActionSteps(PowerAction action, const Workspace& workspace) {
  if (action == PowerAction::kSuspend) return {ProgramStep(workspace.AppDir() + "clipvane", {Opt("suspend")})};
  if (action == PowerAction::kShutdown) return {ProgramStep(workspace.AppDir() + "clipvane", {Opt("shutdown")})};
  return {};
}

bool MakeRunScripts(int queue_count, std::size_t row_count, const RowJobBuilder& build_row, PowerAction action,
                    RunScriptContext& context) {
  if (row_count == 0) return false;
  const std::vector<ScriptStep> power = PowerActionSteps(action, context.workspace);

  std::vector<std::string> job_scripts;
  for (std::size_t row = 0; row < row_count; ++row) {
    const std::string script = build_row(row);
    if (script.empty()) continue;
    job_scripts.push_back(script);
    Report(context.progress, ProgressStep::Kind::kCreated, FileNamePart(script, context.workspace.Style()));
  }

  std::vector<ScriptStep> all;
  for (const std::string& script : job_scripts) all.push_back(CallStep(script));
  all.insert(all.end(), power.begin(), power.end());
  context.files.ReplaceWholeFile(BatchFile(context.workspace, context.dialect, "encode_all"),
                                 RenderScript(context.dialect, context.workspace.AppDir(), all));

  if (queue_count == 2 || queue_count == 4) {
    std::vector<std::vector<ScriptStep>> queues;
    for (const std::vector<std::string>& jobs : QueuedJobs(queue_count, job_scripts, !power.empty())) {
      queues.emplace_back();
      for (const std::string& job : jobs) queues.back().push_back(CallStep(job));
    }
    WriteQueues(queues, queue_count == 2 ? kTwoQueueNames : kFourQueueNames, power, context);
  }
  return !all.empty();
}

std::vector<std::vector<std::string>> QueuedJobs(int queue_count, std::vector<std::string> job_scripts,
                                                 bool power_action) {
  if (queue_count != 2 && queue_count != 4) return {job_scripts};
  // The queues follow the job scripts' names, compared as the desktop sorts them. The
  // power-action line sorts first and takes index 0, so it shifts the split by one.
  std::stable_sort(job_scripts.begin(), job_scripts.end(),
                   [](const std::string& a, const std::string& b) { return CompareTextIgnoringCase(a, b) < 0; });
  std::vector<std::vector<std::string>> queues(static_cast<std::size_t>(queue_count));
  const std::size_t first_index = power_action ? 1 : 0;
  for (std::size_t k = 0; k < job_scripts.size(); ++k)
    queues[(first_index + k) % queues.size()].push_back(job_scripts[k]);
  return queues;
}

std::vector<std::string> RunScriptPaths(int queue_count, const Workspace& workspace, ScriptDialect dialect) {
  std::vector<std::string> paths;
  if (queue_count == 2) {
    for (const char* name : kTwoQueueNames) paths.push_back(BatchFile(workspace, dialect, name));
  } else if (queue_count == 4) {
    for (const char* name : kFourQueueNames) paths.push_back(BatchFile(workspace, dialect, name));
  } else {
    paths.push_back(BatchFile(workspace, dialect, "encode_all"));
  }
  return paths;
}

}  // namespace clipvane
