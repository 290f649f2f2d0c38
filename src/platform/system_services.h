#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace clipvane {

// The full path of the running executable (never the current folder).
std::string ExecutablePath();

// The system's fonts folder, without a trailing separator; empty when the shell
// cannot name it.
std::string FontsFolder();

// The user's own data folder, without a trailing separator, where a program installed
// for the whole system keeps what it writes: $XDG_DATA_HOME when that is an absolute
// path, else ~/.local/share. Empty on Windows, where the program keeps everything
// beside itself, and when neither is known.
std::string UserDataFolder();

// True when this process may create files in the folder.
bool CanWriteInFolder(const std::string& folder);

struct ProcessEntry {
  std::uint32_t id = 0;
  std::string exe_name;  // file name of the executable, without folder
  std::uint32_t parent_id = 0;
  // Its command line, the arguments joined by blanks (UTF-8 on Windows, bytes on
  // Linux), when it could be read.
  std::optional<std::string> command_line;
};

class ProcessList {
 public:
  virtual ~ProcessList() = default;
  // Every running process; empty when the list cannot be read.
  virtual std::vector<ProcessEntry> Snapshot() const = 0;
  virtual std::uint32_t OwnProcessId() const = 0;
};

class Sleeper {
 public:
  virtual ~Sleeper() = default;
  virtual void SleepMilliseconds(unsigned milliseconds) = 0;
};

// Powering off and suspending the computer. Failures are silent by design: the
// caller runs unattended at the end of a batch.
class PowerControl {
 public:
  virtual ~PowerControl() = default;
  virtual void PowerOff() = 0;
  virtual void Suspend() = 0;
};

// Whether the process with that id runs now (one that has ended but is not yet
// collected runs no more); false for 0.
bool ProcessIsAlive(std::uint32_t id);

// The id of the process that started this one, or 0 when it cannot be told.
std::uint32_t ParentProcessId();

// A process as the system knows it for its whole life: its id together with when it
// started, so that another process given the same id later (after a crash or a
// reboot) is never taken for it.
struct ProcessIdentity {
  std::uint32_t id = 0;
  std::string started;  // the system's word for its start; empty when not known
  bool operator==(const ProcessIdentity& other) const { return id == other.id && started == other.started; }
  bool operator!=(const ProcessIdentity& other) const { return !(*this == other); }
};

// The process with that id as it runs now; nothing when none runs under it (or it has
// ended and is not collected yet) or it is not ours to look at.
std::optional<ProcessIdentity> IdentifyProcess(std::uint32_t id);

// Whether that very process still runs: one of that id that started then. False when
// its start is not known.
bool IsRunning(const ProcessIdentity& process);

// This process, and the one that started it ({} when it cannot be told).
ProcessIdentity OwnProcess();
ProcessIdentity ParentProcess();

ProcessList& NativeProcessList();
Sleeper& NativeSleeper();
PowerControl& NativePowerControl();

}  // namespace clipvane
