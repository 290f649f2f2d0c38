#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/signal_relay.h"

namespace clipvane {
namespace {

constexpr int kRelayedSignals[] = {SIGINT, SIGTERM, SIGHUP};

sigset_t RelayedSet() {
  sigset_t set;
  sigemptyset(&set);
  for (int signal_number : kRelayedSignals) sigaddset(&set, signal_number);
  return set;
}

}  // namespace

// The signals are taken through a signal descriptor on a thread of the relay's own, so
// that passing them on may lock and walk a list of any length, as no signal handler may.
struct SignalRelay::Impl {
  sigset_t previous_mask;
  int signals = -1;  // the signal descriptor
  int wake = -1;     // an event that ends the thread
  std::thread thread;
  std::mutex mutex;
  std::vector<Target> targets;
  int starting = 0;
  int pending = 0;  // a signal that came while a child was starting
  std::atomic<int> first{0};
  std::atomic<bool> keep_interrupts{false};

  void Run() {
    pollfd ends[2] = {{signals, POLLIN, 0}, {wake, POLLIN, 0}};
    while (true) {
      if (::poll(ends, 2, -1) < 0) {
        if (errno == EINTR) continue;
        return;
      }
      if (ends[1].revents != 0) return;
      signalfd_siginfo info{};
      if (::read(signals, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) continue;
      PassOn(static_cast<int>(info.ssi_signo));
    }
  }

  void PassOn(int signal_number) {
    int none = 0;
    first.compare_exchange_strong(none, signal_number);
    if (signal_number == SIGINT && keep_interrupts) return;
    std::unique_lock<std::mutex> lock(mutex);
    if (starting > 0) pending = signal_number;
    if (targets.empty() && starting == 0) {
      lock.unlock();
      return ActAsWithoutRelay(signal_number);
    }
    for (Target target : targets) ::kill(static_cast<pid_t>(target), signal_number);
  }

  // No child to pass it on to: the signal takes its own course, which for a
  // terminal's interrupt or a stop is the end of this process.
  static void ActAsWithoutRelay(int signal_number) {
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signal_number);
    ::raise(signal_number);
    ::pthread_sigmask(SIG_UNBLOCK, &only, nullptr);
    ::pthread_sigmask(SIG_BLOCK, &only, nullptr);
  }
};

SignalRelay::SignalRelay() : impl_(std::make_unique<Impl>()) {
  const sigset_t relayed = RelayedSet();
  ::pthread_sigmask(SIG_BLOCK, &relayed, &impl_->previous_mask);
  impl_->signals = ::signalfd(-1, &relayed, SFD_CLOEXEC);
  impl_->wake = ::eventfd(0, EFD_CLOEXEC);
  if (impl_->signals < 0 || impl_->wake < 0) {
    // Without its descriptors the relay cannot take the signals: they keep their own
    // course, and children are only ended with us.
    ::pthread_sigmask(SIG_SETMASK, &impl_->previous_mask, nullptr);
    return;
  }
  impl_->thread = std::thread(&Impl::Run, impl_.get());
}

SignalRelay::~SignalRelay() {
  if (impl_->thread.joinable()) {
    const std::uint64_t one = 1;
    if (::write(impl_->wake, &one, sizeof one) == sizeof one) impl_->thread.join();
    else impl_->thread.detach();
  }
  if (impl_->signals >= 0) ::close(impl_->signals);
  if (impl_->wake >= 0) ::close(impl_->wake);
  // A signal that came after the thread ended takes its course now.
  ::pthread_sigmask(SIG_SETMASK, &impl_->previous_mask, nullptr);
}

int SignalRelay::FirstSignal() const { return impl_->first.load(); }

void SignalRelay::KeepInterrupts() { impl_->keep_interrupts = true; }

void SignalRelay::Starting() {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  ++impl_->starting;
}

void SignalRelay::Add(Target target) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->targets.push_back(target);
  if (impl_->starting > 0 && --impl_->starting == 0 && impl_->pending != 0) {
    ::kill(static_cast<pid_t>(target), impl_->pending);
    impl_->pending = 0;
  }
}

void SignalRelay::Abandon() {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  if (impl_->starting > 0 && --impl_->starting == 0 && impl_->pending != 0) {
    // Sent to ourselves again, it now finds no child starting and takes its course.
    if (impl_->targets.empty()) ::kill(::getpid(), impl_->pending);
    impl_->pending = 0;
  }
}

void SignalRelay::Remove(Target target) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  const auto at = std::find(impl_->targets.begin(), impl_->targets.end(), target);
  if (at != impl_->targets.end()) impl_->targets.erase(at);
}

}  // namespace clipvane
