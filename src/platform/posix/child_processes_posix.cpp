#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/child_processes.h"
#include "platform/posix/child_start_posix.h"
#include "platform/signal_relay.h"
#include "platform/system_services.h"

namespace clipvane {
namespace {

constexpr int kRelayedSignals[] = {SIGINT, SIGTERM, SIGHUP};

int StatusOf(pid_t child) {
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) return 127;
  }
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return 127;
}

void CloseEnd(int& end) {
  if (end >= 0) ::close(end);
  end = -1;
}

LaunchFailure Failed(const std::string& program, int error) { return {program, std::strerror(error)}; }

}  // namespace

struct ChildProcesses::Impl {
  struct Child {
    pid_t pid = -1;
    pid_t stopped_by = 0;  // what a stop is sent to: pid, -pid for its whole session, or 0 for none
    pid_t relayed_to = 0;  // the same, while the relay knows it
    int status = 127;
    int read_ends[2] = {-1, -1};  // stdout, stderr
    OutputReader readers[2];
  };
  SignalRelay* relay = nullptr;
  std::vector<Child> children;
  int next_input = -1;  // the read end of a pipe that the next child started reads

  // Ends every child not yet collected: each one, or the session it leads.
  void End(int signal) {
    for (const Child& child : children)
      if (child.pid > 0) ::kill(child.stopped_by != 0 ? child.stopped_by : -child.pid, signal);
  }

  void Reap(Child& child) {
    if (child.pid <= 0) return;
    child.status = StatusOf(child.pid);
    if (child.relayed_to != 0) relay->Remove(child.relayed_to);
    child.pid = -1;
  }
};

ChildProcesses::ChildProcesses(SignalRelay* relay) : impl_(std::make_unique<Impl>()) { impl_->relay = relay; }

ChildProcesses::~ChildProcesses() {
  CloseEnd(impl_->next_input);
  for (Impl::Child& child : impl_->children) {
    for (int& end : child.read_ends) CloseEnd(end);
    // A child in a session of its own is meant to outlive us, unless our signals are
    // its too.
    if (child.pid <= 0 || child.stopped_by == 0) continue;
    ::kill(child.stopped_by, SIGTERM);
    impl_->Reap(child);
  }
}

Expected<std::size_t, LaunchFailure> ChildProcesses::Start(const std::vector<std::string>& argv, ChildStreams streams) {
  impl_->children.emplace_back();
  Impl::Child& child = impl_->children.back();
  const std::size_t number = impl_->children.size() - 1;
  // Taken by this child whatever becomes of it, so that a later child never reads
  // what was meant for this one.
  int input = impl_->next_input;
  impl_->next_input = -1;
  if (argv.empty()) {
    CloseEnd(input);
    return MakeUnexpected(LaunchFailure{"", "no program named"});
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
      const LaunchFailure failure{argv[0], std::string("no pipe: ") + std::strerror(errno)};
      for (int& end : write_ends) CloseEnd(end);
      for (int& end : child.read_ends) CloseEnd(end);
      for (int& end : to_next) CloseEnd(end);
      CloseEnd(input);
      return MakeUnexpected(failure);
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
  // Told first, the relay passes a signal that comes while the child starts on to it
  // once it runs.
  SignalRelay* relay = streams.own_session && !streams.signals_to_session ? nullptr : impl_->relay;
  if (relay) relay->Starting();
  // The child starts with the relayed signals let through and at their default actions.
  const pid_t pid =
      StartChildProcess(argv, plan, std::vector<int>(std::begin(kRelayedSignals), std::end(kRelayedSignals)),
                        streams.own_session, spawn_error);
  if (pid > 0) {
    child.pid = pid;
    // A session leader leads a process group of its own number.
    if (!streams.own_session || streams.signals_to_session) child.stopped_by = streams.own_session ? -pid : pid;
    if (relay) {
      child.relayed_to = child.stopped_by;
      relay->Add(child.relayed_to);
    }
  } else if (relay) {
    relay->Abandon();
  }
  for (int& end : write_ends) CloseEnd(end);
  CloseEnd(input);
  // Only the child holds the writing end now: the next child sees the end of its
  // input when this one ends, or at once when it never started.
  CloseEnd(to_next[1]);
  impl_->next_input = to_next[0];
  if (spawn_error != 0) {
    for (int& end : child.read_ends) CloseEnd(end);
    return MakeUnexpected(Failed(argv[0], spawn_error));
  }
  return number;
}

std::vector<int> ChildProcesses::WaitAll() { return WaitAll(nullptr, 0); }

std::vector<int> ChildProcesses::WaitAll(const std::function<bool()>& stop_wanted, unsigned interval_ms) {
  using Clock = std::chrono::steady_clock;
  CloseEnd(impl_->next_input);
  std::optional<Clock::time_point> stopped;  // when the children were asked to end
  bool killed = false;
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
    const bool asking = stop_wanted && !killed;
    const int ready = ::poll(ends.data(), ends.size(), asking ? static_cast<int>(interval_ms) : -1);
    if (asking && !stopped && stop_wanted()) {
      stopped = Clock::now();
      impl_->End(SIGTERM);
    } else if (stopped && !killed && Clock::now() - *stopped > std::chrono::seconds(3)) {
      killed = true;
      impl_->End(SIGKILL);
    }
    if (ready < 0) {
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

std::uint32_t ChildProcesses::ProcessId(std::size_t child) const {
  if (child >= impl_->children.size() || impl_->children[child].pid <= 0) return 0;
  return static_cast<std::uint32_t>(impl_->children[child].pid);
}

std::string ProgramBesideThisOne(const std::string& name) {
  const std::string own = ExecutablePath();
  if (own.empty()) return name;
  const std::string beside = own.substr(0, own.rfind('/') + 1) + name;
  return ::access(beside.c_str(), X_OK) == 0 ? beside : name;
}

}  // namespace clipvane
