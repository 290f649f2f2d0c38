#pragma once
#include <string>
#include <vector>

#include "common/path_style.h"
#include "subtitles/ssa_style.h"
#include "subtitles/subtitle_source.h"

namespace clipvane {

class ColourTable;
class FileSystem;

// Reads the subtitle found (decoding a byte-order mark) and converts it as its kind
// does; the title is the file's base name. Of a file in two languages only the
// paragraphs of `chosen_class` are kept, when it names one of them, or of its Korean
// class when it is empty. A subtitle that cannot be read throws PlatformError.
std::vector<std::string> ConvertSubtitleToSsa(const FileSystem& files, const FoundSubtitle& subtitle,
                                              PathStyle path_style, const SsaStyle& style, const ColourTable& colours,
                                              const std::string& chosen_class = {});

}  // namespace clipvane
