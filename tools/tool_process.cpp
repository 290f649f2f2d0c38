#include "tool_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <stdexcept>

extern char** environ;

namespace clipvane::tools {
namespace {

// The child that signals are passed on to; a signal handler can reach nothing else.
volatile sig_atomic_t g_child_pid = 0;

void PassSignalOn(int signal_number) {
  const pid_t child = g_child_pid;
  if (child > 0) kill(child, signal_number);
}

class SignalRelay {
 public:
  SignalRelay() {
    struct sigaction action {};
    action.sa_handler = PassSignalOn;
    sigemptyset(&action.sa_mask);
    for (int i = 0; i < kCount; ++i) sigaction(kSignals[i], &action, &previous_[i]);
  }
  ~SignalRelay() {
    for (int i = 0; i < kCount; ++i) sigaction(kSignals[i], &previous_[i], nullptr);
  }
  SignalRelay(const SignalRelay&) = delete;
  SignalRelay& operator=(const SignalRelay&) = delete;

 private:
  static constexpr int kCount = 3;
  static constexpr int kSignals[kCount] = {SIGINT, SIGTERM, SIGHUP};
  struct sigaction previous_[kCount];
};

int WaitForChild(pid_t child) {
  int status = 0;
  while (waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return 127;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return 127;
}

}  // namespace

int RunChild(const std::vector<std::string>& argv,
             const std::function<void(const std::string& chunk)>& on_output,
             const std::function<void(const std::string& chunk)>& on_errors) {
  std::vector<char*> raw;
  for (const std::string& arg : argv) raw.push_back(const_cast<char*>(arg.c_str()));
  raw.push_back(nullptr);

  // One pipe per stream the caller wants to see: [0] stdout, [1] stderr.
  const std::function<void(const std::string&)>* readers[2] = {&on_output, &on_errors};
  int pipes[2][2] = {{-1, -1}, {-1, -1}};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  for (int stream = 0; stream < 2; ++stream) {
    if (!*readers[stream]) continue;
    if (pipe2(pipes[stream], O_CLOEXEC) != 0) {
      std::cerr << argv[0] << ": cannot make a pipe: " << std::strerror(errno) << "\n";
      posix_spawn_file_actions_destroy(&actions);
      return 127;
    }
    posix_spawn_file_actions_adddup2(&actions, pipes[stream][1], stream + 1);
  }

  SignalRelay relay;
  pid_t child = 0;
  const int spawn_error = posix_spawnp(&child, raw[0], &actions, nullptr, raw.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  std::vector<pollfd> open_ends;
  for (int stream = 0; stream < 2; ++stream) {
    if (pipes[stream][1] < 0) continue;
    close(pipes[stream][1]);
    open_ends.push_back({pipes[stream][0], POLLIN, 0});
  }
  if (spawn_error != 0) {
    for (const pollfd& end : open_ends) close(end.fd);
    std::cerr << "cannot start " << argv[0] << ": " << std::strerror(spawn_error)
              << (argv[0] == std::string("ffmpeg") || argv[0] == std::string("ffprobe")
                      ? " (Debian's ffmpeg package provides it)"
                      : "")
              << "\n";
    return 127;
  }
  g_child_pid = child;
  char buffer[4096];
  while (!open_ends.empty()) {
    if (poll(open_ends.data(), open_ends.size(), -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (std::size_t i = 0; i < open_ends.size();) {
      ssize_t got = 0;
      if (open_ends[i].revents != 0) {
        got = read(open_ends[i].fd, buffer, sizeof buffer);
        if (got > 0) {
          const int stream = open_ends[i].fd == pipes[0][0] ? 0 : 1;
          (*readers[stream])(std::string(buffer, static_cast<std::size_t>(got)));
        }
      }
      if (open_ends[i].revents != 0 && got <= 0 && !(got < 0 && errno == EINTR)) {
        close(open_ends[i].fd);
        open_ends.erase(open_ends.begin() + static_cast<std::ptrdiff_t>(i));
      } else {
        ++i;
      }
    }
  }
  const int status = WaitForChild(child);
  g_child_pid = 0;
  return status;
}

std::optional<std::string> CaptureOutput(const std::vector<std::string>& argv) {
  std::string output;
  const int status = RunChild(argv, [&output](const std::string& chunk) { output += chunk; });
  if (status != 0) return std::nullopt;
  return output;
}

TempFolder::TempFolder(const std::string& prefix) {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base && *base ? base : "/tmp") + "/" + prefix + "-XXXXXX";
  if (!mkdtemp(pattern.data())) {
    throw std::runtime_error("cannot make a temporary folder " + pattern + ": " + std::strerror(errno));
  }
  path_ = pattern;
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

}  // namespace clipvane::tools
