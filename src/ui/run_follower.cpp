#include "ui/run_follower.h"

#include <algorithm>
#include <functional>

#include "platform/text_encoding.h"
#include "session/session.h"
#include "ui/job_texts.h"

namespace clipvane {

int RunSecondsLeft(const std::vector<QueuedStatus>& live) {
  struct Queue {
    ProcessIdentity owner;
    int waiting = 0;
    int left = -1;  // its running job's time left; -1 while not known
  };
  std::vector<Queue> queues;
  const auto queue_of = [&queues](const ProcessIdentity& owner) {
    return std::find_if(queues.begin(), queues.end(), [&owner](const Queue& queue) { return queue.owner == owner; });
  };
  for (const QueuedStatus& job : live) {
    if (job.status.state != JobState::kWaiting) continue;
    auto queue = queue_of(job.queue);
    if (queue == queues.end()) queue = queues.insert(queues.end(), Queue{job.queue});
    ++queue->waiting;
  }
  std::vector<int> unplaced;  // the time left of running jobs known to no queue
  int measured = 0;
  double whole = 0;  // the whole time of the running jobs that tell it
  for (const QueuedStatus& job : live) {
    const JobStatus& status = job.status;
    if (status.state != JobState::kRunning) continue;
    if (status.seconds_left < 0) return -1;
    if (status.percent > 0 && status.percent < 100) {
      whole += status.seconds_left * 100.0 / (100 - status.percent);
      ++measured;
    }
    const auto queue = queue_of(job.queue);
    // One queue runs one job at a time: a second one there is in another.
    if (queue != queues.end() && queue->left < 0) queue->left = status.seconds_left;
    else unplaced.push_back(status.seconds_left);
  }
  const bool running = !unplaced.empty() ||
                       std::any_of(queues.begin(), queues.end(), [](const Queue& queue) { return queue.left >= 0; });
  const bool waiting = !queues.empty();
  if (!running || (waiting && measured == 0)) return -1;
  const double per_job = measured > 0 ? whole / measured : 0;

  std::vector<Queue*> headless;
  for (Queue& queue : queues)
    if (queue.left < 0) headless.push_back(&queue);
  std::sort(headless.begin(), headless.end(), [](const Queue* a, const Queue* b) { return a->waiting > b->waiting; });
  std::sort(unplaced.begin(), unplaced.end(), std::greater<int>());
  std::size_t next = 0;
  for (Queue* queue : headless)
    if (next < unplaced.size()) queue->left = unplaced[next++];
  double longest = 0;
  for (std::size_t i = next; i < unplaced.size(); ++i) longest = std::max<double>(longest, unplaced[i]);
  for (const Queue& queue : queues) longest = std::max(longest, std::max(queue.left, 0) + queue.waiting * per_job);
  return static_cast<int>(longest + 0.5);
}

RunFollower::RunFollower(Session& session, DesktopNotifier& notifier) : session_(session), notifier_(notifier) {}

const JobStatus& RunFollower::StatusOf(std::size_t row) const {
  static const JobStatus kNothing;
  const auto seen = seen_.find(session_.StatusFile(row));
  return seen == seen_.end() ? kNothing : seen->second;
}

bool RunFollower::Stopping(std::size_t row) const { return stopping_.count(session_.StatusFile(row)) > 0; }

bool RunFollower::Follow() {
  VideoList& list = session_.List();
  bool changed = false;
  std::map<std::string, JobStatus> now;
  std::set<std::string> stopping;
  for (std::size_t row = 0; row < list.RowCount(); ++row) {
    const std::string file = session_.StatusFile(row);
    if (now.count(file)) continue;
    const JobStatus& status = now[file] = session_.Status(row);
    const bool live = clipvane::IsLive(status.state);
    if (live && session_.StopAsked(row)) stopping.insert(file);
    if (status.state == JobState::kWaiting) queue_[file] = status.owner;
    const auto before = seen_.find(file);
    if ((before == seen_.end() ? JobStatus{} : before->second) == status &&
        stopping.count(file) == stopping_.count(file))
      continue;
    changed = true;
    if (live) {
      if (run_.empty()) ended_.reset();
      run_.insert(file);
    }
    // A job that ended wrote its MP4 or kept the one before: the marker says which.
    if (!live)
      for (std::size_t r = 0; r < list.RowCount(); ++r)
        if (session_.StatusFile(r) == file) list.UpdateEncodedMarker(r);
  }
  seen_ = std::move(now);
  stopping_ = std::move(stopping);
  // A cluster job that has not stopped in time is ended by Slurm, as the command line's stop does.
  session_.CancelOverdueStops({stopping_.begin(), stopping_.end()});

  if (!run_.empty() && !AnyLive()) {
    ended_ = Counts();
    run_.clear();
    queue_.clear();
    changed = true;
    notifier_.Notify("Clipvane", RunEndedText(ended_->written, ended_->failed, ended_->stopped));
  }
  return changed;
}

std::string RunFollower::ProgressText(std::size_t row) const { return JobProgressText(StatusOf(row), Stopping(row)); }

std::string RunFollower::ResultText(std::size_t row) const { return JobResultText(StatusOf(row), Stopping(row)); }

std::string RunFollower::ResultDetail(std::size_t row) const {
  const JobStatus& status = StatusOf(row);
  return status.state == JobState::kFailed ? status.cause : std::string();
}

bool RunFollower::IsLive(std::size_t row) const { return clipvane::IsLive(StatusOf(row).state); }

bool RunFollower::AnyLive() const {
  return std::any_of(seen_.begin(), seen_.end(), [](const auto& seen) { return clipvane::IsLive(seen.second.state); });
}

RunCounts RunFollower::Counts() const {
  RunCounts counts;
  counts.total = static_cast<int>(run_.size());
  for (const std::string& file : run_) {
    const auto seen = seen_.find(file);
    const JobState state = seen == seen_.end() ? JobState::kNone : seen->second.state;
    counts.written += state == JobState::kWritten;
    counts.failed += state == JobState::kFailed;
    counts.stopped += state == JobState::kStopped;
  }
  return counts;
}

std::string RunFollower::RunTotals() const {
  if (run_.empty()) return ended_ ? RunTotalsText(*ended_, -1) : std::string();
  std::vector<QueuedStatus> live;
  for (const std::string& file : run_) {
    const auto seen = seen_.find(file);
    if (seen == seen_.end() || !clipvane::IsLive(seen->second.state)) continue;
    const auto waited = queue_.find(file);
    live.push_back({seen->second, waited == queue_.end() ? seen->second.owner : waited->second});
  }
  return RunTotalsText(Counts(), RunSecondsLeft(live));
}

}  // namespace clipvane
