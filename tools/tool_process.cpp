#include "tool_process.h"

#include <fcntl.h>
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
             const std::function<void(const std::string& chunk)>& on_output) {
  std::vector<char*> raw;
  for (const std::string& arg : argv) raw.push_back(const_cast<char*>(arg.c_str()));
  raw.push_back(nullptr);

  int output_pipe[2] = {-1, -1};
  if (on_output && pipe2(output_pipe, O_CLOEXEC) != 0) {
    std::cerr << argv[0] << ": cannot make a pipe: " << std::strerror(errno) << "\n";
    return 127;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (on_output) posix_spawn_file_actions_adddup2(&actions, output_pipe[1], 1);

  SignalRelay relay;
  pid_t child = 0;
  const int spawn_error = posix_spawnp(&child, raw[0], &actions, nullptr, raw.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (on_output) close(output_pipe[1]);
  if (spawn_error != 0) {
    if (on_output) close(output_pipe[0]);
    std::cerr << "cannot start " << argv[0] << ": " << std::strerror(spawn_error)
              << (argv[0] == std::string("ffmpeg") || argv[0] == std::string("ffprobe")
                      ? " (Debian's ffmpeg package provides it)"
                      : "")
              << "\n";
    return 127;
  }
  g_child_pid = child;
  if (on_output) {
    char buffer[4096];
    for (;;) {
      const ssize_t got = read(output_pipe[0], buffer, sizeof buffer);
      if (got > 0) {
        on_output(std::string(buffer, static_cast<std::size_t>(got)));
      } else if (got == 0 || errno != EINTR) {
        break;
      }
    }
    close(output_pipe[0]);
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
