#pragma once
#include <memory>
#include <string>

namespace clipvane {

// A library loaded at run time from a full path, such as MediaInfo.dll beside the
// program.
class DynamicLibrary {
 public:
  using Function = void (*)();
  virtual ~DynamicLibrary() = default;
  // The exported function of that name, or null. Callers cast it to its real type.
  virtual Function Symbol(const char* name) const = 0;
};

// Loads the library at `path` (ANSI) quietly: a missing or damaged file gives null,
// never a system error box. Its own dependencies are looked for beside it.
std::unique_ptr<DynamicLibrary> LoadDynamicLibrary(const std::string& path);

}  // namespace clipvane
