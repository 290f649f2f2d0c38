#include "ui/run_follower.h"

#include <algorithm>

#include "platform/text_encoding.h"
#include "session/session.h"
#include "ui/job_texts.h"

namespace clipvane {

int RunSecondsLeft(const std::vector<JobStatus>& live) {
  int running = 0, waiting = 0, measured = 0;
  double left = 0, whole = 0;  // the running jobs' time left, and the whole time of those that tell
  for (const JobStatus& job : live) {
    if (job.state == JobState::kWaiting) ++waiting;
    if (job.state != JobState::kRunning) continue;
    ++running;
    if (job.seconds_left < 0) return -1;
    left += job.seconds_left;
    if (job.percent > 0 && job.percent < 100) {
      whole += job.seconds_left * 100.0 / (100 - job.percent);
      ++measured;
    }
  }
  if (running == 0 || (waiting > 0 && measured == 0)) return -1;
  const double per_job = measured > 0 ? whole / measured : 0;
  return static_cast<int>((left + waiting * per_job) / running + 0.5);
}

RunFollower::RunFollower(Session& session, DesktopNotifier& notifier) : session_(session), notifier_(notifier) {}

const JobStatus& RunFollower::StatusOf(std::size_t row) const {
  static const JobStatus kNothing;
  const auto seen = seen_.find(session_.StatusFile(row));
  return seen == seen_.end() ? kNothing : seen->second;
}

bool RunFollower::Follow() {
  VideoList& list = session_.List();
  bool changed = false;
  std::map<std::string, JobStatus> now;
  for (std::size_t row = 0; row < list.RowCount(); ++row) {
    const std::string file = session_.StatusFile(row);
    if (now.count(file)) continue;
    const JobStatus& status = now[file] = session_.Status(row);
    const auto before = seen_.find(file);
    if ((before == seen_.end() ? JobStatus{} : before->second) == status) continue;
    changed = true;
    if (clipvane::IsLive(status.state)) run_.insert(file);
    // A job that ended wrote its MP4 or kept the one before: the marker says which.
    if (!clipvane::IsLive(status.state))
      for (std::size_t r = 0; r < list.RowCount(); ++r)
        if (session_.StatusFile(r) == file) list.UpdateEncodedMarker(r);
  }
  seen_ = std::move(now);

  if (!run_.empty() && !AnyLive()) {
    int written = 0, failed = 0, stopped = 0;
    for (const std::string& file : run_) {
      const auto seen = seen_.find(file);
      const JobState state = seen == seen_.end() ? JobState::kNone : seen->second.state;
      written += state == JobState::kWritten;
      failed += state == JobState::kFailed;
      stopped += state == JobState::kStopped;
    }
    run_.clear();
    changed = true;
    notifier_.Notify("Clipvane", RunEndedText(written, failed, stopped));
  }
  return changed;
}

std::string RunFollower::ProgressText(std::size_t row) const { return JobProgressText(StatusOf(row)); }

std::string RunFollower::ResultText(std::size_t row) const { return JobResultText(StatusOf(row)); }

std::string RunFollower::ResultDetail(std::size_t row) const {
  const JobStatus& status = StatusOf(row);
  return status.state == JobState::kFailed ? status.cause : std::string();
}

bool RunFollower::IsLive(std::size_t row) const { return clipvane::IsLive(StatusOf(row).state); }

bool RunFollower::AnyLive() const {
  return std::any_of(seen_.begin(), seen_.end(), [](const auto& seen) { return clipvane::IsLive(seen.second.state); });
}

std::string RunFollower::RunTotals() const {
  if (run_.empty()) return {};
  std::vector<JobStatus> live;
  int done = 0;
  for (const std::string& file : run_) {
    const auto seen = seen_.find(file);
    if (seen == seen_.end()) continue;
    if (clipvane::IsLive(seen->second.state)) live.push_back(seen->second);
    else ++done;
  }
  return RunTotalsText(done, static_cast<int>(run_.size()), RunSecondsLeft(live));
}

}  // namespace clipvane
