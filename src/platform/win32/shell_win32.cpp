#include <windows.h>
// windows.h first: shellapi.h depends on it.
#include <shellapi.h>

#include "platform/shell.h"

namespace clipvane {
namespace {

class DesktopShell final : public Shell {
 public:
  void OpenScript(const std::string& path) override {
    ShellExecuteA(nullptr, "open", path.c_str(), "", "", SW_SHOW);
  }
};

}  // namespace

Shell& NativeShell() {
  static DesktopShell shell;
  return shell;
}

int CompareTextIgnoringCase(const std::string& a, const std::string& b) {
  const int result = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                                    b.data(), static_cast<int>(b.size()));
  return result == 0 ? 0 : result - CSTR_EQUAL;
}

}  // namespace clipvane
