#include <windows.h>

#include <algorithm>
#include <atomic>
#include <mutex>
#include <vector>

#include "platform/signal_relay.h"

namespace clipvane {
namespace {

struct RelayState {
  std::mutex mutex;
  std::vector<HANDLE> jobs;  // the job objects of the children that run now
  std::atomic<int> first{0};
  std::atomic<bool> keep_interrupts{false};
};

// A console handler is called with no context of ours: it reaches the one relay of the
// process through this, which the relay sets while it lives.
std::atomic<RelayState*> g_relay{nullptr};

// Ctrl+C and Ctrl+Break reach the children on our console by themselves: we stay to
// collect how they ended. When the console closes or the user logs off, this process
// is ended after the handler, and the children are ended with it right away.
BOOL WINAPI OnConsoleControl(DWORD event) {
  RelayState* relay = g_relay.load();
  if (!relay) return FALSE;
  std::lock_guard<std::mutex> lock(relay->mutex);
  int none = 0;
  if (event == CTRL_C_EVENT && relay->keep_interrupts) {
    relay->first.compare_exchange_strong(none, 2);
    return TRUE;
  }
  // With no child running the event takes its usual course.
  if (relay->jobs.empty()) return FALSE;
  // Told as the POSIX signal numbers are: 2 for an interrupt, 15 for the rest.
  relay->first.compare_exchange_strong(none, event == CTRL_C_EVENT ? 2 : 15);
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) return TRUE;
  for (HANDLE job : relay->jobs) TerminateJobObject(job, STATUS_CONTROL_C_EXIT);
  return FALSE;
}

}  // namespace

struct SignalRelay::Impl : RelayState {};

SignalRelay::SignalRelay() : impl_(std::make_unique<Impl>()) {
  g_relay.store(impl_.get());
  SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

SignalRelay::~SignalRelay() {
  SetConsoleCtrlHandler(OnConsoleControl, FALSE);
  g_relay.store(nullptr);
}

int SignalRelay::FirstSignal() const { return impl_->first.load(); }

void SignalRelay::KeepInterrupts() { impl_->keep_interrupts = true; }

// A child is put into its job before it runs a single instruction, so nothing is lost
// between its start and its entry here.
void SignalRelay::Starting() {}
void SignalRelay::Abandon() {}

void SignalRelay::Add(Target target) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  impl_->jobs.push_back(reinterpret_cast<HANDLE>(target));
}

void SignalRelay::Remove(Target target) {
  std::lock_guard<std::mutex> lock(impl_->mutex);
  const auto at = std::find(impl_->jobs.begin(), impl_->jobs.end(), reinterpret_cast<HANDLE>(target));
  if (at != impl_->jobs.end()) impl_->jobs.erase(at);
}

}  // namespace clipvane
