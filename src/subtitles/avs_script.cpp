#include "subtitles/avs_script.h"

#include "common/workspace.h"
#include "platform/file_system.h"
#include "subtitles/sami_text.h"
#include "subtitles/sami_to_ssa.h"

namespace clipvane {

std::vector<std::string> AvsScriptLines(const std::string& avisynth_plugin_dir,
                                        const std::string& video_path, const std::string& ssa_path) {
  return {"LoadPlugin(\"" + avisynth_plugin_dir + "VSFilter.dll\")",
          "DirectShowSource(\"" + video_path + "\")", "TextSub(\"" + ssa_path + "\")"};
}

AvsScriptFiles WriteAvsScript(FileSystem& files, const Workspace& workspace,
                              const std::string& avisynth_plugin_dir, const std::string& video_path,
                              const SsaStyle& style, const ColourTable& colours,
                              const std::string& source_to_open) {
  const PathStyle path_style = workspace.Style();
  const std::string temp_base =
      workspace.Temp() + Separator(path_style) + VideoBaseName(video_path, path_style);
  AvsScriptFiles written{temp_base + ".ssa", temp_base + ".avs"};
  const std::vector<std::string> ssa =
      ConvertSamiToSsa(files, SubtitlePath(video_path, path_style), path_style, style, colours);
  files.ReplaceWholeFile(written.ssaPath, JoinLinesCrLf(ssa));
  files.ReplaceWholeFile(written.scriptPath,
                         JoinLinesCrLf(AvsScriptLines(avisynth_plugin_dir, source_to_open.empty() ? video_path : source_to_open,
                                                       written.ssaPath)));
  return written;
}

}  // namespace clipvane
