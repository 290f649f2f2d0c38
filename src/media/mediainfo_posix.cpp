#include <fcntl.h>
#include <locale.h>
#include <unistd.h>

#include <string>

#include "media/mediainfo_calls.h"
#include "media/mediainfo_library.h"
#include "platform/dynamic_library.h"
#include "platform/text_encoding.h"
#include "platform/utf.h"

namespace clipvane {
namespace {

// Debian's libmediainfo, loaded by its name when a program or tool asks for the library,
// not linked: the library and the forty it brings would cost every start of a tool
// that never probes anything (a mux) some 20 ms.
class SystemMediaInfo : public MediaInfoLibrary {
 public:
  SystemMediaInfo() {
    library_ = LoadDynamicLibrary("libmediainfo.so.0");
    if (!library_) {
      problem_ = MediaInfoProblem::kMissing;
      return;
    }
    if (!ResolveMediaInfoCalls(*library_, calls_)) {
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
    // A name that is no UTF-8 (code page 949 bytes from a Korean archive, say) does not
    // survive the library's wide names: it is opened here and handed over as the
    // descriptor's name in /proc, which is plain ASCII.
    int fd = -1;
    std::string name = path;
    if (!IsValidUtf8(path)) {
      fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
      if (fd < 0) return {};
      name = "/proc/self/fd/" + std::to_string(fd);
    }
    const std::wstring wide_path = AnsiToWide(name);
    std::string report = WideToAnsi(ReadReport(
        calls_,
        [&](void* handle) {
          // The library turns the wide name back into bytes with the thread's C locale,
          // which cannot hold a Korean file name unless it is a UTF-8 one. Only this
          // thread, and only for the open, so the rest of the process keeps its locale.
          locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
          locale_t previous = utf8 ? uselocale(utf8) : static_cast<locale_t>(nullptr);
          calls_.Open(handle, wide_path.c_str());
          if (utf8) {
            uselocale(previous);
            freelocale(utf8);
          }
        },
        view));
    if (fd >= 0) {
      ::close(fd);
      // The report names the file as it was given to the library.
      for (std::size_t at = report.find(name); at != std::string::npos; at = report.find(name, at + path.size()))
        report.replace(at, name.size(), path);
    }
    return report;
  }

  std::unique_ptr<DynamicLibrary> library_;
  MediaInfoCalls calls_;
  MediaInfoProblem problem_ = MediaInfoProblem::kNone;
};

}  // namespace

std::unique_ptr<MediaInfoLibrary> LoadMediaInfoLibrary(const std::string&, const FileSystem&) {
  return std::make_unique<SystemMediaInfo>();
}

}  // namespace clipvane
