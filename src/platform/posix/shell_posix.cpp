#include "platform/detached_launch.h"
#include "platform/shell.h"

namespace clipvane {
namespace {

class SessionShell final : public Shell {
 public:
  // With an empty folder the scripts' output goes where a closed console's would.
  explicit SessionShell(std::string output_folder) : output_folder_(std::move(output_folder)) {}

  // sh runs the script in a session of its own, so that it outlives this program and
  // no terminal signal of ours reaches it. On Linux the ANSI code page is UTF-8, so
  // the path is an argument as it stands.
  Expected<Launched, LaunchFailure> OpenScript(const std::string& path) override {
    return LaunchDetached({"sh", path}, OutputFile(path));
  }

 private:
  std::string OutputFile(const std::string& script) const {
    if (output_folder_.empty()) return {};
    const std::size_t slash = script.rfind('/');
    return output_folder_ + "/" + script.substr(slash == std::string::npos ? 0 : slash + 1) + ".progress";
  }

  std::string output_folder_;
};

}  // namespace

Shell& NativeShell() {
  static SessionShell shell("");
  return shell;
}

std::unique_ptr<Shell> ShellKeepingOutputIn(const std::string& folder) {
  return std::make_unique<SessionShell>(folder.empty() ? "." : folder);
}

}  // namespace clipvane
