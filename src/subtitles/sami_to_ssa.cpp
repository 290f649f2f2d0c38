#include "subtitles/sami_to_ssa.h"

#include "common/workspace.h"
#include "platform/file_system.h"
#include "platform/platform_error.h"
#include "subtitles/sami_text.h"
#include "subtitles/ssa_writer.h"

namespace clipvane {

std::vector<std::string> ConvertSamiToSsa(const FileSystem& files, const std::string& sami_path,
                                          PathStyle path_style, const SsaStyle& style,
                                          const ColourTable& colours) {
  const std::optional<std::string> bytes = files.ReadWholeFile(sami_path);
  if (!bytes) throw PlatformError("Cannot read " + sami_path);
  return SsaLinesFromSami(SplitLines(SamiTextFromBytes(*bytes)), VideoBaseName(sami_path, path_style),
                          style, colours);
}

}  // namespace clipvane
