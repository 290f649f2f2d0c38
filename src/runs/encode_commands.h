#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "common/power_action.h"
#include "jobs/job_script.h"

namespace clipvane {

class Shell;
class UserNotifier;

// What the start button does for a selection: up to four selected videos start
// directly; a whole-list selection of more runs the single queue; anything else, nothing.
enum class StartRoute { kEncodeSelection, kSingleQueue, kNothing };
StartRoute StartButtonRoute(std::size_t selected, std::size_t rows);

// The list as the encode commands see it.
class EncodeRows {
 public:
  virtual ~EncodeRows() = default;
  virtual std::size_t RowCount() const = 0;
  virtual bool IsSelected(std::size_t row) const = 0;
  // The row's video path and facts, probing it first when it was never probed.
  virtual std::string ProbedPath(std::size_t row, MediaFacts& facts) = 0;
};

struct EncodeCommandContext {
  EncodeCommandContext(JobContext& jobs_in, Shell& shell_in, UserNotifier& notifier_in)
      : jobs(jobs_in), shell(shell_in), notifier(notifier_in) {}

  JobContext& jobs;
  Shell& shell;
  UserNotifier& notifier;
  // When set, receives the path of every video whose job script a command wrote.
  std::vector<std::string>* scripted_videos = nullptr;
  // While a whole-list run writes its scripts: the status bar's text ("created ..."),
  // a way to keep the window responsive between jobs, and the window told that the
  // list is busy (true) and free again (false). Each may be empty.
  std::function<void(const std::string&)> set_status;
  std::function<void()> process_messages;
  std::function<void(bool busy)> set_busy;
};

inline constexpr int kMaxDirectEncodes = 4;

// Writes and starts the job scripts of the selected rows, at most four, in list order.
// A vanished video is reported by its path and skipped. Returns how many started.
int EncodeSelection(EncodeRows& rows, EncodeCommandContext& context);

// Writes the run scripts for 1, 2 or 4 queues (1 meaning the single whole-list script)
// and starts them by name. Returns whether anything was started.
bool EncodeWholeList(int queues, EncodeRows& rows, PowerAction action, EncodeCommandContext& context);

// Writes every job script and the whole-list script without starting anything, and
// says so. Returns whether the whole-list script got any line.
bool MakeBatchFiles(EncodeRows& rows, PowerAction action, EncodeCommandContext& context);

}  // namespace clipvane
