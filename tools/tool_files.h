#pragma once
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace clipvane::tools {

// The tools carry every path as UTF-8 text, whatever the platform: on Windows their
// arguments arrive as UTF-16 and are converted once, and files are opened through
// wide names made from this text, so no name is lost to the ANSI code page.
std::filesystem::path FsPath(const std::string& utf8);
std::string Utf8Path(const std::filesystem::path& path);

bool IsFile(const std::string& path);
std::optional<std::string> ReadWholeFile(const std::string& path);
bool WriteWholeFile(const std::string& path, const std::string& bytes);

// Renames `from` over `to`, replacing it in one step; false, with the system's reason
// in `why` when given, when it cannot.
bool MoveOver(const std::string& from, const std::string& to, std::string* why = nullptr);

// A name for a new file beside `target` that no file has yet: ".<name>.<random>".
std::string UniqueNameBeside(const std::string& target);

// An environment variable as UTF-8 text; empty when unset.
std::string EnvironmentValue(const char* name);

// A private folder under the system's temporary folder, removed with its contents on
// destruction.
class TempFolder {
 public:
  explicit TempFolder(const std::string& prefix);
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  // Path of a file inside the folder.
  std::string File(const std::string& name) const;
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

// Reads a file front to back in large blocks, for parsers that look a little ahead.
class BlockReader {
 public:
  explicit BlockReader(const std::string& path);
  bool IsOpen() const { return static_cast<bool>(in_); }
  std::uint64_t Position() const { return position_; }
  // At least `count` bytes from the current position, unless the file ends first:
  // then what is left. The pointer holds until the next call.
  const unsigned char* Peek(std::size_t count, std::size_t& available);
  void Skip(std::size_t count);
  void Seek(std::uint64_t position);

 private:
  std::ifstream in_;
  std::vector<unsigned char> buffer_;
  std::size_t begin_ = 0, end_ = 0;  // the unread part of the buffer
  std::uint64_t position_ = 0;
};

// Writes a file in large blocks, however small the pieces handed to it, straight
// through the system's calls, so that a failure keeps the system's reason.
class BlockWriter {
 public:
  explicit BlockWriter(const std::string& path);
  ~BlockWriter();
  BlockWriter(const BlockWriter&) = delete;
  BlockWriter& operator=(const BlockWriter&) = delete;
  void Write(const void* data, std::size_t size);
  void Write(const std::string& bytes) { Write(bytes.data(), bytes.size()); }
  // Writes what is left and closes the file: false when anything failed.
  bool Close();
  // Why the first failure happened ("No space left on device"), or empty.
  const std::string& Error() const { return error_; }

 private:
  void Flush();
  void Fail();

  std::intptr_t file_ = -1;  // the descriptor, or the Windows handle
  std::string pending_;
  std::string error_;
};

}  // namespace clipvane::tools
