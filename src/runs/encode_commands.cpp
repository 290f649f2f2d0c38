#include "runs/encode_commands.h"

#include <vector>

#include "platform/file_system.h"
#include "platform/shell.h"
#include "platform/system_services.h"
#include "platform/text_encoding.h"
#include "runs/run_scripts.h"

namespace clipvane {
namespace {

void Notice(UserNotifier& notifier, const std::string& text) {
  notifier.ShowMessage(text, Utf8ToAnsi(u8"알림"), MessageIcon::kNone, MessageButtons::kOk);
}

// Writes the job script of a probed video and returns its path, empty when none was
// written; `refusal` then says why, where the user should know.
std::string BuildVideoJob(const std::string& path, const MediaFacts& facts, EncodeCommandContext& context,
                          std::string& refusal) {
  const JobBuild build = BuildJobScript(path, facts, context.jobs);
  refusal = JobSkipMessage(build.skipped, path);
  if (!build.script.empty() && context.scripted_videos) context.scripted_videos->push_back(path);
  return build.script;
}

// Builds the jobs of a whole-list run and remembers the videos refused with a reason,
// so that they can be named once the scripts are written.
class ListJobBuilder {
 public:
  ListJobBuilder(EncodeRows& rows, EncodeCommandContext& context) : rows_(rows), context_(context) {}

  std::string operator()(std::size_t row) {
    MediaFacts facts;
    const std::string path = rows_.ProbedPath(row, facts);
    std::string refusal;
    const std::string script = BuildVideoJob(path, facts, context_, refusal);
    if (!refusal.empty()) refusals_ += (refusals_.empty() ? "" : "\r") + refusal;
    return script;
  }

  void ReportRefusals(UserNotifier& notifier) const {
    if (!refusals_.empty()) Notice(notifier, refusals_);
  }

 private:
  EncodeRows& rows_;
  EncodeCommandContext& context_;
  std::string refusals_;
};

// Marks the list busy while a run's scripts are written, and free again however the
// writing ends, so that a failed write never leaves the window's list disabled.
class BusyList {
 public:
  explicit BusyList(const std::function<void(bool)>& set_busy) : set_busy_(set_busy) {
    if (set_busy_) set_busy_(true);
  }
  ~BusyList() {
    if (set_busy_) set_busy_(false);
  }

 private:
  const std::function<void(bool)>& set_busy_;
};

bool WriteRunScripts(int queue_count, EncodeRows& rows, PowerAction action, EncodeCommandContext& context) {
  if (rows.RowCount() == 0) return false;  // nothing written, nothing disabled
  ListJobBuilder builder(rows, context);
  RunScriptContext runs{context.jobs.workspace, context.jobs.dialect, context.jobs.files, context.set_status,
                        context.process_messages};
  bool written = false;
  {
    BusyList busy(context.set_busy);
    written = MakeRunScripts(queue_count, rows.RowCount(), std::ref(builder), action, runs);
  }
  builder.ReportRefusals(context.notifier);
  return written;
}

}  // namespace

StartRoute StartButtonRoute(std::size_t selected, std::size_t rows) {
  if (selected >= 1 && selected <= kMaxDirectEncodes) return StartRoute::kEncodeSelection;
  if (selected == rows) return StartRoute::kSingleQueue;
  return StartRoute::kNothing;
}

int EncodeSelection(EncodeRows& rows, EncodeCommandContext& context) {
  int started = 0;
  for (std::size_t row = 0; row < rows.RowCount() && started < kMaxDirectEncodes; ++row) {
    if (!rows.IsSelected(row)) continue;
    MediaFacts facts;
    const std::string path = rows.ProbedPath(row, facts);
    if (!context.jobs.files.Exists(path)) {
      Notice(context.notifier, path + Utf8ToAnsi(u8"\r\r선택한 파일이 존재하지 않습니다."));
      continue;
    }
    std::string refusal;
    const std::string script = BuildVideoJob(path, facts, context, refusal);
    if (script.empty()) {
      if (!refusal.empty()) Notice(context.notifier, refusal);
      continue;
    }
    context.shell.OpenScript(script);
    ++started;
  }
  return started;
}

bool EncodeWholeList(int queues, EncodeRows& rows, PowerAction action, EncodeCommandContext& context) {
  const int queue_count = queues == 2 || queues == 4 ? queues : 0;
  if (!WriteRunScripts(queue_count, rows, action, context)) return false;
  // A queue that got no job has no script to open.
  for (const std::string& script : RunScriptPaths(queue_count, context.jobs.workspace, context.jobs.dialect))
    if (context.jobs.files.Exists(script)) context.shell.OpenScript(script);
  return true;
}

bool MakeBatchFiles(EncodeRows& rows, PowerAction action, EncodeCommandContext& context) {
  if (!WriteRunScripts(0, rows, action, context)) return false;
  Notice(context.notifier, Utf8ToAnsi(u8"인코딩을 위한 배치파일(.bat)들이 생성되었습니다."));
  return true;
}

}  // namespace clipvane
