#pragma once
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace clipvane {

class FileLock;

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
  // Sets the keys in one change; a key with `only_if` only while the file still holds
  // that text for it (the empty text for an absent key), so that a writer can keep what
  // another has written since it read the file. Throws PlatformError naming the file
  // when the write fails; the file is then as it was.
  struct Change {
    std::string key, value;
    std::optional<std::string> only_if;
  };
  virtual void WriteChanges(const std::string& section, const std::vector<Change>& changes) = 0;
  // The writers' lock, for a reader of several keys to see them all as one change left
  // them; nothing when it cannot be had (a folder that cannot be written).
  virtual std::unique_ptr<FileLock> HoldStill() const = 0;
  void WriteString(const std::string& section, const std::string& key, const std::string& value) {
    WriteChanges(section, {{key, value, std::nullopt}});
  }
};

// The platform's own implementation for the INI file at `path` (need not exist).
std::unique_ptr<IniProfile> OpenIniProfile(const std::string& path);

}  // namespace clipvane
