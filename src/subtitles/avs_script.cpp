#include "subtitles/avs_script.h"

#include "common/workspace.h"
#include "platform/file_system.h"
#include "subtitles/sami_text.h"
#include "subtitles/sami_to_ssa.h"

namespace clipvane {

AvsFiles AvsScriptPaths(const Workspace& workspace, const std::string& job_name) {
  const std::string base = workspace.Temp() + Separator(workspace.Style()) + job_name;
  return {base + ".ssa", base + ".avs"};
}

std::vector<std::string> AvsScriptLines(const std::string& avisynth_plugin_dir, const std::string& video_path,
                                        const std::string& ssa_path) {
  return {"LoadPlugin(\"" + avisynth_plugin_dir + "VSFilter.dll\")", "DirectShowSource(\"" + video_path + "\")",
          "TextSub(\"" + ssa_path + "\")"};
}

AvsFiles WriteAvsScript(FileSystem& files, const Workspace& workspace, const std::string& avisynth_plugin_dir,
                        const std::string& video_path, const DrawnSubtitle& subtitle, const SsaStyle& style,
                        const ColourTable& colours, const std::string& source_to_open, const std::string& job_name) {
  const AvsFiles written =
      AvsScriptPaths(workspace, job_name.empty() ? VideoBaseName(video_path, workspace.Style()) : job_name);
  files.ReplaceWholeFile(written.ssa, JoinLinesCrLf(ConvertSubtitleToSsa(files, subtitle.found, workspace.Style(),
                                                                         style, colours, subtitle.chosen_class)));
  const std::string& source = source_to_open.empty() ? video_path : source_to_open;
  files.ReplaceWholeFile(written.avs, JoinLinesCrLf(AvsScriptLines(avisynth_plugin_dir, source, written.ssa)));
  return written;
}

}  // namespace clipvane
