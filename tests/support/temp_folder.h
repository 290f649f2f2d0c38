#pragma once
#include <string>

#include "common/path_style.h"

namespace clipvane::testing {

// A fresh folder under the system's temporary folder, removed with everything in
// it when the test ends. Path() ends with the native separator.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + name; }

  // Writes bytes to a file in the folder and returns its full path.
  std::string WriteFile(const std::string& name, const std::string& bytes) const;

 private:
  std::string path_;
};

}  // namespace clipvane::testing
