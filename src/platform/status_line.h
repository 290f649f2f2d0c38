#pragma once
#include <string>

namespace clipvane {

// The one panel of the main window's status bar. Progress texts ("checking ",
// "checked ", "created " and a file name) go here. A text must be visible as soon as
// it is set: the work that follows blocks the window until it is done.
class StatusLine {
 public:
  virtual ~StatusLine() = default;
  // ANSI text.
  virtual void SetStatusText(const std::string& text) = 0;
};

}  // namespace clipvane
