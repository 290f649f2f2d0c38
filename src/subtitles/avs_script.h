#pragma once
#include <string>
#include <vector>

namespace clipvane {

class ColourTable;
class FileSystem;
class Workspace;
struct SsaStyle;

struct AvsScriptFiles {
  std::string ssaPath;
  std::string scriptPath;
};

// The three lines that have AviSynth open the video and VSFilter draw the SSA file on it.
// Paths go in as they stand: AviSynth strings have no escapes.
std::vector<std::string> AvsScriptLines(const std::string& avisynth_plugin_dir,
                                        const std::string& video_path, const std::string& ssa_path);

// Converts the SAMI file beside the video into temp/<base name>.ssa and writes
// temp/<base name>.avs that reads the video with it, each replacing any earlier file of
// that name whole. `avisynth_plugin_dir` ends with a separator or is empty. A SAMI file
// that cannot be read or a file that cannot be written throws PlatformError.
// The script opens `source_to_open` when given (the resynchronised first pass of a
// subtitle-sync job), otherwise the video itself.
AvsScriptFiles WriteAvsScript(FileSystem& files, const Workspace& workspace,
                              const std::string& avisynth_plugin_dir, const std::string& video_path,
                              const SsaStyle& style, const ColourTable& colours,
                              const std::string& source_to_open = {});

}  // namespace clipvane
