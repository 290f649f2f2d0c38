#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>

#include "platform/posix/child_start_posix.h"
#include "platform/process.h"
#include "platform/system_services.h"

extern char** environ;

namespace clipvane {
namespace {

constexpr int kRelayedSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kRelayedCount = sizeof kRelayedSignals / sizeof kRelayedSignals[0];

// The children that signals are passed on to. A signal handler can reach nothing but
// lock-free atomics, so they sit in a fixed table; a child beyond it is not relayed to.
constexpr std::size_t kRelaySlots = 64;
// A negative entry stands for the process group of a session leader.
std::atomic<pid_t> g_relay_pids[kRelaySlots];
static_assert(std::atomic<pid_t>::is_always_lock_free);
std::atomic<int> g_first_signal{0};

void PassSignalOn(int signal_number) {
  const int saved_errno = errno;
  int none = 0;
  g_first_signal.compare_exchange_strong(none, signal_number);
  for (const std::atomic<pid_t>& slot : g_relay_pids) {
    const pid_t child = slot.load();
    if (child != 0) ::kill(child, signal_number);
  }
  errno = saved_errno;
}

// The handlers are ours while any child runs, and the earlier ones come back after.
class SignalRelay {
 public:
  static void Add(pid_t child) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (users_++ == 0) {
      struct sigaction action {};
      action.sa_handler = PassSignalOn;
      sigemptyset(&action.sa_mask);
      for (int i = 0; i < kRelayedCount; ++i) ::sigaction(kRelayedSignals[i], &action, &previous_[i]);
    }
    for (std::atomic<pid_t>& slot : g_relay_pids) {
      pid_t empty = 0;
      if (slot.compare_exchange_strong(empty, child)) break;
    }
  }

  static void Remove(pid_t child) {
    std::lock_guard<std::mutex> lock(mutex_);
    for (std::atomic<pid_t>& slot : g_relay_pids) {
      pid_t expected = child;
      if (slot.compare_exchange_strong(expected, 0)) break;
    }
    if (--users_ == 0) {
      for (int i = 0; i < kRelayedCount; ++i) ::sigaction(kRelayedSignals[i], &previous_[i], nullptr);
    }
  }

 private:
  static inline std::mutex mutex_;
  static inline int users_ = 0;
  static inline struct sigaction previous_[kRelayedCount];
};

// The relayed signals held back while a child is started and entered in the table, so
// that one arriving in between reaches the child once it is known.
class HeldSignals {
 public:
  HeldSignals() {
    sigset_t held;
    sigemptyset(&held);
    for (int signal_number : kRelayedSignals) sigaddset(&held, signal_number);
    ::pthread_sigmask(SIG_BLOCK, &held, &previous_);
  }
  ~HeldSignals() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  HeldSignals(const HeldSignals&) = delete;
  HeldSignals& operator=(const HeldSignals&) = delete;

 private:
  sigset_t previous_;
};

int StatusOf(pid_t child) {
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return 127;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return 127;
}

// Detached children are collected without waiting whenever another one starts, so
// none lingers as a zombie for long.
std::mutex g_detached_mutex;
std::vector<pid_t> g_detached;

void ReapDetached() {
  std::lock_guard<std::mutex> lock(g_detached_mutex);
  for (std::size_t i = 0; i < g_detached.size();) {
    if (::waitpid(g_detached[i], nullptr, WNOHANG) != 0) {
      g_detached.erase(g_detached.begin() + static_cast<std::ptrdiff_t>(i));
    } else {
      ++i;
    }
  }
}

// The vector that posix_spawn takes; it points into `argv`.
std::vector<char*> RawArgv(const std::vector<std::string>& argv) {
  std::vector<char*> raw;
  for (const std::string& arg : argv) raw.push_back(const_cast<char*>(arg.c_str()));
  raw.push_back(nullptr);
  return raw;
}

void CloseEnd(int& end) {
  if (end >= 0) ::close(end);
  end = -1;
}

}  // namespace

struct ChildProcesses::Impl {
  struct Child {
    pid_t pid = -1;
    pid_t relayed_to = 0;  // pid, -pid for its whole session, or 0 when not relayed
    int status = 127;
    int read_ends[2] = {-1, -1};  // stdout, stderr
    OutputReader readers[2];
  };
  std::vector<Child> children;
  int next_input = -1;  // the read end of a pipe that the next child started reads

  void Reap(Child& child) {
    if (child.pid <= 0) return;
    child.status = StatusOf(child.pid);
    if (child.relayed_to != 0) SignalRelay::Remove(child.relayed_to);
    child.pid = -1;
  }
};

ChildProcesses::ChildProcesses() : impl_(std::make_unique<Impl>()) {}

ChildProcesses::~ChildProcesses() {
  CloseEnd(impl_->next_input);
  for (Impl::Child& child : impl_->children) {
    for (int& end : child.read_ends) CloseEnd(end);
    // A child in a session of its own is meant to outlive us.
    if (child.pid <= 0 || child.relayed_to == 0) continue;
    ::kill(child.relayed_to, SIGTERM);
    impl_->Reap(child);
  }
}

std::size_t ChildProcesses::Start(const std::vector<std::string>& argv, ChildStreams streams) {
  impl_->children.emplace_back();
  Impl::Child& child = impl_->children.back();
  const std::size_t number = impl_->children.size() - 1;
  // Taken by this child whatever becomes of it, so that a later child never reads
  // what was meant for this one.
  int input = impl_->next_input;
  impl_->next_input = -1;
  if (argv.empty()) {
    CloseEnd(input);
    std::fprintf(stderr, "cannot start a program without a name\n");
    return number;
  }
  std::vector<StreamPlan> plan;
  if (input >= 0) {
    plan.push_back({0, input, nullptr, 0});
  } else {
    plan.push_back({0, -1, "/dev/null", O_RDONLY});
  }
  int write_ends[2] = {-1, -1};
  int to_next[2] = {-1, -1};  // read and write end of the pipe into the next child
  const OutputRoute* routes[2] = {&streams.output, &streams.errors};
  for (int stream = 0; stream < 2; ++stream) {
    const OutputRoute& route = *routes[stream];
    if (route.kind == OutputRoute::Kind::kDiscard) {
      plan.push_back({stream + 1, -1, "/dev/null", O_WRONLY});
      continue;
    }
    if (route.kind != OutputRoute::Kind::kDeliver && route.kind != OutputRoute::Kind::kToNextChild) continue;
    const bool to_next_child = route.kind == OutputRoute::Kind::kToNextChild;
    int ends[2] = {-1, -1};
    if (to_next_child && to_next[1] >= 0) {
      ends[1] = to_next[1];  // both streams into the one pipe
    } else if (::pipe2(ends, O_CLOEXEC) != 0) {
      std::fprintf(stderr, "cannot start %s: no pipe: %s\n", argv[0].c_str(), std::strerror(errno));
      for (int& end : write_ends) CloseEnd(end);
      for (int& end : child.read_ends) CloseEnd(end);
      for (int& end : to_next) CloseEnd(end);
      CloseEnd(input);
      return number;
    }
    if (to_next_child) {
      if (to_next[1] < 0) {
        to_next[0] = ends[0];
        to_next[1] = ends[1];
      }
    } else {
      child.read_ends[stream] = ends[0];
      write_ends[stream] = ends[1];
      child.readers[stream] = route.reader;
    }
    plan.push_back({stream + 1, ends[1], nullptr, 0});
  }

  int spawn_error = 0;
  {
    HeldSignals held;
    // The child starts with our held signals unblocked and their default actions.
    const pid_t pid = StartChildProcess(
        argv, plan, std::vector<int>(std::begin(kRelayedSignals), std::end(kRelayedSignals)), streams.own_session,
        spawn_error);
    if (pid > 0) {
      child.pid = pid;
      if (!streams.own_session) {
        child.relayed_to = pid;
      } else if (streams.signals_to_session) {
        child.relayed_to = -pid;  // a session leader leads a process group of its own number
      }
      if (child.relayed_to != 0) SignalRelay::Add(child.relayed_to);
    }
  }
  for (int& end : write_ends) CloseEnd(end);
  CloseEnd(input);
  // Only the child holds the writing end now: the next child sees the end of its
  // input when this one ends, or at once when it never started.
  CloseEnd(to_next[1]);
  impl_->next_input = to_next[0];
  if (spawn_error != 0) {
    for (int& end : child.read_ends) CloseEnd(end);
    std::fprintf(stderr, "cannot start %s: %s\n", argv[0].c_str(), std::strerror(spawn_error));
  }
  return number;
}

std::vector<int> ChildProcesses::WaitAll() {
  CloseEnd(impl_->next_input);
  struct Watched {
    Impl::Child* child;
    int stream;
  };
  char buffer[4096];
  while (true) {
    std::vector<pollfd> ends;
    std::vector<Watched> owners;
    for (Impl::Child& child : impl_->children) {
      for (int stream = 0; stream < 2; ++stream) {
        if (child.read_ends[stream] < 0) continue;
        ends.push_back({child.read_ends[stream], POLLIN, 0});
        owners.push_back({&child, stream});
      }
    }
    if (ends.empty()) break;
    if (::poll(ends.data(), ends.size(), -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (std::size_t i = 0; i < ends.size(); ++i) {
      if (ends[i].revents == 0) continue;
      Impl::Child& child = *owners[i].child;
      int& end = child.read_ends[owners[i].stream];
      const ssize_t got = ::read(end, buffer, sizeof buffer);
      if (got > 0) {
        child.readers[owners[i].stream](std::string(buffer, static_cast<std::size_t>(got)));
      } else if (got == 0 || errno != EINTR) {
        // Closed: the child and whatever it started have let go of the stream.
        CloseEnd(end);
      }
    }
  }
  // A stream that failed to poll is given up; the children are still collected.
  std::vector<int> statuses;
  for (Impl::Child& child : impl_->children) {
    for (int& end : child.read_ends) CloseEnd(end);
    impl_->Reap(child);
    statuses.push_back(child.status);
  }
  return statuses;
}

int SignalPassedOn() { return g_first_signal.load(); }

bool StartDetached(const std::vector<std::string>& argv, const std::string& output_file) {
  if (argv.empty()) return false;
  ReapDetached();
  std::vector<char*> raw = RawArgv(argv);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (output_file.empty()) {
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  } else {
    // A file that cannot be made fails the start itself.
    posix_spawn_file_actions_addopen(&actions, 1, output_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  }
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSID);
  pid_t pid = -1;
  const bool started = ::posix_spawnp(&pid, raw[0], &actions, &attributes, raw.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  if (started) {
    std::lock_guard<std::mutex> lock(g_detached_mutex);
    g_detached.push_back(pid);
  }
  return started;
}

std::string ProgramBesideThisOne(const std::string& name) {
  const std::string own = ExecutablePath();
  if (own.empty()) return name;
  const std::string beside = own.substr(0, own.rfind('/') + 1) + name;
  return ::access(beside.c_str(), X_OK) == 0 ? beside : name;
}

}  // namespace clipvane
