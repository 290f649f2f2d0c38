#pragma once
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace clipvane {

// An INI file read key by key, as the Windows private-profile calls do: section and
// key names match without regard to letter case, values come back trimmed with
// surrounding quotes removed, an absent key gives the default and a present empty key
// the empty text. A write reaches the file at once and keeps all other lines; the
// file and the section are created when missing. Every write holds the lock file
// beside the INI file (its name with ".lock") while it reads the file afresh, sets
// its keys and replaces the file whole, so that writers in other processes lose
// nothing of each other's and a reader never sees half a change.
class IniProfile {
 public:
  virtual ~IniProfile() = default;
  virtual const std::string& Path() const = 0;
  virtual std::string ReadString(const std::string& section, const std::string& key,
                                 const std::string& fallback) const = 0;
  // Sets the keys in one change. Throws PlatformError naming the file when the write
  // fails; the file is then as it was.
  virtual void WriteStrings(const std::string& section,
                            const std::vector<std::pair<std::string, std::string>>& values) = 0;
  void WriteString(const std::string& section, const std::string& key, const std::string& value) {
    WriteStrings(section, {{key, value}});
  }
};

// The platform's own implementation for the INI file at `path` (need not exist).
std::unique_ptr<IniProfile> OpenIniProfile(const std::string& path);

}  // namespace clipvane
