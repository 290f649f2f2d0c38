#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <vector>

#include "platform/shell.h"

extern char** environ;

namespace clipvane {
namespace {

class SessionShell final : public Shell {
 public:
  // sh runs the script in a session of its own, so that it outlives this program and
  // no terminal signal of ours reaches it; its output goes where a closed console's would.
  void OpenScript(const std::string& path) override {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
    char* argv[] = {const_cast<char*>("sh"), const_cast<char*>(path.c_str()), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, "sh", &actions, &attributes, argv, environ) == 0) reaped_.push_back(pid);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    Reap();
  }

  ~SessionShell() override { Reap(); }

 private:
  // Finished scripts are collected without waiting, so none lingers as a zombie.
  void Reap() {
    for (std::size_t i = 0; i < reaped_.size();) {
      if (::waitpid(reaped_[i], nullptr, WNOHANG) != 0) {
        reaped_.erase(reaped_.begin() + static_cast<std::ptrdiff_t>(i));
      } else {
        ++i;
      }
    }
  }
  std::vector<pid_t> reaped_;
};

}  // namespace

Shell& NativeShell() {
  static SessionShell shell;
  return shell;
}

}  // namespace clipvane
