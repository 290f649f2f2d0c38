#include <windows.h>

#include <algorithm>

#include "platform/file_system.h"
#include "platform/platform_error.h"
#include "platform/text_encoding.h"
#include "platform/win32/process_handles_win32.h"

namespace clipvane {
namespace {

// In the program's own text, as the reasons of PlatformError are.
std::string LastErrorText() { return Utf8ToAnsi(SystemMessage(GetLastError())); }

class Win32FileLock final : public FileLock {
 public:
  explicit Win32FileLock(HANDLE file) : file_(file) {}
  ~Win32FileLock() override {
    OVERLAPPED whole{};
    UnlockFileEx(file_, 0, 1, 0, &whole);
    CloseHandle(file_);
  }
  Win32FileLock(const Win32FileLock&) = delete;
  Win32FileLock& operator=(const Win32FileLock&) = delete;

 private:
  HANDLE file_;
};

class Win32FileSystem final : public FileSystem {
 public:
  bool Exists(const std::string& path) const override {
    return !path.empty() && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  bool IsDirectory(const std::string& path) const override {
    const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
  }

  bool MakeFolders(const std::string& path) override {
    if (path.empty()) return false;
    // Each parent in turn; a drive ("C:") or a share root simply fails to be made.
    for (std::size_t sep = path.find_first_of("\\/", 1); sep != std::string::npos;
         sep = path.find_first_of("\\/", sep + 1))
      CreateDirectoryA(path.substr(0, sep).c_str(), nullptr);
    CreateDirectoryA(path.c_str(), nullptr);
    return IsDirectory(path);
  }

  std::optional<std::string> ReadWholeFile(const std::string& path) const override {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes;
    char chunk[65536];
    DWORD n = 0;
    bool ok = true;
    while ((ok = ReadFile(file, chunk, sizeof chunk, &n, nullptr)) && n > 0) bytes.append(chunk, n);
    CloseHandle(file);
    if (!ok) return std::nullopt;
    return bytes;
  }

  FileStamp Stamp(const std::string& path) const override {
    if (path.empty()) return {};
    // Opened for no access at all, so that even a file being written can be told.
    HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    if (!known || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) return {};
    const auto wide = [](DWORD high, DWORD low) { return (static_cast<std::uint64_t>(high) << 32) | low; };
    // FILETIME counts 100 ns from 1601.
    constexpr std::int64_t kFrom1601To1970 = 116444736000000000;
    const auto written =
        static_cast<std::int64_t>(wide(info.ftLastWriteTime.dwHighDateTime, info.ftLastWriteTime.dwLowDateTime));
    return {true, info.dwVolumeSerialNumber, wide(info.nFileIndexHigh, info.nFileIndexLow),
            (written - kFrom1601To1970) * 100, wide(info.nFileSizeHigh, info.nFileSizeLow)};
  }

  std::vector<std::string> FilesIn(const std::string& folder) const override { return ListFolder(folder).files; }

  FolderListing ListFolder(const std::string& folder) const override {
    FolderListing listing;
    const std::string base = folder.empty() || folder.back() == '\\' ? folder : folder + "\\";
    WIN32_FIND_DATAA found{};
    HANDLE search = FindFirstFileA((base + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return listing;
    do {
      const std::string name = found.cFileName;
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) listing.files.push_back(base + name);
      else if (name != "." && name != ".." && !(found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        listing.folders.push_back(base + name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(listing.files.begin(), listing.files.end());
    std::sort(listing.folders.begin(), listing.folders.end());
    return listing;
  }

  std::optional<std::string> ResolvedPath(const std::string& path) const override {
    // Windows itself takes ".." by the text of a path.
    char full[MAX_PATH + 1] = {};
    const DWORD n = path.empty() ? 0 : GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    if (n == 0 || n > MAX_PATH || !Exists(full)) return std::nullopt;
    return std::string(full, n);
  }

  void ReplaceWholeFile(const std::string& path, const std::string& bytes) override {
    const std::string temp = path + ".new";
    HANDLE file = CreateFileA(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) Fail(path);
    DWORD written = 0;
    const bool ok =
        bytes.empty() ||
        (WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) && written == bytes.size());
    const bool flushed = ok && FlushFileBuffers(file);
    CloseHandle(file);
    if (!flushed || !MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      const std::string reason = LastErrorText();
      DeleteFileA(temp.c_str());
      throw PlatformError("Cannot write " + path + ": " + reason);
    }
  }

  bool RemoveFile(const std::string& path) override { return DeleteFileA(path.c_str()) != 0; }

  std::string MakeUniqueTempFile(const std::string& folder, const std::string& prefix) override {
    char path[MAX_PATH + 1] = {};
    if (GetTempFileNameA(folder.c_str(), prefix.c_str(), 0, path) == 0) {
      if (GetLastError() == ERROR_FILE_EXISTS)
        throw PlatformError("No temporary name left in " + folder + ": all 65,535 names " + prefix +
                            "XXXX.tmp are taken");
      throw PlatformError("Cannot make a temporary file in " + folder + ": " + LastErrorText());
    }
    return path;
  }

  std::unique_ptr<FileLock> LockExclusive(const std::string& path) override {
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw PlatformError("Cannot lock " + path + ": " + LastErrorText());
    // The first byte stands for the whole file; LockFileEx waits for it.
    OVERLAPPED first_byte{};
    if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &first_byte)) {
      const std::string reason = LastErrorText();
      CloseHandle(file);
      throw PlatformError("Cannot lock " + path + ": " + reason);
    }
    return std::make_unique<Win32FileLock>(file);
  }

 private:
  [[noreturn]] static void Fail(const std::string& path) {
    throw PlatformError("Cannot write " + path + ": " + LastErrorText());
  }
};

}  // namespace

// A RAM disk is the one local-only storage Windows tells of.
bool OnLocalOnlyStorage(const std::string& folder) {
  char root[MAX_PATH];
  if (!GetVolumePathNameA(folder.c_str(), root, MAX_PATH)) return false;
  return GetDriveTypeA(root) == DRIVE_RAMDISK;
}

FileSystem& NativeFileSystem() {
  static Win32FileSystem files;
  return files;
}

}  // namespace clipvane
