#pragma once
#include <string>
#include <vector>

namespace clipvane {

class ColourTable;
class FileSystem;
class Workspace;
struct SsaStyle;

// The SSA file and AviSynth script of a coloured-subtitle job.
struct AvsFiles {
  std::string ssa;
  std::string avs;
};

// The subtitle file a coloured job draws, and the class to keep of a SAMI file in two
// languages (empty: all of it).
struct SubtitleSource {
  std::string path;
  std::string sami_class;
};

// temp/<base name>.ssa and temp/<base name>.avs of the video: named after the video,
// so a second job for it replaces them.
AvsFiles AvsScriptPaths(const Workspace& workspace, const std::string& video_path);

// The three lines that have AviSynth open the video and VSFilter draw the SSA file on it.
// Paths go in as they stand: AviSynth strings have no escapes.
std::vector<std::string> AvsScriptLines(const std::string& avisynth_plugin_dir, const std::string& video_path,
                                        const std::string& ssa_path);

// Converts the subtitle file beside the video (SAMI or SRT) into the SSA file and
// writes the AviSynth script that reads `source_to_open` with it (the resynchronised
// first pass of a subtitle-sync job, or the video itself when empty), each replacing
// any earlier file of that name whole. `avisynth_plugin_dir` ends with a separator or
// is empty. A subtitle that cannot be read or a file that cannot be written throws
// PlatformError.
AvsFiles WriteAvsScript(FileSystem& files, const Workspace& workspace, const std::string& avisynth_plugin_dir,
                        const std::string& video_path, const SubtitleSource& subtitle, const SsaStyle& style,
                        const ColourTable& colours, const std::string& source_to_open = {});

}  // namespace clipvane
