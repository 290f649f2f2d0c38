#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace clipvane {

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
  // of our terminal reaches it, and none is passed on to it.
  bool own_session = false;
  // With own_session (POSIX): our SIGINT, SIGTERM and SIGHUP are still passed on, to
  // the whole session, so that a script and every tool it runs stop together.
  bool signals_to_session = false;
};

// Child processes started together and waited for together, such as the two encodes
// of one job side by side. Arguments are UTF-8 text on every platform; a program
// named without a folder is looked up on PATH. Each child reads the null device,
// unless the child started before it sends its output there (ToNextChild).
//
// While children run, SIGINT, SIGTERM and SIGHUP sent to this process are passed on
// to them (POSIX); on Windows they share our console, so they get Ctrl+C themselves,
// and they sit in a job object that ends them when this process ends. Either way
// stopping a tool never leaves an orphaned encoder behind.
class ChildProcesses {
 public:
  ChildProcesses();
  // Ends the children that are still running and collects them.
  ~ChildProcesses();
  ChildProcesses(const ChildProcesses&) = delete;
  ChildProcesses& operator=(const ChildProcesses&) = delete;

  // Starts a child; returns its number, counted from 0 in start order. A child that
  // cannot start says why on our stderr and has status 127.
  std::size_t Start(const std::vector<std::string>& argv, ChildStreams streams = {});

  // Delivers the children's output, on this thread and one piece at a time, until
  // every child has ended; then returns their exit statuses in start order: the
  // status the child gave, 128 + the signal that ended it (POSIX), or 127.
  std::vector<int> WaitAll();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Starts one child and waits for it; its status as WaitAll gives it.
int RunChild(const std::vector<std::string>& argv, ChildStreams streams = {});

// The first signal passed on to children since this process started, or 0.
int SignalPassedOn();

// Runs a helper and returns its stdout when it exits with 0; its stderr is ours.
std::optional<std::string> CaptureOutput(const std::vector<std::string>& argv);

// Starts a program in a session of its own and does not wait for it, as the desktop
// opens a file. Its output and errors go to `output_file` (UTF-8, as the arguments),
// made afresh, or nowhere when that is empty. False when it could not be started.
bool StartDetached(const std::vector<std::string>& argv, const std::string& output_file = {});

// The full path of `name` (with ".exe" on Windows) when it lies beside the running
// program, otherwise `name` as it is, for a lookup on PATH. The stand-in tools find
// the FFmpeg programs of their release folder this way.
std::string ProgramBesideThisOne(const std::string& name);

}  // namespace clipvane
