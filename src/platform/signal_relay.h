#pragma once
#include <cstdint>
#include <memory>

namespace clipvane {

// Passes an interrupt, a stop or a hang-up of this process on to the children started
// through it, so that stopping a tool or the command line never leaves an encoder
// working on for no one; and remembers the first one. Made once by the main of each
// program that waits for children (clipvane-cli, the stand-ins) before it starts any
// thread, handed to the ChildProcesses that should relay, and alive until main returns.
//
// POSIX: SIGINT, SIGTERM and SIGHUP are held in every thread and taken by a thread of
// the relay's own, which passes each one on to every child or session it knows, however
// many. With none to pass it on to, a signal does what it did before the relay.
// Windows: Ctrl+C and Ctrl+Break reach the children on our console by themselves; when
// the console closes or the user logs off, the relay ends the children's jobs at once.
class SignalRelay {
 public:
  SignalRelay();
  ~SignalRelay();
  SignalRelay(const SignalRelay&) = delete;
  SignalRelay& operator=(const SignalRelay&) = delete;

  // The first signal passed on (POSIX numbers; on Windows 2 for Ctrl+C and 15 for the
  // rest), or 0.
  int FirstSignal() const;

  // From now on an interrupt (Ctrl+C) is only remembered, for the caller to act on
  // (FirstSignal says 2), with a child or without; a stop or a hang-up keeps its course.
  void KeepInterrupts();

  // For the platform's ChildProcesses. A target is a process id, or minus the id of a
  // session leader for its whole process group (POSIX), or a job object (Windows).
  using Target = std::intptr_t;
  // Before a child is started: a signal that arrives until Add or Abandon is passed on
  // to the child once it is added.
  void Starting();
  void Add(Target target);
  // The child that was Starting did not start.
  void Abandon();
  void Remove(Target target);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace clipvane
