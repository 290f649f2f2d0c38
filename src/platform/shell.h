#pragma once
#include <string>

namespace clipvane {

// Starting scripts the way the desktop does: each in a console of its own, detached
// from this program, which neither waits for it nor learns how it ended.
class Shell {
 public:
  virtual ~Shell() = default;
  virtual void OpenScript(const std::string& path) = 0;
};

Shell& NativeShell();

}  // namespace clipvane
