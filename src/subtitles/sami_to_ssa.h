#pragma once
#include <string>
#include <vector>

#include "common/path_style.h"
#include "subtitles/ssa_style.h"

namespace clipvane {

class ColourTable;
class FileSystem;

// Reads the SAMI file at `sami_path` (decoding a byte-order mark) and converts it; the
// title is the file's base name. A file that cannot be read throws PlatformError.
std::vector<std::string> ConvertSamiToSsa(const FileSystem& files, const std::string& sami_path,
                                          PathStyle path_style, const SsaStyle& style,
                                          const ColourTable& colours);

}  // namespace clipvane
