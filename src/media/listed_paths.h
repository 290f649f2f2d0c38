#pragma once
#include <string>
#include <unordered_map>

#include "common/path_style.h"

namespace clipvane {

// Paths of the video list counted by the file they name, so that one file is never
// listed twice and rows that make one MP4 are known. Windows names ignore letter
// case (ASCII letters are folded, double-byte characters compared as they are);
// Linux names are bytes and keep their case.
class ListedPaths {
 public:
  explicit ListedPaths(PathStyle style) : style_(style) {}
  bool Contains(const std::string& path) const { return CountOf(path) != 0; }
  std::size_t CountOf(const std::string& path) const;
  void Add(const std::string& path);
  // Takes away one entry matching `path`; nothing when none does.
  void Remove(const std::string& path);
  std::size_t Count() const { return count_; }

 private:
  std::string Key(const std::string& path) const;

  PathStyle style_;
  // Folded path to the number of rows holding it: a hash keeps a 10,000-row list
  // as quick to load as a short one.
  std::unordered_map<std::string, std::size_t> entries_;
  std::size_t count_ = 0;
};

}  // namespace clipvane
