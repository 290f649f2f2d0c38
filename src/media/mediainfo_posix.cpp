#include <fcntl.h>
#include <locale.h>
#include <unistd.h>

#include <string>

#include "media/mediainfo_calls.h"
#include "media/mediainfo_library.h"
#include "platform/text_encoding.h"
#include "platform/utf.h"

// Debian's libmediainfo exports its C interface unmangled.
extern "C" {
void* MediaInfo_New();
std::size_t MediaInfo_Open(void* handle, const wchar_t* file);
const wchar_t* MediaInfo_Option(void* handle, const wchar_t* option, const wchar_t* value);
const wchar_t* MediaInfo_Inform(void* handle, std::size_t reserved);
void MediaInfo_Close(void* handle);
void MediaInfo_Delete(void* handle);
}

namespace clipvane {
namespace {

class LinkedMediaInfo : public MediaInfoLibrary {
 public:
  LinkedMediaInfo() {
    calls_.New = MediaInfo_New;
    calls_.Open = MediaInfo_Open;
    calls_.Option = MediaInfo_Option;
    calls_.Inform = MediaInfo_Inform;
    calls_.Close = MediaInfo_Close;
    calls_.Delete = MediaInfo_Delete;
  }

  MediaInfoProblem Problem() const override { return MediaInfoProblem::kNone; }

  std::string Inform(const std::string& path) override { return Read(path, nullptr); }
  std::string InformTracks(const std::string& path) override { return Read(path, kTrackSummaryView); }

 private:
  std::string Read(const std::string& path, const wchar_t* view) {
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

  MediaInfoCalls calls_;
};

}  // namespace

std::unique_ptr<MediaInfoLibrary> LoadMediaInfoLibrary(const std::string&, const FileSystem&) {
  return std::make_unique<LinkedMediaInfo>();
}

}  // namespace clipvane
