#pragma once
#include <string>
#include <vector>

#include "subtitles/subtitle_source.h"

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

// The subtitle a coloured job draws, and the class (language) to keep of a file that
// has several (empty: its Korean one).
struct DrawnSubtitle {
  FoundSubtitle found;
  std::string chosen_class;
};

// temp/<job name>.ssa and temp/<job name>.avs of a job: named after the job (its MP4's
// name, media/output_names.h), so a second job for its video replaces them and a job of
// another video of the same base name never does.
AvsFiles AvsScriptPaths(const Workspace& workspace, const std::string& job_name);

// The three lines that have AviSynth open the video and VSFilter draw the SSA file on it.
// Paths go in as they stand: AviSynth strings have no escapes.
std::vector<std::string> AvsScriptLines(const std::string& avisynth_plugin_dir, const std::string& video_path,
                                        const std::string& ssa_path);

// Converts the subtitle found for the video into the SSA file and
// writes the AviSynth script that reads `source_to_open` with it (the resynchronised
// first pass of a subtitle-sync job, or the video itself when empty), each replacing
// any earlier file of that name whole. `avisynth_plugin_dir` ends with a separator or
// is empty. A subtitle that cannot be read or a file that cannot be written throws
// PlatformError. The files are named after `job_name`, or the video's base name.
AvsFiles WriteAvsScript(FileSystem& files, const Workspace& workspace, const std::string& avisynth_plugin_dir,
                        const std::string& video_path, const DrawnSubtitle& subtitle, const SsaStyle& style,
                        const ColourTable& colours, const std::string& source_to_open = {},
                        const std::string& job_name = {});

}  // namespace clipvane
