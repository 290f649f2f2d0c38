#pragma once
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/platform_error.h"

namespace clipvane::testing {

// Files kept in memory under any path form, so that Windows-form paths such as
// D:\Conv\ can be written and read on Linux too.
class MemoryFileSystem : public FileSystem {
 public:
  std::map<std::string, std::string> files;
  std::set<std::string> folders;
  std::set<std::string> unwritable;  // paths whose writes fail
  std::set<std::string> unreadable;  // paths whose reads fail

  bool Exists(const std::string& path) const override { return files.count(path) || folders.count(path); }
  bool IsDirectory(const std::string& path) const override { return folders.count(path) > 0; }
  bool MakeFolders(const std::string& path) override {
    if (files.count(path)) return false;
    folders.insert(path);
    return true;
  }
  std::optional<std::string> ReadWholeFile(const std::string& path) const override {
    return files.count(path) && !unreadable.count(path) ? std::optional(files.at(path)) : std::nullopt;
  }
  // A file's bytes stand for its identity.
  FileStamp Stamp(const std::string& path) const override {
    if (!files.count(path)) return {};
    return {true, 0, std::hash<std::string>{}(files.at(path)), 0, files.at(path).size()};
  }
  std::vector<std::string> FilesIn(const std::string& folder) const override { return ListFolder(folder).files; }
  FolderListing ListFolder(const std::string& folder) const override {
    const auto directly_in = [&](const std::string& path) {
      return path.size() > folder.size() + 1 && path.rfind(folder + "\\", 0) == 0 &&
             path.find('\\', folder.size() + 1) == std::string::npos;
    };
    FolderListing listing;
    for (const auto& [path, bytes] : files)
      if (directly_in(path)) listing.files.push_back(path);
    for (const std::string& path : folders)
      if (directly_in(path)) listing.folders.push_back(path);
    return listing;
  }
  std::optional<std::string> ResolvedPath(const std::string& path) const override {
    return Exists(path) ? std::optional(path) : std::nullopt;
  }
  void ReplaceWholeFile(const std::string& path, const std::string& bytes) override {
    if (unwritable.count(path)) throw PlatformError("Cannot write " + path);
    files[path] = bytes;
  }
  bool RemoveFile(const std::string& path) override { return files.erase(path) > 0; }
  std::string MakeUniqueTempFile(const std::string& folder, const std::string&) override {
    if (!folders.count(folder)) throw PlatformError("Cannot make a temporary file in " + folder);
    const std::string path = folder + "\\qv1A2B.tmp";
    files[path] = "";
    return path;
  }
  // One process, one thread: every lock is had at once, and leaves no file.
  std::unique_ptr<FileLock> LockExclusive(const std::string&) override { return std::make_unique<FileLock>(); }
};

}  // namespace clipvane::testing
