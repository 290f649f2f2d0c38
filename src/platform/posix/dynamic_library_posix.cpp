#include <dlfcn.h>

#include "platform/dynamic_library.h"

namespace clipvane {
namespace {

class LoadedObject final : public DynamicLibrary {
 public:
  explicit LoadedObject(void* handle) : handle_(handle) {}
  ~LoadedObject() override { ::dlclose(handle_); }
  LoadedObject(const LoadedObject&) = delete;
  LoadedObject& operator=(const LoadedObject&) = delete;

  Function Symbol(const char* name) const override {
    // POSIX guarantees that a dlsym result converts to a function pointer.
    return reinterpret_cast<Function>(::dlsym(handle_, name));
  }

 private:
  void* handle_;
};

}  // namespace

std::unique_ptr<DynamicLibrary> LoadDynamicLibrary(const std::string& path) {
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!handle) return nullptr;
  return std::make_unique<LoadedObject>(handle);
}

}  // namespace clipvane
