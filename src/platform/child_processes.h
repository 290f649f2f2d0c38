#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/expected.h"
#include "platform/launch_failure.h"

namespace clipvane {

class SignalRelay;

// Receives a child's output as it arrives, in pieces of any size.
using OutputReader = std::function<void(const std::string& chunk)>;

// What becomes of one output stream of a child.
struct OutputRoute {
  // kToNextChild: through a pipe into the standard input of the next child started
  // by the same ChildProcesses, as a shell pipeline would have it.
  enum class Kind { kInherit, kDiscard, kDeliver, kToNextChild };
  Kind kind = Kind::kInherit;
  OutputReader reader;  // kDeliver only
};

inline OutputRoute Inherited() { return {}; }
inline OutputRoute Discarded() { return {OutputRoute::Kind::kDiscard, nullptr}; }
inline OutputRoute DeliveredTo(OutputReader reader) { return {OutputRoute::Kind::kDeliver, std::move(reader)}; }
inline OutputRoute ToNextChild() { return {OutputRoute::Kind::kToNextChild, nullptr}; }

struct ChildStreams {
  OutputRoute output;  // stdout
  OutputRoute errors;  // stderr
  // In a session (POSIX) or process group (Windows) of its own: no signal of ours or
  // of our terminal reaches it by itself, and it is not ended with us.
  bool own_session = false;
  // With own_session (POSIX): the relay's signals are still passed on, to the whole
  // session, so that a script and every tool it runs stop together.
  bool signals_to_session = false;
};

// Child processes started together and waited for together, such as the two encodes
// of one job side by side. Arguments are UTF-8 text on every platform; a program
// named without a folder is looked up on PATH. Each child reads the null device,
// unless the child started before it sends its output there (ToNextChild).
//
// Children not in a session of their own end with this process, however it ends (the
// parent-death signal on POSIX, a job object on Windows). With a SignalRelay they are
// also told of our interrupt, stop or hang-up, so that they end as when stopped.
class ChildProcesses {
 public:
  explicit ChildProcesses(SignalRelay* relay = nullptr);
  // Ends the children that are still running and collects them.
  ~ChildProcesses();
  ChildProcesses(const ChildProcesses&) = delete;
  ChildProcesses& operator=(const ChildProcesses&) = delete;

  // Starts a child; returns its number, counted from 0 in start order, or why it did
  // not start. One that did not start keeps its number, with status 127.
  Expected<std::size_t, LaunchFailure> Start(const std::vector<std::string>& argv, ChildStreams streams = {});

  // Delivers the children's output, on this thread and one piece at a time, until
  // every child has ended; then returns their exit statuses in start order: the
  // status the child gave, 128 + the signal that ended it (POSIX), or 127.
  std::vector<int> WaitAll();

  // As WaitAll, asking `stop_wanted` every `interval_ms` while output is delivered,
  // however quiet the children are. Once it says yes, the children are ended with whatever they started
  // (their job object on Windows; each one, or its session, on POSIX, killed outright
  // when a polite stop has not ended it within a few seconds) and collected.
  std::vector<int> WaitAll(const std::function<bool()>& stop_wanted, unsigned interval_ms);

  // The process id of a child that was started and is not yet collected, or 0.
  std::uint32_t ProcessId(std::size_t child) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Starts one child and waits for it: its status as WaitAll gives it, or why it did not
// start.
Expected<int, LaunchFailure> RunChild(const std::vector<std::string>& argv, ChildStreams streams = {},
                                      SignalRelay* relay = nullptr);

// Runs a helper and returns its stdout when it exits with 0; its stderr is ours.
// Nothing when it fails or does not start.
std::optional<std::string> CaptureOutput(const std::vector<std::string>& argv);

// The full path of `name` (with ".exe" on Windows) when it lies beside the running
// program, otherwise `name` as it is, for a lookup on PATH. The stand-in tools find
// the FFmpeg programs of their release folder this way.
std::string ProgramBesideThisOne(const std::string& name);

}  // namespace clipvane
