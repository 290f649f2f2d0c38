#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/script_monitor.h"
#include "platform/shell.h"
#include "runs/encode_commands.h"
#include "ui/main_window_model.h"

namespace clipvane {

class Session;

// Tells the desktop that a run has ended.
class DesktopNotifier {
 public:
  virtual ~DesktopNotifier() = default;
  virtual void Notify(const std::string& title, const std::string& body) = 0;
};

// Follows the jobs of the listed videos through what the computer shows of them: the
// scripts that run now and the files their output goes to. Nothing ties it to the
// scripts, so a window opened in the middle of a run shows it again. A job waits in
// its queue, runs (with the percentage of its encoder), and once it has ended its MP4
// is judged as the command line judges it: written only when this run made it and it
// holds one video and one audio track as long as the source; the log every job leaves
// in batch says why when it is not. When nothing of the
// workspace runs any more, the desktop is told how the run went.
class RunFollower final {
 public:
  RunFollower(Session& session, ScriptMonitor& monitor, DesktopNotifier& notifier);

  // A script this program is about to start: the MP4s of the jobs it may run are
  // noted as they stand before it, and it counts as running at the next look even
  // when it is gone by then, so that a job that fails at once still gets its result.
  void Starting(const std::string& script);

  // Looks again; true when what a row shows has changed (its columns or its encoded
  // marker).
  bool Follow();

  // The progress and result columns of a row (ANSI), and for a failed job what it
  // said last, as a tool tip of its result.
  std::string ProgressText(std::size_t row) const;
  std::string ResultText(std::size_t row) const;
  std::string ResultDetail(std::size_t row) const;

 private:
  enum class State { kIdle, kWaiting, kRunning, kEnded };
  struct Job {
    State state = State::kIdle;
    std::string video;                // a listed video of the job, whose MP4 tells its result
    std::string output;               // the file the script's output goes to, when known
    std::uint64_t from = 0;           // where its own output begins in that file
    std::optional<FileStamp> before;  // its MP4 as it stood before the job began, when seen
    int percent = -1;
    std::string result;
    std::string detail;
  };

  std::string ScriptOf(std::size_t row) const;
  const Job* EndedJob(std::size_t row) const;
  std::vector<std::string> JobsCalledBy(const std::string& run_script) const;
  int PercentSoFar(Job& job) const;
  bool WrittenByThisRun(const std::string& script, const Job& job, const FileStamp& now) const;
  void End(const std::string& script, Job& job);

  Session& session_;
  ScriptMonitor& monitor_;
  DesktopNotifier& notifier_;
  std::map<std::string, Job> jobs_;                          // by job script
  std::map<std::string, std::vector<std::string>> queues_;  // run scripts seen running, with their jobs in order
  std::set<std::string> started_;                           // started here since the last look
  bool active_ = false;
  int written_ = 0;
  int failed_ = 0;
};

// Starts scripts through another shell, telling the follower first.
class FollowedShell final : public Shell {
 public:
  explicit FollowedShell(Shell& shell) : shell_(shell) {}
  void Tell(RunFollower& follower) { follower_ = &follower; }
  Expected<Launched, LaunchFailure> OpenScript(const std::string& path) override {
    if (follower_) follower_->Starting(path);
    return shell_.OpenScript(path);
  }

 private:
  Shell& shell_;
  RunFollower* follower_ = nullptr;
};

}  // namespace clipvane
