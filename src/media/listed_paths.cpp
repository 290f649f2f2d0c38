#include "media/listed_paths.h"
#include "platform/text_encoding.h"

namespace clipvane {

std::string ListedPaths::Key(const std::string& path) const {
  return style_ == PathStyle::kWindows ? AsciiLower(path) : path;
}

std::size_t ListedPaths::CountOf(const std::string& path) const {
  const auto found = entries_.find(Key(path));
  return found == entries_.end() ? 0 : found->second;
}

void ListedPaths::Add(const std::string& path) {
  ++entries_[Key(path)];
  ++count_;
}

void ListedPaths::Remove(const std::string& path) {
  const auto found = entries_.find(Key(path));
  if (found == entries_.end()) return;
  if (--found->second == 0) entries_.erase(found);
  --count_;
}

}  // namespace clipvane
