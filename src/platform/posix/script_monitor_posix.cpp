// Scripts seen through /proc: a process whose command line is "sh SCRIPT", and the
// file its standard output is open on.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>


#include "platform/posix/proc_entries.h"
#include "platform/script_monitor.h"

namespace clipvane {
namespace {

constexpr std::size_t kTailBytes = 4096;

std::vector<std::string> CommandLine(const std::string& pid) {
  const std::string bytes = ReadProcessFile(pid, "cmdline").value_or("");
  std::vector<std::string> words;
  for (std::size_t start = 0; start < bytes.size();) {
    const std::size_t end = bytes.find('\0', start);
    words.push_back(bytes.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return words;
}

bool IsShell(const std::string& program) {
  const std::string name = program.substr(program.rfind('/') == std::string::npos ? 0 : program.rfind('/') + 1);
  return name == "sh" || name == "dash" || name == "bash";
}

// A script named relative to the folder its sh was started in, made whole.
std::string ScriptPath(const std::string& pid, const std::string& script) {
  if (script[0] == '/') return script;
  char folder[4096];
  const ssize_t n = ::readlink(("/proc/" + pid + "/cwd").c_str(), folder, sizeof folder - 1);
  return n > 0 ? std::string(folder, static_cast<std::size_t>(n)) + "/" + script : script;
}

// The regular file a process's standard output is open on, or empty.
std::string OutputFileOf(const std::string& pid) {
  char target[4096];
  const ssize_t n = ::readlink(("/proc/" + pid + "/fd/1").c_str(), target, sizeof target - 1);
  if (n <= 0 || target[0] != '/') return {};
  const std::string path(target, static_cast<std::size_t>(n));
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) ? path : std::string();
}

class ProcScriptMonitor final : public ScriptMonitor {
 public:
  std::vector<RunningScript> Running() const override {
    std::vector<RunningScript> running;
    ForEachProcessId([&](const std::string& id) {
      const std::vector<std::string> words = CommandLine(id);
      // "sh -c ..." and an interactive sh run no script file.
      if (words.size() < 2 || !IsShell(words[0]) || words[1].empty() || words[1][0] == '-') return;
      running.push_back({ScriptPath(id, words[1]), OutputFileOf(id)});
    });
    return running;
  }

  OutputTail Tail(const std::string& output) const override {
    OutputTail tail;
    const int fd = ::open(output.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return tail;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && st.st_size > 0) {
      const auto size = static_cast<std::uint64_t>(st.st_size);
      const std::uint64_t from = size > kTailBytes ? size - kTailBytes : 0;
      tail.text.resize(static_cast<std::size_t>(size - from));
      const ssize_t n = ::pread(fd, tail.text.data(), tail.text.size(), static_cast<off_t>(from));
      tail.text.resize(n > 0 ? static_cast<std::size_t>(n) : 0);
      tail.end = from + tail.text.size();
    }
    ::close(fd);
    return tail;
  }
};

}  // namespace

ScriptMonitor& NativeScriptMonitor() {
  static ProcScriptMonitor monitor;
  return monitor;
}

}  // namespace clipvane
