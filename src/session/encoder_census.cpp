#include "session/encoder_census.h"

#include <map>
#include <set>

#include "common/path_style.h"
#include "platform/system_services.h"
#include "platform/text_encoding.h"

namespace clipvane {
namespace {

// The first six characters and the extension: how an alias and its long name meet.
std::string ShortAliasKey(const std::string& name) {
  return name.substr(0, 6) + ExtensionOf(name, PathStyle::kWindows);
}

// True for an 8.3 short alias such as MENCOD~1.EXE.
bool IsShortFileName(const std::string& name) {
  const std::string stem = WithoutExtension(FileNamePart(name, PathStyle::kWindows), PathStyle::kWindows);
  return stem.size() == 8 && stem[6] == '~' && stem[7] >= '0' && stem[7] <= '9';
}

}  // namespace

CensusNames NativeCensusNames() {
#ifdef _WIN32
  return {{"mencoder.exe", "mp4creator.exe"}, "cmd.exe"};
#else
  return {{"mencoder", "mp4creator"}, "sh"};
#endif
}

int CountProcesses(const std::string& name, const ProcessList& processes) {
  const std::uint32_t own_id = processes.OwnProcessId();
  int count = 0;
  for (const ProcessEntry& entry : processes.Snapshot()) {
    std::string listed = entry.exe_name.substr(0, entry.exe_name.find('\0'));
    std::string wanted = name;
    if (IsShortFileName(listed)) {
      listed = ShortAliasKey(listed);
      wanted = ShortAliasKey(wanted);
    }
    if (entry.id == own_id) continue;
    if (AsciiLower(listed) == AsciiLower(wanted)) ++count;
  }
  return count;
}

bool ScriptsAtWork(const ProcessList& processes, const std::string& interpreter, const std::string& scripts_folder) {
  if (scripts_folder.empty()) return false;
  const std::string folder = AnsiToUtf8(scripts_folder);  // as the command lines are
  const std::vector<ProcessEntry> snapshot = processes.Snapshot();
  std::map<std::uint32_t, const ProcessEntry*> by_id;
  for (const ProcessEntry& entry : snapshot) by_id[entry.id] = &entry;
  // This process and those that started it; and the name this program runs under.
  std::set<std::uint32_t> callers;
  std::string own_name;
  for (auto at = by_id.find(processes.OwnProcessId()); at != by_id.end() && callers.insert(at->first).second;
       at = by_id.find(at->second->parent_id))
    if (own_name.empty()) own_name = AsciiLower(at->second->exe_name);
  std::set<std::uint32_t> at_last_line;
  for (const ProcessEntry& entry : snapshot)
    if (!own_name.empty() && AsciiLower(entry.exe_name) == own_name) at_last_line.insert(entry.parent_id);
  for (const ProcessEntry& entry : snapshot) {
    if (callers.count(entry.id) || at_last_line.count(entry.id)) continue;
    if (AsciiLower(entry.exe_name) != AsciiLower(interpreter) || !entry.command_line) continue;
    if (entry.command_line->find(folder) != std::string::npos) return true;
  }
  return false;
}

bool EncoderCensus(const ProcessList& processes, const CensusNames& names) {
  int tools = 0;
  for (const std::string& tool : names.tools) tools += CountProcesses(tool, processes);
  if (tools == 0) return false;
  return tools <= CountProcesses(names.interpreter, processes);
}

}  // namespace clipvane
