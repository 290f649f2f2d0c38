#include "subtitles/sami_to_ssa.h"

#include "common/workspace.h"
#include "platform/platform_error.h"

namespace clipvane {

std::vector<std::string> ConvertSubtitleToSsa(const FileSystem& files, const FoundSubtitle& subtitle,
                                              PathStyle path_style, const SsaStyle& style, const ColourTable& colours,
                                              const std::string& chosen_class) {
  const std::optional<std::string> bytes = subtitle.source->Read(files, subtitle.path);
  if (!bytes) throw PlatformError("Cannot read " + subtitle.path);
  return subtitle.source->SsaLines(*bytes, VideoBaseName(subtitle.path, path_style), style, colours, chosen_class);
}

}  // namespace clipvane
