#include "ui/run_follower.h"

#include <algorithm>

#include "session/session.h"
#include "platform/text_encoding.h"
#include "runs/job_outcome.h"

namespace clipvane {
namespace {

// The part of a tail that lies at or after `from` in its file.
std::string TextSince(const OutputTail& tail, std::uint64_t from) {
  const std::uint64_t begin = tail.end - tail.text.size();
  const std::uint64_t skip = from > begin ? from - begin : 0;
  return skip >= tail.text.size() ? std::string() : tail.text.substr(static_cast<std::size_t>(skip));
}

}  // namespace

RunFollower::RunFollower(Session& session, ScriptMonitor& monitor, DesktopNotifier& notifier)
    : session_(session), monitor_(monitor), notifier_(notifier) {}

void RunFollower::Starting(const std::string& script) {
  VideoList& list = session_.List();
  for (std::size_t row = 0; row < list.RowCount(); ++row) {
    Job& job = jobs_[ScriptOf(row)];
    if (job.state != State::kRunning) job.before = session_.OutputStamp(row);
  }
  started_.insert(script);
}

std::string RunFollower::ScriptOf(std::size_t row) const { return session_.JobScript(row); }

std::vector<std::string> RunFollower::JobsCalledBy(const std::string& run_script) const {
  std::vector<std::string> known;
  for (const auto& [script, job] : jobs_) known.push_back(script);
  return session_.JobsCalledBy(run_script, known);
}

int RunFollower::PercentSoFar(Job& job) const {
  if (job.output.empty()) return -1;
  const OutputTail tail = monitor_.Tail(job.output);
  if (tail.end < job.from) job.from = 0;  // the file was made afresh by another start
  return LastProgressPercent(TextSince(tail, job.from));
}

bool RunFollower::WrittenByThisRun(const std::string& script, const Job& job, const FileStamp& now) const {
  if (!now.exists) return false;
  if (job.before) return now != *job.before;
  // A job that had ended before its queue was first seen: its MP4 is this run's when
  // it was written after the job script, which every command writes afresh.
  const FileStamp written = session_.ScriptStamp(script);
  return written.exists && now.modified_ns > written.modified_ns;
}

void RunFollower::End(const std::string& script, Job& job) {
  job.state = State::kEnded;
  const bool new_file = WrittenByThisRun(script, job, session_.OutputStampOf(job.video));
  const JudgedJob judged = session_.JudgeJob(job.video, new_file);
  const JobOutcome outcome = judged.outcome;
  job.result = outcome == JobOutcome::kWritten ? JobOutcomeText(outcome) : "failed: " + JobOutcomeText(outcome);
  std::string said = judged.said;
  if (said.empty() && !job.output.empty()) said = LastMeaningfulLine(TextSince(monitor_.Tail(job.output), job.from));
  job.detail = outcome == JobOutcome::kWritten ? std::string() : said;
  job.before.reset();
  ++(outcome == JobOutcome::kWritten ? written_ : failed_);
  VideoList& list = session_.List();
  for (std::size_t row = 0; row < list.RowCount(); ++row)
    if (ScriptOf(row) == script) list.UpdateEncodedMarker(row);
}

bool RunFollower::Follow() {
  const VideoList& list = session_.List();
  // The MP4s as they stand before the look: a job not running at the look had not
  // begun when its MP4 was seen so.
  std::map<std::string, FileStamp> stamps;
  for (std::size_t row = 0; row < list.RowCount(); ++row) {
    const std::string script = ScriptOf(row);
    if (!stamps.count(script)) stamps[script] = session_.OutputStamp(row);
  }
  std::map<std::string, std::string> running;  // script, and the file its output goes to
  for (const RunningScript& seen : monitor_.Running())
    if (session_.IsWorkspaceScript(seen.script)) running[seen.script] = seen.output;
  const std::set<std::string> started = std::move(started_);
  started_.clear();
  for (const std::string& script : started) running.emplace(script, "");

  const bool active = !running.empty();
  if (active && !active_) written_ = failed_ = 0;

  bool changed = false;
  std::set<std::string> listed;
  for (std::size_t row = 0; row < list.RowCount(); ++row) {
    const std::string script = ScriptOf(row);
    if (listed.insert(script).second) jobs_[script].video = list.EntryPath(row);
  }
  // A run script newly seen: its jobs wait from now on.
  for (const auto& [script, output] : running) {
    if (listed.count(script) || queues_.count(script)) continue;
    std::vector<std::string>& queue = queues_[script] = JobsCalledBy(script);
    for (const std::string& job : queue)
      if (jobs_[job].state != State::kRunning) {
        jobs_[job].state = State::kWaiting;
        changed = true;
      }
  }
  for (const std::string& script : listed) {
    Job& job = jobs_[script];
    const auto now = running.find(script);
    if (now != running.end()) {
      if (job.state != State::kRunning) {
        // Its MP4 is moved into incoming only at its end, so one seen while it runs
        // still stands as before; what was noted when it began to wait or was started
        // here is older still.
        const bool noted = job.before && (job.state == State::kWaiting || started.count(script));
        if (!noted) job.before = stamps[script];
        job.state = State::kRunning;
        job.output = now->second;
        job.from = 0;
        job.percent = -1;
        job.result.clear();
        job.detail.clear();
        // A job started here writes a file of its own from the start; one met in the
        // middle of a queue's file begins where that file ends now.
        if (!started.count(script) && !job.output.empty()) job.from = monitor_.Tail(job.output).end;
        changed = true;
      }
      if (job.output.empty()) job.output = now->second;
      const int percent = PercentSoFar(job);
      changed |= percent != job.percent;
      job.percent = percent;
    } else if (job.state == State::kRunning) {
      End(script, job);
      changed = true;
    }
  }
  // In a queue the jobs run in order: those before the last one that started have
  // ended, and when the queue is gone, all of them. Those after it have not begun.
  for (auto queue = queues_.begin(); queue != queues_.end();) {
    const bool alive = running.count(queue->first) > 0;
    std::size_t reached = 0;
    for (std::size_t i = 0; i < queue->second.size(); ++i) {
      const State state = jobs_[queue->second[i]].state;
      if (state == State::kRunning || state == State::kEnded) reached = i + 1;
    }
    for (std::size_t i = 0; i < queue->second.size(); ++i) {
      Job& job = jobs_[queue->second[i]];
      if (job.state != State::kWaiting) continue;
      if (!alive || i + 1 < reached) {
        End(queue->second[i], job);
        changed = true;
      } else if (i >= reached && !job.before && stamps.count(queue->second[i])) {
        job.before = stamps[queue->second[i]];
      }
    }
    queue = alive ? std::next(queue) : queues_.erase(queue);
  }

  if (!active && active_ && written_ + failed_ > 0)
    notifier_.Notify("Clipvane", Utf8ToAnsi(u8"인코딩이 끝났습니다 (written ") + std::to_string(written_) +
                                     ", failed " + std::to_string(failed_) + ")");
  active_ = active;
  return changed;
}

std::string RunFollower::ProgressText(std::size_t row) const {
  const auto job = jobs_.find(ScriptOf(row));
  if (job == jobs_.end()) return {};
  if (job->second.state == State::kWaiting) return Utf8ToAnsi(u8"대기");
  if (job->second.state != State::kRunning) return {};
  return job->second.percent >= 0 ? std::to_string(job->second.percent) + "%" : Utf8ToAnsi(u8"진행 중");
}

const RunFollower::Job* RunFollower::EndedJob(std::size_t row) const {
  const auto job = jobs_.find(ScriptOf(row));
  return job != jobs_.end() && job->second.state == State::kEnded ? &job->second : nullptr;
}

std::string RunFollower::ResultText(std::size_t row) const {
  const Job* job = EndedJob(row);
  return job ? job->result : std::string();
}

std::string RunFollower::ResultDetail(std::size_t row) const {
  const Job* job = EndedJob(row);
  return job ? job->detail : std::string();
}

}  // namespace clipvane
