#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/detached_launch.h"
#include "platform/posix/child_start_posix.h"

extern char** environ;

namespace clipvane {
namespace {

// What the two children say on the report pipe: the program's process id once it is
// made, and why it did not start, if it did not. An exec closes the pipe.
struct Report {
  enum Kind : int { kStarted, kFailed } kind;
  int value;  // the process id, or the errno
};

void Send(int pipe, Report report) {
  if (::write(pipe, &report, sizeof report) < 0) {
  }
}

// In the grandchild, between the fork and the exec: only calls that are safe in a child
// of a threaded process.
[[noreturn]] void RunProgram(const std::string& program, char* const* argv, int output, int report) {
  // A session, and so a process group, of its own, numbered as the program itself.
  ::setsid();
  const int input = ::open("/dev/null", O_RDONLY);
  int failure = 0;
  if (input < 0 || ::dup2(input, 0) < 0 || ::dup2(output, 1) < 0 || ::dup2(output, 2) < 0) failure = errno;
  // Whatever this process holds back or has set aside, the program starts without.
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) ::signal(signal_number, SIG_DFL);
  if (failure == 0) {
    ::execve(program.c_str(), argv, environ);
    failure = errno;
  }
  Send(report, {Report::kFailed, failure});
  ::_exit(127);
}

LaunchFailure Failed(const std::vector<std::string>& argv, int error) {
  return {argv.empty() ? std::string() : argv[0], std::strerror(error)};
}

}  // namespace

// Two forks: the program is the child of a child that ends at once, so it belongs to
// no one here (no zombie waits for us to collect it) and leads a session of its own.
Expected<Launched, LaunchFailure> LaunchDetached(const std::vector<std::string>& argv, const std::string& output_file) {
  if (argv.empty()) return MakeUnexpected(LaunchFailure{"", "no program named"});
  const std::string program = ProgramOnPath(argv[0]);
  std::vector<char*> raw;
  for (const std::string& arg : argv) raw.push_back(const_cast<char*>(arg.c_str()));
  raw.push_back(nullptr);
  const char* output_path = output_file.empty() ? "/dev/null" : output_file.c_str();
  const int output = ::open(output_path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (output < 0) return MakeUnexpected(LaunchFailure{argv[0], output_file + ": " + std::strerror(errno)});
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) {
    const int error = errno;
    ::close(output);
    return MakeUnexpected(Failed(argv, error));
  }
  const pid_t middle = ::fork();
  if (middle == 0) {
    const pid_t grandchild = ::fork();
    if (grandchild == 0) RunProgram(program, raw.data(), output, report[1]);
    Send(report[1], grandchild > 0 ? Report{Report::kStarted, grandchild} : Report{Report::kFailed, errno});
    ::_exit(0);
  }
  const int fork_error = errno;
  ::close(report[1]);
  ::close(output);
  if (middle < 0) {
    ::close(report[0]);
    return MakeUnexpected(Failed(argv, fork_error));
  }
  int ignored = 0;
  while (::waitpid(middle, &ignored, 0) < 0 && errno == EINTR) {
  }
  // The pipe ends when the program has been exec'd or has given up.
  Launched launched;
  int failure = 0;
  Report got{};
  ssize_t n;
  while ((n = ::read(report[0], &got, sizeof got)) != 0) {
    if (n < 0 && errno == EINTR) continue;
    if (n != static_cast<ssize_t>(sizeof got)) break;
    if (got.kind == Report::kStarted) launched.id = static_cast<std::uint32_t>(got.value);
    if (got.kind == Report::kFailed) failure = got.value;
  }
  ::close(report[0]);
  if (failure != 0 || launched.id == 0) return MakeUnexpected(Failed(argv, failure != 0 ? failure : ECHILD));
  return LaunchedAs(launched.id);
}

}  // namespace clipvane
