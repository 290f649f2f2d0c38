#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/file_system.h"
#include "platform/platform_error.h"

namespace clipvane {
namespace {

class PosixFileSystem final : public FileSystem {
 public:
  bool Exists(const std::string& path) const override {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
  }

  bool IsDirectory(const std::string& path) const override {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
  }

  bool MakeFolders(const std::string& path) override {
    if (path.empty()) return false;
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1))
      ::mkdir(path.substr(0, slash).c_str(), 0777);
    ::mkdir(path.c_str(), 0777);
    return IsDirectory(path);
  }

  std::optional<std::string> ReadWholeFile(const std::string& path) const override {
    if (IsDirectory(path)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return bytes.str();
  }

  void ReplaceWholeFile(const std::string& path, const std::string& bytes) override {
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0) Fail(path);
    // mkstemp makes the file private; a replaced file keeps the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
    std::size_t written = 0;
    while (written < bytes.size()) {
      const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      written += static_cast<std::size_t>(n);
    }
    const bool ok = written == bytes.size() && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !ok || ::rename(temp.c_str(), path.c_str()) != 0) {
      const int error = errno;
      ::unlink(temp.c_str());
      errno = error;
      Fail(path);
    }
  }

 private:
  [[noreturn]] static void Fail(const std::string& path) {
    throw PlatformError("Cannot write " + path + ": " + std::strerror(errno));
  }
};

}  // namespace

FileSystem& NativeFileSystem() {
  static PosixFileSystem files;
  return files;
}

}  // namespace clipvane
