#include <windows.h>

#include "platform/dynamic_library.h"
#include "platform/text_encoding.h"

namespace clipvane {
namespace {

class LoadedModule final : public DynamicLibrary {
 public:
  explicit LoadedModule(HMODULE module) : module_(module) {}
  ~LoadedModule() override { FreeLibrary(module_); }
  LoadedModule(const LoadedModule&) = delete;
  LoadedModule& operator=(const LoadedModule&) = delete;

  Function Symbol(const char* name) const override {
    // Through the generic function type, which GCC accepts as a cast between any two.
    return reinterpret_cast<Function>(GetProcAddress(module_, name));
  }

 private:
  HMODULE module_;
};

}  // namespace

std::unique_ptr<DynamicLibrary> LoadDynamicLibrary(const std::string& path) {
  // A damaged file must fail quietly, not with a system error box.
  DWORD previous_mode = 0;
  SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_mode);
  HMODULE module = LoadLibraryExW(AnsiToWide(path).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  SetThreadErrorMode(previous_mode, nullptr);
  if (!module) return nullptr;
  return std::make_unique<LoadedModule>(module);
}

}  // namespace clipvane
