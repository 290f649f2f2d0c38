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

// Compares two texts without regard to case in the user's locale order, as the
// desktop sorts file names. Negative, zero or positive.
int CompareTextIgnoringCase(const std::string& a, const std::string& b);

}  // namespace clipvane
