#pragma once
#include <optional>
#include <string>

namespace clipvane {

// Files and folders. Paths are ANSI text in the platform's code page.
class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // True for an existing file or folder.
  virtual bool Exists(const std::string& path) const = 0;
  virtual bool IsDirectory(const std::string& path) const = 0;
  // Creates the folder with any missing parents; false when it is not a folder after.
  virtual bool MakeFolders(const std::string& path) = 0;
  virtual std::optional<std::string> ReadWholeFile(const std::string& path) const = 0;
  // Writes the bytes to a temporary file beside `path` and renames it over `path`,
  // so a failed write never leaves a half-written file. Throws PlatformError.
  virtual void ReplaceWholeFile(const std::string& path, const std::string& bytes) = 0;
};

FileSystem& NativeFileSystem();

}  // namespace clipvane
