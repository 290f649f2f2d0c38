#include "app/encoder_census.h"

#include "common/path_style.h"
#include "common/text.h"
#include "platform/system_services.h"

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

bool EncoderCensus(const ProcessList& processes, const CensusNames& names) {
  int tools = 0;
  for (const std::string& tool : names.tools) tools += CountProcesses(tool, processes);
  if (tools == 0) return false;
  return tools <= CountProcesses(names.interpreter, processes);
}

}  // namespace clipvane
