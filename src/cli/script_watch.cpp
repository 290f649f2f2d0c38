#include "cli/script_watch.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace clipvane {

WatchingShell::~WatchingShell() {
  for (Script& script : scripts_)
    if (script.output >= 0) ::close(script.output);
}

void WatchingShell::OpenScript(const std::string& path) {
  int pipe_ends[2];
  if (::pipe2(pipe_ends, O_CLOEXEC) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, pipe_ends[1], 1);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  char* argv[] = {const_cast<char*>("sh"), const_cast<char*>(path.c_str()), nullptr};
  pid_t pid = -1;
  const int failed = posix_spawnp(&pid, "sh", &actions, &attributes, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  ::close(pipe_ends[1]);
  if (failed != 0) {
    ::close(pipe_ends[0]);
    return;
  }
  scripts_.push_back({path, pid, pipe_ends[0], {}});
}

void WatchingShell::WaitAll(
    const std::function<void(const std::string& script, const std::string& line)>& on_output) {
  auto flush_lines = [&](Script& script, bool at_end) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < script.pending.size(); ++i) {
      if (script.pending[i] != '\n' && script.pending[i] != '\r') continue;
      if (i > start) on_output(script.path, script.pending.substr(start, i - start));
      start = i + 1;
    }
    script.pending.erase(0, start);
    if (at_end && !script.pending.empty()) {
      on_output(script.path, script.pending);
      script.pending.clear();
    }
  };
  while (true) {
    std::vector<pollfd> watched;
    std::vector<Script*> owners;
    for (Script& script : scripts_) {
      if (script.output < 0) continue;
      watched.push_back({script.output, POLLIN, 0});
      owners.push_back(&script);
    }
    if (watched.empty()) break;
    if (::poll(watched.data(), watched.size(), -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (std::size_t i = 0; i < watched.size(); ++i) {
      if (!(watched[i].revents & (POLLIN | POLLHUP | POLLERR))) continue;
      Script& script = *owners[i];
      char buffer[4096];
      const ssize_t n = ::read(script.output, buffer, sizeof buffer);
      if (n > 0) {
        script.pending.append(buffer, static_cast<std::size_t>(n));
        flush_lines(script, false);
      } else if (n == 0 || errno != EINTR) {
        // The script and everything it started have closed their output: it is over.
        flush_lines(script, true);
        ::close(script.output);
        script.output = -1;
      }
    }
  }
  for (Script& script : scripts_) {
    if (script.pid > 0) ::waitpid(script.pid, nullptr, 0);
    script.pid = -1;
  }
}

int ProgressPercent(const std::string& line) {
  const std::size_t close = line.rfind("%)");
  if (close == std::string::npos) return -1;
  const std::size_t open = line.rfind('(', close);
  if (open == std::string::npos) return -1;
  const std::string digits = line.substr(open + 1, close - open - 1);
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return -1;
  return std::atoi(digits.c_str());
}

}  // namespace clipvane
