#include "subtitles/sami_to_ssa.h"

#include "common/workspace.h"
#include "platform/file_system.h"
#include "platform/platform_error.h"
#include "subtitles/sami_classes.h"
#include "subtitles/sami_text.h"
#include "subtitles/ssa_writer.h"

namespace clipvane {

std::vector<std::string> ConvertSubtitleToSsa(const FileSystem& files, const std::string& path, PathStyle path_style,
                                              const SsaStyle& style, const ColourTable& colours,
                                              const std::string& sami_class) {
  const std::optional<std::string> bytes = files.ReadWholeFile(path);
  if (!bytes) throw PlatformError("Cannot read " + path);
  const std::string text = SamiTextFromBytes(*bytes);
  const std::string title = VideoBaseName(path, path_style);
  if (IsSrtSubtitle(path, path_style)) return SsaLinesFromSrt(SplitLines(text), title, style, colours);
  return SsaLinesFromSami(SplitLines(KeepSamiClass(text, sami_class)), title, style, colours);
}

}  // namespace clipvane
