#include "platform/detached_launch.h"
#include "platform/shell.h"

namespace clipvane {
namespace {

class SessionShell final : public Shell {
 public:
  // sh runs the script in a session of its own, so that it outlives this program and
  // no terminal signal of ours reaches it. On Linux the ANSI code page is UTF-8, so
  // the path is an argument as it stands. What it prints goes where a closed
  // console's would: the job reports to its status file.
  Expected<Launched, LaunchFailure> OpenScript(const std::string& path) override {
    return LaunchDetached({"sh", path});
  }
};

}  // namespace

Shell& NativeShell() {
  static SessionShell shell;
  return shell;
}

}  // namespace clipvane
