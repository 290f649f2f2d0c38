#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/file_system.h"
#include "platform/platform_error.h"

namespace clipvane {
namespace {

class PosixFileLock final : public FileLock {
 public:
  explicit PosixFileLock(int fd) : fd_(fd) {}
  ~PosixFileLock() override { ::close(fd_); }  // closing the file lets go of the lock
  PosixFileLock(const PosixFileLock&) = delete;
  PosixFileLock& operator=(const PosixFileLock&) = delete;

 private:
  int fd_;
};

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
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
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

  FileStamp Stamp(const std::string& path) const override {
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return {};
    return {true, static_cast<std::uint64_t>(st.st_dev), static_cast<std::uint64_t>(st.st_ino),
            std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec, static_cast<std::uint64_t>(st.st_size)};
  }

  std::vector<std::string> FilesIn(const std::string& folder) const override { return ListFolder(folder).files; }

  FolderListing ListFolder(const std::string& folder) const override {
    FolderListing listing;
    DIR* entries = folder.empty() ? nullptr : ::opendir(folder.c_str());
    if (!entries) return listing;
    const std::string base = folder.back() == '/' ? folder : folder + "/";
    while (const dirent* item = ::readdir(entries)) {
      const std::string name = item->d_name;
      if (name == "." || name == "..") continue;
      // The entry's own type spares a look at each of a large folder's files; a link,
      // or a file system that does not tell, is looked at where it leads.
      bool file = item->d_type == DT_REG, folder_entry = item->d_type == DT_DIR;
      if (item->d_type == DT_LNK || item->d_type == DT_UNKNOWN) {
        struct stat st {};
        if (::stat((base + name).c_str(), &st) != 0) continue;
        file = S_ISREG(st.st_mode);
        folder_entry = S_ISDIR(st.st_mode);
      }
      if (file) listing.files.push_back(base + name);
      else if (folder_entry) listing.folders.push_back(base + name);
    }
    ::closedir(entries);
    std::sort(listing.files.begin(), listing.files.end());
    std::sort(listing.folders.begin(), listing.folders.end());
    return listing;
  }

  std::optional<std::string> ResolvedPath(const std::string& path) const override {
    char* resolved = path.empty() ? nullptr : ::realpath(path.c_str(), nullptr);
    if (!resolved) return std::nullopt;
    std::string text = resolved;
    std::free(resolved);
    return text;
  }

  void ReplaceWholeFile(const std::string& path, const std::string& bytes) override {
    const std::string target = ThroughLinks(path);
    // A short name of our own in the same folder: "<name>.XXXXXX" would not fit beside
    // a name that is already nearly as long as a name may be.
    std::string temp = FolderOf(target) + ".cv-XXXXXX";
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
    if (::close(fd) != 0 || !ok || ::rename(temp.c_str(), target.c_str()) != 0) {
      const int error = errno;
      ::unlink(temp.c_str());
      errno = error;
      Fail(path);
    }
  }

  bool RemoveFile(const std::string& path) override { return !IsDirectory(path) && ::unlink(path.c_str()) == 0; }

  std::string MakeUniqueTempFile(const std::string& folder, const std::string& prefix) override {
    // Start from the clock, as GetTempFileName does, and walk on past taken names.
    // The nanoseconds, folded, give every call its own starting point: thousands of
    // names left by earlier jobs then cost a step or two, not a walk through all of them.
    const auto ticks = std::chrono::steady_clock::now().time_since_epoch();
    const auto nanoseconds =
        static_cast<unsigned long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(ticks).count());
    unsigned unique = static_cast<unsigned>((nanoseconds ^ (nanoseconds >> 16) ^ (nanoseconds >> 32)) & 0xFFFF);
    const std::string base = folder.empty() || folder.back() == '/' ? folder : folder + "/";
    for (int attempt = 0; attempt < 0x10000; ++attempt, unique = (unique + 1) & 0xFFFF) {
      if (unique == 0) continue;  // 0 is not a name GetTempFileName makes
      char name[16];
      std::snprintf(name, sizeof name, "%X.tmp", unique);
      const std::string path = base + prefix + name;
      const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
      if (fd >= 0) {
        ::close(fd);
        return path;
      }
      if (errno != EEXIST)
        throw PlatformError("Cannot make a temporary file in " + folder + ": " + std::strerror(errno));
    }
    throw PlatformError("No temporary name left in " + folder + ": all 65,535 names " + prefix + "XXXX.tmp are taken");
  }

  std::unique_ptr<FileLock> LockExclusive(const std::string& path) override {
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) throw PlatformError("Cannot lock " + path + ": " + std::strerror(errno));
    // flock belongs to the open file, so two opens in one process exclude each other too.
    while (::flock(fd, LOCK_EX) != 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      ::close(fd);
      throw PlatformError("Cannot lock " + path + ": " + std::strerror(error));
    }
    return std::make_unique<PosixFileLock>(fd);
  }

 private:
  static std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  }

  // The file a chain of links ends at, which need not exist yet; `path` itself when
  // it is no link.
  static std::string ThroughLinks(std::string path) {
    for (int hops = 0; hops < 40; ++hops) {
      struct stat st {};
      if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) break;
      std::string target(4096, '\0');
      const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
      if (n <= 0) break;
      target.resize(static_cast<std::size_t>(n));
      path = target[0] == '/' ? target : FolderOf(path) + target;
    }
    return path;
  }

  [[noreturn]] static void Fail(const std::string& path) {
    throw PlatformError("Cannot write " + path + ": " + std::strerror(errno));
  }
};

}  // namespace

bool OnLocalOnlyStorage(const std::string& folder) {
  constexpr long kTmpfs = 0x01021994, kRamfs = 0x858458f6;
  struct statfs about {};
  if (::statfs(folder.c_str(), &about) != 0) return false;
  return about.f_type == kTmpfs || about.f_type == kRamfs;
}

FileSystem& NativeFileSystem() {
  static PosixFileSystem files;
  return files;
}

}  // namespace clipvane
