#pragma once
#include <string>
#include <vector>

#include "common/path_style.h"
#include "subtitles/ssa_style.h"

namespace clipvane {

class ColourTable;
class FileSystem;

// Reads the subtitle file at `path` (decoding a byte-order mark), an SRT file when
// its extension is .srt and a SAMI file otherwise, and converts it; the title is the
// file's base name. Of a SAMI file in two languages only the paragraphs of
// `sami_class` are kept, when it names one of them, or of its Korean class when it is
// empty (KeepSamiClass). A file that cannot be read
// throws PlatformError.
std::vector<std::string> ConvertSubtitleToSsa(const FileSystem& files, const std::string& path, PathStyle path_style,
                                              const SsaStyle& style, const ColourTable& colours,
                                              const std::string& sami_class = {});

}  // namespace clipvane
