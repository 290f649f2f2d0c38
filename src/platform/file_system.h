#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace clipvane {

// A file as it stood at one moment: a file written again, or replaced by another one
// moved over it, stands otherwise afterwards.
struct FileStamp {
  bool exists = false;           // a file (no folder) stands at the path
  std::uint64_t volume = 0;      // the device or volume it lies on
  std::uint64_t identity = 0;    // its number there: the inode or the file index
  std::int64_t modified_ns = 0;  // its last write, in nanoseconds since 1970
  std::uint64_t size = 0;        // in bytes
  bool operator==(const FileStamp& other) const {
    return exists == other.exists && volume == other.volume && identity == other.identity &&
           modified_ns == other.modified_ns && size == other.size;
  }
  bool operator!=(const FileStamp& other) const { return !(*this == other); }
};

// What a folder holds directly: the full paths of its files and of its folders, each in
// the byte order of their names.
struct FolderListing {
  std::vector<std::string> files;
  std::vector<std::string> folders;
};

// An exclusive lock on a lock file, held until the object goes.
class FileLock {
 public:
  virtual ~FileLock() = default;
};

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
  // How the file at `path` stands now; a folder or nothing at all is no file.
  virtual FileStamp Stamp(const std::string& path) const = 0;
  // The full paths of the files (not the folders) directly in `folder`, in the byte
  // order of their names; empty when it cannot be read.
  virtual std::vector<std::string> FilesIn(const std::string& folder) const = 0;
  // The files and the folders directly in `folder`, without "." and ".."; empty when it
  // cannot be read. A link counts as what it leads to on Linux; on Windows a folder
  // link or junction is left out, since its path does not say where it leads and a
  // walk through it could go round for ever.
  virtual FolderListing ListFolder(const std::string& folder) const = 0;
  // The path as the file system resolves it, every link and ".." followed, when it
  // leads to an existing file or folder; nothing otherwise.
  virtual std::optional<std::string> ResolvedPath(const std::string& path) const = 0;
  // Writes the bytes to a temporary file beside `path` and renames it over `path`,
  // so a failed write never leaves a half-written file. A `path` that is a link is
  // written through: the file it leads to is replaced and the link stays. Throws
  // PlatformError.
  virtual void ReplaceWholeFile(const std::string& path, const std::string& bytes) = 0;
  // Deletes a file; false when there was none or it could not be deleted.
  virtual bool RemoveFile(const std::string& path) = 0;
  // Makes a new, empty file in `folder` named `prefix`, up to four hexadecimal digits
  // and ".tmp", as GetTempFileName does, and returns its full path. Throws
  // PlatformError when none can be made (the folder is missing, say, or every one of
  // the 65,535 names is taken, which it says as such).
  virtual std::string MakeUniqueTempFile(const std::string& folder, const std::string& prefix) = 0;
  // Waits until this process holds the exclusive lock on the file at `path` (made
  // empty when missing), between processes and between open handles of one process
  // alike. Throws PlatformError when the file cannot be opened.
  virtual std::unique_ptr<FileLock> LockExclusive(const std::string& path) = 0;
};

FileSystem& NativeFileSystem();

// Whether `folder` lies on storage only this machine can see (tmpfs, ramfs), which
// another machine of a cluster could never reach, however the folder is shared.
bool OnLocalOnlyStorage(const std::string& folder);

// A file found in a folder that was handed in, or in a folder below it, with that
// folder: where the file lies under it is its place under the folder's name.
struct FoundFile {
  std::string path;
  std::string root;
};

// Walks `root` and every folder below it, depth first: the files of a folder in the
// byte order of their names, then each of its folders in that order, the same way.
// `take` gets each folder's files (perhaps none) as the folder is read, and says
// whether to go on. A folder reached a second time through a link is not read again,
// so a link to a folder above it never makes a loop. False when `take` stopped it.
bool WalkFolder(const FileSystem& files, const std::string& root,
                const std::function<bool(const std::string& folder, const std::vector<FoundFile>& found)>& take);

// The bytes of the file at `path`, or empty when there is none. Throws PlatformError
// when one is there but cannot be read: what a change is merged into is never taken
// for an empty file, which would lose what it held.
std::string ReadFileOrNothing(const FileSystem& files, const std::string& path);

}  // namespace clipvane
