#pragma once
#include <optional>
#include <string>

#include "mencoder_inputs.h"

namespace clipvane::tools {

// What ffprobe would say about the source, read in-process through libavformat: a
// start of ffprobe costs more than the reading. Nothing when this build cannot open
// the container or tell its first picture's codec and size, for ffprobe to answer.
std::optional<SourceFacts> ProbeSourceHere(const std::string& path);

}  // namespace clipvane::tools
