#include "media/listed_paths.h"

#include "common/text.h"

namespace clipvane {

bool ListedPaths::Contains(const std::string& path) const {
  return entries_.count(AsciiLower(path)) != 0;
}

void ListedPaths::Add(const std::string& path) {
  ++entries_[AsciiLower(path)];
  ++count_;
}

void ListedPaths::Remove(const std::string& path) {
  const auto found = entries_.find(AsciiLower(path));
  if (found == entries_.end()) return;
  if (--found->second == 0) entries_.erase(found);
  --count_;
}

}  // namespace clipvane
