#pragma once
#include <memory>
#include <string>

namespace clipvane {

// An INI file read and written key by key, as the Windows private-profile calls do:
// section and key names match without regard to letter case, values come back
// trimmed with surrounding quotes removed, an absent key gives the default and a
// present empty key the empty text. Every write reaches the file at once and keeps
// all other lines; the file and the section are created when missing.
class IniProfile {
 public:
  virtual ~IniProfile() = default;
  virtual const std::string& Path() const = 0;
  virtual std::string ReadString(const std::string& section, const std::string& key,
                                 const std::string& fallback) const = 0;
  // Throws PlatformError naming the file when the write fails.
  virtual void WriteString(const std::string& section, const std::string& key,
                           const std::string& value) = 0;
};

// The platform's own implementation for the INI file at `path` (need not exist).
std::unique_ptr<IniProfile> OpenIniProfile(const std::string& path);

}  // namespace clipvane
