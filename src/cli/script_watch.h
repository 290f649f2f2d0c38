#pragma once
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace clipvane {

// Starts scripts as the desktop shell does, in sessions of their own, but keeps their
// output so that the command line can follow the encoders' progress and wait for the
// end. Linux only.
class WatchingShell : public Shell {
 public:
  WatchingShell() = default;
  WatchingShell(const WatchingShell&) = delete;
  WatchingShell& operator=(const WatchingShell&) = delete;
  ~WatchingShell() override;

  void OpenScript(const std::string& path) override;

  // Blocks until every started script has ended. `on_output` gets each line (or
  // carriage-return-ended progress update) a script writes, with the script's path.
  void WaitAll(const std::function<void(const std::string& script, const std::string& line)>& on_output);

  std::size_t Started() const { return scripts_.size(); }

 private:
  struct Script {
    std::string path;
    int pid = -1;
    int output = -1;  // read end of the script's standard output
    std::string pending;
  };
  std::vector<Script> scripts_;
};

// The percentage in an encoder progress line such as "Pos:   3.2s    80f (45%)", or -1.
int ProgressPercent(const std::string& line);

}  // namespace clipvane
