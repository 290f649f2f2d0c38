// The INI profile on POSIX: the same observable behaviour as the Windows
// private-profile calls, over a file that is rewritten whole and renamed into place.
#include <optional>
#include <string>

#include "platform/file_system.h"
#include "platform/ini_profile.h"
#include "platform/ini_text.h"
#include "platform/platform_error.h"

namespace clipvane {
namespace {

class PosixIniProfile final : public IniProfile {
 public:
  explicit PosixIniProfile(std::string path) : path_(std::move(path)) {}

  const std::string& Path() const override { return path_; }

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& fallback) const override {
    const auto bytes = NativeFileSystem().ReadWholeFile(path_);
    if (bytes)
      if (const auto value = IniValue(*bytes, section, key)) return *value;
    // As on Windows, trailing blanks of the default are not returned.
    std::string value = fallback;
    while (!value.empty() && value.back() == ' ') value.pop_back();
    return value;
  }

  void WriteChanges(const std::string& section, const std::vector<Change>& changes) override {
    WriteIniChanges(NativeFileSystem(), path_, section, changes);
  }

  std::unique_ptr<FileLock> HoldStill() const override {
    try {
      return NativeFileSystem().LockExclusive(path_ + ".lock");
    } catch (const PlatformError&) {
      return nullptr;
    }
  }

 private:
  std::string path_;
};

}  // namespace

std::unique_ptr<IniProfile> OpenIniProfile(const std::string& path) { return std::make_unique<PosixIniProfile>(path); }

}  // namespace clipvane
