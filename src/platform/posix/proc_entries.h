#pragma once
#include <dirent.h>

#include <cctype>
#include <string>

namespace clipvane {

// Calls `visit` with the id of every process that /proc lists, as text.
template <typename Visit>
void ForEachProcessId(Visit visit) {
  DIR* proc = ::opendir("/proc");
  if (!proc) return;
  while (const dirent* item = ::readdir(proc)) {
    const std::string id = item->d_name;
    if (!id.empty() && std::isdigit(static_cast<unsigned char>(id[0]))) visit(id);
  }
  ::closedir(proc);
}

}  // namespace clipvane
