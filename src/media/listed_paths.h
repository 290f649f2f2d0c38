#pragma once
#include <string>
#include <unordered_map>

namespace clipvane {

// The paths of every row of the video list, matched without regard to letter case,
// so that one file is never listed twice. Windows file names ignore case; ASCII
// letters are folded, double-byte characters are compared as they are.
class ListedPaths {
 public:
  bool Contains(const std::string& path) const;
  void Add(const std::string& path);
  // Takes away one entry matching `path`; nothing when none does.
  void Remove(const std::string& path);
  std::size_t Count() const { return count_; }

 private:
  // Folded path to the number of rows holding it: a hash keeps a 10,000-row list
  // as quick to load as a short one.
  std::unordered_map<std::string, std::size_t> entries_;
  std::size_t count_ = 0;
};

}  // namespace clipvane
