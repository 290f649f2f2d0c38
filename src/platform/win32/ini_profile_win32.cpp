#include <windows.h>

#include "platform/file_system.h"
#include "platform/ini_profile.h"
#include "platform/ini_text.h"
#include "platform/platform_error.h"

namespace clipvane {
namespace {

class Win32IniProfile final : public IniProfile {
 public:
  explicit Win32IniProfile(std::string path) : path_(std::move(path)) {}

  const std::string& Path() const override { return path_; }

  std::string ReadString(const std::string& section, const std::string& key,
                         const std::string& fallback) const override {
    // The call truncates silently; a result that fills the buffer may be cut, so
    // try again with a larger one.
    for (DWORD size = 2048;; size *= 4) {
      std::string buffer(size, '\0');
      const DWORD n =
          GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buffer.data(), size, path_.c_str());
      if (n < size - 1 || size >= (1u << 24)) {
        buffer.resize(n);
        return buffer;
      }
    }
  }

  // Not WritePrivateProfileString: it rewrites the file in place, key by key, so a
  // change of another process made between two keys would be lost.
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

std::unique_ptr<IniProfile> OpenIniProfile(const std::string& path) { return std::make_unique<Win32IniProfile>(path); }

}  // namespace clipvane
