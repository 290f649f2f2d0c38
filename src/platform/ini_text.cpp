#include "platform/ini_text.h"

#include <vector>

#include "base/text.h"
#include "platform/file_system.h"
#include "platform/platform_error.h"
#include "platform/text_encoding.h"

namespace clipvane {
namespace {

// What the private-profile calls take off around names and values.
bool IsIniBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\x1a'; }

std::string TrimIni(const std::string& text) { return TrimWhere(text, IsIniBlank); }

struct Line {
  std::string text;  // without its line end
  std::string end;   // "\r\n", "\n" or "" for a last line without one
};

std::vector<Line> SplitLines(const std::string& bytes) {
  std::vector<Line> lines;
  std::size_t start = 0;
  while (start < bytes.size()) {
    const std::size_t lf = bytes.find('\n', start);
    if (lf == std::string::npos) {
      lines.push_back({bytes.substr(start), ""});
      break;
    }
    const bool crlf = lf > start && bytes[lf - 1] == '\r';
    lines.push_back({bytes.substr(start, lf - start - (crlf ? 1 : 0)), crlf ? "\r\n" : "\n"});
    start = lf + 1;
  }
  return lines;
}

// The section name of a "[name]" line, or nothing for any other line.
std::optional<std::string> SectionName(const std::string& line) {
  const std::string trimmed = TrimIni(line);
  if (trimmed.empty() || trimmed[0] != '[') return std::nullopt;
  const std::size_t close = trimmed.find(']');
  return TrimIni(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
}

// The key of a "key=value" line; comment lines (";") and lines without "=" have none.
std::optional<std::string> KeyName(const std::string& line) {
  const std::string trimmed = TrimIni(line);
  if (trimmed.empty() || trimmed[0] == ';') return std::nullopt;
  const std::size_t eq = trimmed.find('=');
  if (eq == std::string::npos) return std::nullopt;
  return TrimIni(trimmed.substr(0, eq));
}

std::string ValueOf(const std::string& line) {
  std::string value = TrimIni(line.substr(line.find('=') + 1));
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
    value = value.substr(1, value.size() - 2);
  return value;
}

struct Location {
  std::optional<std::size_t> section;  // index of the section's header line
  std::optional<std::size_t> key;      // index of the key's line
  std::size_t insert_at = 0;           // where a new key of the section goes
};

Location Find(const std::vector<Line>& lines, const std::string& section, const std::string& key) {
  Location where;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto name = SectionName(lines[i].text);
    if (!name) continue;
    if (!EqualsIgnoringAsciiCase(*name, section)) continue;
    where.section = i;
    where.insert_at = i + 1;
    for (std::size_t j = i + 1; j < lines.size() && !SectionName(lines[j].text); ++j) {
      const auto found = KeyName(lines[j].text);
      if (!TrimIni(lines[j].text).empty()) where.insert_at = j + 1;
      if (found && !where.key && EqualsIgnoringAsciiCase(*found, key)) where.key = j;
    }
    return where;  // the first section of that name is the one that counts
  }
  return where;
}

}  // namespace

std::optional<std::string> IniValue(const std::string& bytes, const std::string& section, const std::string& key) {
  const std::vector<Line> lines = SplitLines(bytes);
  const Location where = Find(lines, section, key);
  if (!where.key) return std::nullopt;
  return ValueOf(lines[*where.key].text);
}

std::string WithIniValue(const std::string& bytes, const std::string& section, const std::string& key,
                         const std::string& value) {
  std::vector<Line> lines = SplitLines(bytes);
  // New lines follow the file's own line ends; a new file gets the platform's.
  const std::string eol = lines.empty() || lines[0].end.empty() ? "\n" : lines[0].end;
  if (!lines.empty() && lines.back().end.empty()) lines.back().end = eol;
  const Location where = Find(lines, section, key);
  const Line entry{key + "=" + value, eol};
  if (where.key) {
    lines[*where.key].text = entry.text;
  } else if (where.section) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(where.insert_at), entry);
  } else {
    lines.push_back({"[" + section + "]", eol});
    lines.push_back(entry);
  }
  std::string out;
  for (const Line& line : lines) out += line.text + line.end;
  return out;
}

}  // namespace clipvane

namespace clipvane {

void WriteIniChanges(FileSystem& files, const std::string& path, const std::string& section,
                     const std::vector<IniProfile::Change>& changes) {
  try {
    const std::unique_ptr<FileLock> lock = files.LockExclusive(path + ".lock");
    std::string bytes = ReadFileOrNothing(files, path);
    for (const IniProfile::Change& change : changes)
      if (!change.only_if || IniValue(bytes, section, change.key).value_or("") == *change.only_if)
        bytes = WithIniValue(bytes, section, change.key, change.value);
    files.ReplaceWholeFile(path, bytes);
  } catch (const PlatformError& error) {
    throw PlatformError("Unable to write to " + path + " (" + error.what() + ")");
  }
}

}  // namespace clipvane
