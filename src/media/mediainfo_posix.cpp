#include <locale.h>

#include "media/mediainfo_calls.h"
#include "media/mediainfo_library.h"
#include "platform/text_encoding.h"

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
    const std::wstring wide_path = AnsiToWide(path);
    return WideToAnsi(ReadReport(calls_, [&](void* handle) {
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
    }, view));
  }

  MediaInfoCalls calls_;
};

}  // namespace

std::unique_ptr<MediaInfoLibrary> LoadMediaInfoLibrary(const std::string&, const FileSystem&) {
  return std::make_unique<LinkedMediaInfo>();
}

}  // namespace clipvane
