#pragma once
#include <filesystem>
#include <optional>
#include <string>

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

}  // namespace clipvane::tools
