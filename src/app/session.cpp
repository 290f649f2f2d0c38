#include "app/session.h"

#include "app/encoder_census.h"
#include "runs/leftovers.h"
#include "media/video_list_file.h"
#include "platform/file_system.h"
#include "subtitles/avs_script.h"
#include "subtitles/ssa_style.h"

namespace clipvane {

Session::Session(Program& program, CoreServices& services)
    : program_(program),
      services_(services),
      list_(program.workspace, services.files, program.startup.videoexts),
      probe_(services.mediainfo, services.files, program.workspace.Style()),
      rows_(list_, probe_),
      jobs_{{program.workspace, kNativeScriptDialect, program.settings, program.preset, program.startup.fontsdir},
            services.files,
            [this](const std::string& video, const std::string& subtitle, const std::string& source,
                   const SsaStyleMetrics& metrics) { WriteAvs(video, subtitle, source, metrics); }} {}

void Session::OpenWorkspace() {
  program_.workspace.CreateFolders(services_.files);
  if (services_.processes) {
    const CensusNames names = NativeCensusNames();
    std::vector<std::string> job_processes = names.tools;
    job_processes.push_back(names.interpreter);
    job_processes.push_back(names.interpreter == "sh" ? "ffmpeg" : "ffmpeg.exe");
    RemoveLeftovers(program_.workspace, jobs_.setup.dialect, services_.files, *services_.processes, job_processes);
  }
  stored_list_ = LoadVideoList(list_, services_.files, program_.workspace);
  changes_at_load_ = list_.Changes();
}

bool Session::SaveList() {
  if (list_.Changes() == changes_at_load_) return false;
  stored_list_ = SaveVideoList(list_, stored_list_, services_.files, program_.workspace);
  changes_at_load_ = list_.Changes();  // a second save has nothing more to write
  return true;
}

std::unique_ptr<FileLock> Session::LockList() {
  return services_.files.LockExclusive(program_.workspace.ListLockFile());
}

void Session::WriteAvs(const std::string& video_path, const std::string& subtitle_path, const std::string& source,
                       const SsaStyleMetrics& metrics) {
  const SsaStyle style =
      SsaStyleFor(program_.settings, program_.preset, metrics.font_size, metrics.margin_v, metrics.play_res_y);
  WriteAvsScript(services_.files, program_.workspace, avisynth_plugin_dir_, video_path,
                 {subtitle_path, program_.settings.subtitleclass}, style, program_.colours, source);
}

}  // namespace clipvane
