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

}  // namespace clipvane
