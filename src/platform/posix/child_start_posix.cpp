#include "platform/posix/child_start_posix.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

extern char** environ;

namespace clipvane {

std::string ProgramOnPath(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/local/bin:/usr/bin:/bin";
  for (std::size_t start = 0; start <= folders.size();) {
    const std::size_t end = std::min(folders.find(':', start), folders.size());
    const std::string folder = end > start ? folders.substr(start, end - start) : ".";
    const std::string candidate = folder + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return name;
}

pid_t StartChildProcess(const std::vector<std::string>& argv, const std::vector<StreamPlan>& streams,
                        const std::vector<int>& defaults, bool own_session, int& error) {
  const std::string program = ProgramOnPath(argv[0]);
  std::vector<char*> raw;
  for (const std::string& arg : argv) raw.push_back(const_cast<char*>(arg.c_str()));
  raw.push_back(nullptr);
  // The child says on this pipe why its program did not start; an exec closes it.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) {
    error = errno;
    return -1;
  }
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (own_session) {
      ::setsid();
    } else if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent) {
      ::_exit(127);  // we died before it knew
    }
    int failure = 0;
    for (const StreamPlan& stream : streams) {
      const int fd = stream.from >= 0 ? stream.from : ::open(stream.path, stream.flags, 0666);
      if (fd < 0 || (fd != stream.target && ::dup2(fd, stream.target) < 0)) failure = errno;
      if (stream.from < 0 && fd >= 0 && fd != stream.target) ::close(fd);
      if (stream.from == stream.target) ::fcntl(fd, F_SETFD, 0);  // kept across the exec
    }
    for (int signal_number : defaults) ::signal(signal_number, SIG_DFL);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    if (failure == 0) {
      ::execve(program.c_str(), raw.data(), environ);
      failure = errno;
    }
    if (::write(report[1], &failure, sizeof failure) < 0) {
    }
    ::_exit(127);
  }
  ::close(report[1]);
  if (pid < 0) {
    error = errno;
    ::close(report[0]);
    return -1;
  }
  int failure = 0;
  ssize_t got;
  while ((got = ::read(report[0], &failure, sizeof failure)) < 0 && errno == EINTR) {
  }
  ::close(report[0]);
  if (got == sizeof failure) {
    int ignored = 0;
    while (::waitpid(pid, &ignored, 0) < 0 && errno == EINTR) {
    }
    error = failure;
    return -1;
  }
  return pid;
}

}  // namespace clipvane
