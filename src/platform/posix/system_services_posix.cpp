#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "platform/posix/proc_entries.h"
#include "platform/detached_launch.h"
#include "platform/system_services.h"

namespace clipvane {
namespace {

class ProcProcessList final : public ProcessList {
 public:
  std::vector<ProcessEntry> Snapshot() const override {
    std::vector<ProcessEntry> entries;
    ForEachProcessId([&](const std::string& id) {
      // comm is the name the process was started under: for a script that is the
      // script's own file name, which is how the stand-in tools are seen.
      const std::optional<std::string> comm = ReadProcessFile(id, "comm");
      if (!comm || comm->empty()) return;
      const std::string exe = comm->substr(0, comm->find('\n'));
      ProcessEntry entry;
      entry.id = static_cast<std::uint32_t>(std::stoul(id));
      entry.exe_name = exe;
      // "pid (comm) state ppid ...": the name may hold blanks and parentheses.
      const std::string line = ReadProcessFile(id, "stat").value_or("");
      const std::size_t after_name = line.rfind(')');
      if (after_name == std::string::npos || after_name + 4 >= line.size()) return;
      // A process that has ended but is not collected yet runs no more.
      if (line[after_name + 2] == 'Z' || line[after_name + 2] == 'X') return;
      entry.parent_id = static_cast<std::uint32_t>(std::strtoul(line.c_str() + after_name + 4, nullptr, 10));
      if (std::optional<std::string> cmdline = ReadProcessFile(id, "cmdline")) {
        std::string& words = *cmdline;
        while (!words.empty() && words.back() == '\0') words.pop_back();
        std::replace(words.begin(), words.end(), '\0', ' ');
        entry.command_line = words;
      }
      entries.push_back(std::move(entry));
    });
    return entries;
  }

  std::uint32_t OwnProcessId() const override { return static_cast<std::uint32_t>(::getpid()); }
};

class ThreadSleeper final : public Sleeper {
 public:
  void SleepMilliseconds(unsigned milliseconds) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
};

class SystemctlPowerControl final : public PowerControl {
 public:
  // Started and not waited for, as the Windows shell does.
  // Unattended at the end of a run: nobody to tell when it does not start.
  void PowerOff() override { static_cast<void>(LaunchDetached({"systemctl", "poweroff"})); }
  void Suspend() override { static_cast<void>(LaunchDetached({"systemctl", "suspend"})); }
};

}  // namespace

std::string ExecutablePath() {
  std::string path(4096, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
  path.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
  return path;
}

std::string FontsFolder() { return "/usr/share/fonts"; }

bool ProcessIsAlive(std::uint32_t id) {
  if (id == 0) return false;
  const std::optional<std::string> line = ReadProcessFile(std::to_string(id), "stat");
  const std::size_t after_name = line ? line->rfind(')') : std::string::npos;
  if (after_name == std::string::npos || after_name + 2 >= line->size()) return false;
  const char state = (*line)[after_name + 2];
  return state != 'Z' && state != 'X';
}

std::uint32_t ParentProcessId() { return static_cast<std::uint32_t>(::getppid()); }

std::optional<ProcessIdentity> IdentifyProcess(std::uint32_t id) {
  if (id == 0) return std::nullopt;
  const std::optional<std::string> line = ReadProcessFile(std::to_string(id), "stat");
  const std::size_t after_name = line ? line->rfind(')') : std::string::npos;
  if (after_name == std::string::npos || after_name + 2 >= line->size()) return std::nullopt;
  const char state = (*line)[after_name + 2];
  if (state == 'Z' || state == 'X') return std::nullopt;
  // The start, in clock ticks since boot, is the 20th field after the name; the boot's
  // own id keeps a process of the same id and tick after a reboot apart.
  std::size_t at = after_name + 1;
  for (int field = 0; field < 19 && at != std::string::npos; ++field) at = line->find(' ', at + 1);
  if (at == std::string::npos) return std::nullopt;
  const std::string ticks = line->substr(at + 1, line->find(' ', at + 1) - at - 1);
  static const std::string boot = ReadProcessFile("sys/kernel/random", "boot_id").value_or("").substr(0, 8);
  return ProcessIdentity{id, ticks + "@" + boot};
}

std::string UserDataFolder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + (std::string(home).back() == '/' ? "" : "/") + ".local/share";
  return {};
}

bool CanWriteInFolder(const std::string& folder) { return ::access(folder.c_str(), W_OK | X_OK) == 0; }

ProcessList& NativeProcessList() {
  static ProcProcessList list;
  return list;
}

Sleeper& NativeSleeper() {
  static ThreadSleeper sleeper;
  return sleeper;
}

PowerControl& NativePowerControl() {
  static SystemctlPowerControl power;
  return power;
}

}  // namespace clipvane
