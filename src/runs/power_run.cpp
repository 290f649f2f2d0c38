#include "runs/power_run.h"

#include <memory>

#include "base/text.h"
#include "common/workspace.h"
#include "platform/file_system.h"
#include "platform/platform_error.h"
#include "runs/job_record.h"

namespace clipvane {
namespace {

// "state=pending|held|taken", then one "job=<record>" line for each job of the run.
struct RunOnRecord {
  std::string state;
  std::vector<std::string> records;
};

RunOnRecord Parse(const std::string& text) {
  RunOnRecord run;
  for (const std::string& line : NonEmptyLines(text)) {
    if (line.rfind("state=", 0) == 0) run.state = line.substr(6);
    if (line.rfind("job=", 0) == 0) run.records.push_back(line.substr(4));
  }
  return run;
}

std::string Format(const RunOnRecord& run) {
  std::string text = "state=" + run.state + "\n";
  for (const std::string& record : run.records) text += "job=" + record + "\n";
  return text;
}

}  // namespace

PowerRun::PowerRun(FileSystem& files, const Workspace& workspace)
    : files_(&files), file_(workspace.PowerRunFile()), lock_(workspace.JobsLockFile()) {}

void PowerRun::Start(PowerAction action, const std::vector<std::string>& records) {
  const std::unique_ptr<FileLock> lock = files_->LockExclusive(lock_);
  if (action == PowerAction::kNone) {
    files_->RemoveFile(file_);
    return;
  }
  files_->ReplaceWholeFile(file_, Format({"pending", records}));
}

bool PowerRun::Hold() {
  try {
    const std::unique_ptr<FileLock> lock = files_->LockExclusive(lock_);
    RunOnRecord run = Parse(ReadFileOrNothing(*files_, file_));
    if (run.state == "taken" || run.state == "held") return false;
    const bool pending = run.state == "pending";
    run.state = "held";
    files_->ReplaceWholeFile(file_, Format(run));
    return pending;
  } catch (const PlatformError&) {
    return false;  // the jobs stop all the same; only the power action may follow
  }
}

bool PowerRun::Take() {
  try {
    const std::unique_ptr<FileLock> lock = files_->LockExclusive(lock_);
    if (!files_->Exists(file_)) return true;
    RunOnRecord run = Parse(ReadFileOrNothing(*files_, file_));
    if (run.state != "pending") return false;
    for (const std::string& record : run.records)
      if (HoldsItsRow(*files_, record)) return false;
    run.state = "taken";
    files_->ReplaceWholeFile(file_, Format(run));
    return true;
  } catch (const PlatformError&) {
    return false;  // once is not sure then: the computer stays on
  }
}

}  // namespace clipvane
