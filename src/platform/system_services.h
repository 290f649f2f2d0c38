#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace clipvane {

// The full path of the running executable (never the current folder).
std::string ExecutablePath();

// The system's fonts folder, without a trailing separator; empty when the shell
// cannot name it.
std::string FontsFolder();

struct ProcessEntry {
  std::uint32_t id = 0;
  std::string exe_name;  // file name of the executable, without folder
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

ProcessList& NativeProcessList();
Sleeper& NativeSleeper();
PowerControl& NativePowerControl();

}  // namespace clipvane
