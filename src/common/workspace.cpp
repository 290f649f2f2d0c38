#include "common/workspace.h"

#include <utility>

#include "common/text.h"
#include "platform/file_system.h"
#include "platform/system_services.h"

namespace clipvane {

std::string AppDirFromExecutable(const std::string& executable_path, PathStyle style) {
  return FolderPart(executable_path, style);
}

Workspace::Workspace(std::string app_dir, PathStyle style)
    : app_dir_(std::move(app_dir)), style_(style) {}

Workspace Workspace::OfRunningProgram() {
  return Workspace(AppDirFromExecutable(ExecutablePath(), kNativePathStyle), kNativePathStyle);
}

std::vector<std::string> Workspace::CreatedFolders() const {
  return {Incoming(), Batch(), Temp()};
}

void Workspace::CreateFolders(FileSystem& files) const {
  for (const std::string& folder : CreatedFolders())
    if (!files.IsDirectory(folder)) files.MakeFolders(folder);
}

std::string Workspace::OutputPath(const std::string& video_path) const {
  return Incoming() + Separator(style_) + VideoBaseName(video_path, style_) + ".mp4";
}

std::string VideoBaseName(const std::string& video_path, PathStyle style) {
  return FileNamePart(WithoutExtension(video_path, style), style);
}

std::string SubtitlePath(const std::string& video_path, PathStyle style) {
  return WithoutExtension(video_path, style) + ".smi";
}

bool IsVideoFile(const std::string& path, const std::vector<std::string>& video_exts,
                 PathStyle style) {
  std::string ext = AsciiLower(ExtensionOf(path, style));
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  for (const std::string& listed : video_exts)
    if (EqualsIgnoringAsciiCase(ext, listed)) return true;
  return false;
}

}  // namespace clipvane
