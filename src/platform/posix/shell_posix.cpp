#include "platform/process.h"
#include "platform/shell.h"

namespace clipvane {
namespace {

class SessionShell final : public Shell {
 public:
  // sh runs the script in a session of its own, so that it outlives this program and
  // no terminal signal of ours reaches it; its output goes where a closed console's would.
  void OpenScript(const std::string& path) override { StartDetached({"sh", path}); }
};

}  // namespace

Shell& NativeShell() {
  static SessionShell shell;
  return shell;
}

}  // namespace clipvane
