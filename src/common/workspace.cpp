#include "common/workspace.h"

#include <utility>

#include "platform/file_system.h"
#include "platform/system_services.h"
#include "platform/text_encoding.h"

namespace clipvane {

std::string AppDirFromExecutable(const std::string& executable_path, PathStyle style) {
  return FolderPart(executable_path, style);
}

std::string ChooseDataDir(const std::string& app_dir, bool app_dir_writable, const std::string& user_data_folder,
                          PathStyle style) {
  if (app_dir_writable || user_data_folder.empty()) return app_dir;
  return user_data_folder + Separator(style) + "clipvane" + Separator(style);
}

Workspace::Workspace(std::string app_dir, PathStyle style) : Workspace(app_dir, app_dir, style) {}

Workspace::Workspace(std::string app_dir, std::string data_dir, PathStyle style)
    : app_dir_(std::move(app_dir)), data_dir_(std::move(data_dir)), style_(style) {}

Workspace Workspace::OfRunningProgram() {
  const std::string app_dir = AppDirFromExecutable(ExecutablePath(), kNativePathStyle);
  const std::string user_data = UserDataFolder();
  const std::string data_dir =
      ChooseDataDir(app_dir, user_data.empty() || CanWriteInFolder(app_dir), user_data, kNativePathStyle);
  // MP4.ini may be written before any work folder is made.
  if (data_dir != app_dir) NativeFileSystem().MakeFolders(data_dir.substr(0, data_dir.size() - 1));
  return Workspace(app_dir, data_dir, kNativePathStyle);
}

std::vector<std::string> Workspace::CreatedFolders() const { return {Incoming(), Batch(), Temp()}; }

void Workspace::CreateFolders(FileSystem& files) const {
  for (const std::string& folder : CreatedFolders())
    if (!files.IsDirectory(folder)) files.MakeFolders(folder);
}

bool IsOutput(const std::string& video_path, const std::string& output_folder, const FileSystem& files,
              PathStyle style) {
  if (files.Exists(SourceRecordPath(video_path, style))) return true;
  const std::string folder = FolderPart(video_path, style);
  if (SamePath(folder, output_folder, style)) return true;
  const std::optional<std::string> real = files.ResolvedPath(video_path);
  const std::optional<std::string> results = files.ResolvedPath(output_folder.substr(0, output_folder.size() - 1));
  return real && results && SamePath(FolderPart(*real, style), *results + Separator(style), style);
}

std::string SourceRecordPath(const std::string& mp4, PathStyle style) {
  return FolderPart(mp4, style) + ".sources" + Separator(style) + FileNamePart(mp4, style) + ".txt";
}

std::string VideoBaseName(const std::string& video_path, PathStyle style) {
  return FileNamePart(WithoutExtension(video_path, style), style);
}

bool IsVideoFile(const std::string& path, const std::vector<std::string>& video_exts, PathStyle style) {
  std::string ext = AsciiLower(ExtensionOf(path, style));
  if (!ext.empty() && ext[0] == '.') ext.erase(0, 1);
  for (const std::string& listed : video_exts)
    if (EqualsIgnoringAsciiCase(ext, listed)) return true;
  return false;
}

}  // namespace clipvane
