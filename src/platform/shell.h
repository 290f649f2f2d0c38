#pragma once
#include <memory>
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

#ifndef _WIN32
// Starts scripts as NativeShell does, but sends what each one prints (its output and
// its errors) to `folder`/<script file name>.progress, made afresh at each start, where
// a window opened at any time can follow it.
std::unique_ptr<Shell> ShellKeepingOutputIn(const std::string& folder);
#endif

}  // namespace clipvane
