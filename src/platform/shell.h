#pragma once
#include <string>

#include "base/expected.h"
#include "platform/detached_launch.h"

namespace clipvane {

// Starting scripts the way the desktop does: each in a console of its own, detached
// from this program, which does not wait for it. What it learns is whether the script
// started, and as which process (see Launched): a script that cannot be started, for
// want of its interpreter or of the file its output goes to, comes back as a failure
// in the caller's ANSI text.
class Shell {
 public:
  virtual ~Shell() = default;
  virtual Expected<Launched, LaunchFailure> OpenScript(const std::string& path) = 0;
};

Shell& NativeShell();

}  // namespace clipvane
