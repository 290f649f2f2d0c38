#include "app/session.h"

#include "media/video_list_file.h"
#include "platform/file_system.h"
#include "platform/status_line.h"
#include "subtitles/avs_script.h"
#include "subtitles/ssa_style.h"

namespace clipvane {

Session::Session(Program& program_in, FileSystem& files_in, Shell& shell, StatusLine& status,
                 UserNotifier& notifier)
    : program(program_in),
      files(files_in),
      mediainfo(LoadMediaInfoLibrary(program_in.workspace.AppDir())),
      list(program_in.workspace, files_in, program_in.settings.videoexts),
      probe(*mediainfo, files_in, status, notifier, program_in.workspace.Style()),
      jobs_{program_in.workspace, kNativeScriptDialect, files_in, program_in.settings,
            [this](const std::string& video, const std::string& source, const SsaStyleMetrics& metrics) {
              return WriteAvs(video, source, metrics);
            }},
      commands_{jobs_, shell, notifier},
      rows_(list, probe) {
  commands_.set_status = [&status](const std::string& text) { status.SetStatusText(text); };
}

void Session::OpenWorkspace() {
  program.workspace.CreateFolders(files);
  LoadVideoList(list, files, program.workspace);
}

void Session::SaveList() { SaveVideoList(list, files, program.workspace); }

AvsFiles Session::WriteAvs(const std::string& video_path, const std::string& source,
                           const SsaStyleMetrics& metrics) {
  const SsaStyle style = SsaStyleFor(program.settings, metrics.fontSize, metrics.marginV);
  const AvsScriptFiles written = WriteAvsScript(files, program.workspace, avisynth_plugin_dir, video_path,
                                                style, program.colours, source);
  return {written.ssaPath, written.scriptPath};
}

}  // namespace clipvane
