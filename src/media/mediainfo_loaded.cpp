// MediaInfo.dll beside the program, loaded when the program starts (Windows).
#include "media/mediainfo_calls.h"
#include "media/mediainfo_library.h"
#include "platform/dynamic_library.h"
#include "platform/file_system.h"
#include "platform/text_encoding.h"

namespace clipvane {
namespace {

class LoadedMediaInfo : public MediaInfoLibrary {
 public:
  LoadedMediaInfo(const std::string& app_dir, const FileSystem& files) {
    // The full path, so that no other copy on the search path is picked up.
    const std::string dll = app_dir + "MediaInfo.dll";
    if (!files.Exists(dll)) {
      problem_ = MediaInfoProblem::kMissing;
      return;
    }
    library_ = LoadDynamicLibrary(dll);
    if (!library_ || !ResolveMediaInfoCalls(*library_, calls_)) {
      library_.reset();
      problem_ = MediaInfoProblem::kUnusable;
    }
  }

  MediaInfoProblem Problem() const override { return problem_; }

  std::string Inform(const std::string& path) override { return Read(path, nullptr); }
  std::string InformTracks(const std::string& path) override { return Read(path, kTrackSummaryView); }

 private:
  std::string Read(const std::string& path, const wchar_t* view) {
    if (!library_) return {};
    const std::wstring wide_path = AnsiToWide(path);
    return WideToAnsi(ReadReport(
        calls_, [&](void* handle) { calls_.Open(handle, wide_path.c_str()); }, view));
  }

  std::unique_ptr<DynamicLibrary> library_;
  MediaInfoCalls calls_;
  MediaInfoProblem problem_ = MediaInfoProblem::kNone;
};

}  // namespace

std::unique_ptr<MediaInfoLibrary> LoadMediaInfoLibrary(const std::string& app_dir, const FileSystem& files) {
  return std::make_unique<LoadedMediaInfo>(app_dir, files);
}

}  // namespace clipvane
