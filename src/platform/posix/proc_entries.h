#pragma once
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <optional>
#include <string>

namespace clipvane {

// Calls `visit` with the id of every process that /proc lists, as text.
template <typename Visit>
void ForEachProcessId(Visit visit) {
  DIR* proc = ::opendir("/proc");
  if (!proc) return;
  while (const dirent* item = ::readdir(proc)) {
    const std::string id = item->d_name;
    if (!id.empty() && std::isdigit(static_cast<unsigned char>(id[0]))) visit(id);
  }
  ::closedir(proc);
}

// A file of one process in /proc ("cmdline", "stat", "comm"), whole; nothing when the
// process is gone or ends while it is read (stream reads would throw then).
inline std::optional<std::string> ReadProcessFile(const std::string& id, const char* name) {
  const int fd = ::open(("/proc/" + id + "/" + name).c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string bytes;
  char block[4096];
  ssize_t n = 0;
  while ((n = ::read(fd, block, sizeof block)) > 0) bytes.append(block, static_cast<std::size_t>(n));
  ::close(fd);
  if (n < 0) return std::nullopt;
  return bytes;
}

}  // namespace clipvane
