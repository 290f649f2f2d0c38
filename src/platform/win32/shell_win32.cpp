#include <windows.h>
// windows.h first: shellapi.h depends on it.
#include <shellapi.h>

#include "platform/shell.h"
#include "platform/text_encoding.h"
#include "platform/win32/process_handles_win32.h"

namespace clipvane {
namespace {

class DesktopShell final : public Shell {
 public:
  // Opened as the desktop opens a file: cmd.exe runs a batch file in a console of its
  // own. The process is asked for only to learn its number.
  Expected<Launched, LaunchFailure> OpenScript(const std::string& path) override {
    SHELLEXECUTEINFOA execute{};
    execute.cbSize = sizeof execute;
    execute.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    execute.lpVerb = "open";
    execute.lpFile = path.c_str();
    execute.lpParameters = "";
    execute.lpDirectory = "";
    execute.nShow = SW_SHOW;
    if (!ShellExecuteExA(&execute))
      return MakeUnexpected(LaunchFailure{path, Utf8ToAnsi(SystemMessage(GetLastError()))});
    Launched launched;
    if (execute.hProcess) {
      launched = LaunchedFrom(execute.hProcess);
      CloseHandle(execute.hProcess);
    }
    return launched;
  }
};

}  // namespace

Shell& NativeShell() {
  static DesktopShell shell;
  return shell;
}

}  // namespace clipvane
