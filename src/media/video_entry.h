#pragma once
#include <string>

#include "media/media_facts.h"

namespace clipvane {

// One video of the list. Callers of ProbeVideo get independent copies.
struct VideoEntry {
  bool probed = false;  // the probe has been run or tried; it is never run twice
  std::string path;     // the full path as it was added (ANSI)
  MediaFacts facts;
};

// The longest path a row takes, in bytes of ANSI text. Lists written by earlier
// versions cannot hold more, so a longer line of list.log is refused, never cut.
constexpr std::size_t kMaxVideoPathLength = 1026;

}  // namespace clipvane
