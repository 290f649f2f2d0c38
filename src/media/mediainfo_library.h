#pragma once
#include <memory>
#include <string>

namespace clipvane {

class FileSystem;

// Why no video can be probed, when the library is not there to ask.
enum class MediaInfoProblem { kNone, kMissing, kUnusable };

// The MediaInfo library behind the probe, loaded at run time: Debian's
// libmediainfo.so.0 on Linux, MediaInfo.dll beside the program on Windows.
class MediaInfoLibrary {
 public:
  virtual ~MediaInfoLibrary() = default;
  virtual MediaInfoProblem Problem() const = 0;
  // The plain report on the file at `path` (ANSI), in ANSI text. Empty when the
  // library is missing or cannot read the file.
  virtual std::string Inform(const std::string& path) = 0;
  // The file's length and tracks in the form of kTrackSummaryView, "1520|1|1";
  // empty when the library is missing or cannot read the file.
  virtual std::string InformTracks(const std::string& path) = 0;
};

// The platform's library; on Windows `app_dir` is where MediaInfo.dll is looked for.
// Never fails: a missing or unusable library gives an object whose Problem() says so.
std::unique_ptr<MediaInfoLibrary> LoadMediaInfoLibrary(const std::string& app_dir, const FileSystem& files);

}  // namespace clipvane
