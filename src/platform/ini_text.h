#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/ini_profile.h"

namespace clipvane {

class FileSystem;

// The private-profile rules over the bytes of an INI file:
// section and key names match without regard to letter case, the first section of a
// name is the one that counts, and a write keeps every other line as it stands.

// The value of `key` in `section`, trimmed and without surrounding quotes; nothing
// when the key is not there.
std::optional<std::string> IniValue(const std::string& bytes, const std::string& section, const std::string& key);

// The bytes with `key` set to `value` in `section`: its line replaced, or a new line
// after the section's last, or a new section at the end. New lines end as the
// file's first line does (LF for a new file).
std::string WithIniValue(const std::string& bytes, const std::string& section, const std::string& key,
                         const std::string& value);

// Under the lock beside the file (`path` + ".lock"): reads the file afresh, makes the
// changes IniProfile::WriteChanges describes and replaces it whole. Throws
// PlatformError naming the file when it fails.
void WriteIniChanges(FileSystem& files, const std::string& path, const std::string& section,
                     const std::vector<IniProfile::Change>& changes);

}  // namespace clipvane
