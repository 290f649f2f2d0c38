#include <locale.h>

#include "media/mediainfo_calls.h"
#include "media/mediainfo_library.h"
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

// On Linux the ANSI text of the core is UTF-8 and wchar_t holds UTF-32.
std::wstring Utf8ToWide(const std::string& text) {
  std::wstring out;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int extra = lead < 0x80 ? 0 : lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : -1;
    char32_t code = extra == 0 ? lead : extra == 1 ? lead & 0x1F : extra == 2 ? lead & 0x0F : lead & 0x07;
    bool valid = extra >= 0 && i + static_cast<std::size_t>(extra) < text.size();
    for (int k = 1; valid && k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      valid = (next & 0xC0) == 0x80;
      code = (code << 6) | (next & 0x3F);
    }
    if (!valid) {
      out += L'\xFFFD';
      ++i;
      continue;
    }
    out += static_cast<wchar_t>(code);
    i += static_cast<std::size_t>(extra) + 1;
  }
  return out;
}

std::string WideToUtf8(const std::wstring& text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t wide : text) AppendUtf8(out, static_cast<char32_t>(wide));
  return out;
}

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

  std::string Problem() const override { return {}; }

  std::string Inform(const std::string& path) override {
    const std::wstring wide_path = Utf8ToWide(path);
    return WideToUtf8(ReadReport(calls_, [&](void* handle) {
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
    }));
  }

 private:
  MediaInfoCalls calls_;
};

}  // namespace

std::unique_ptr<MediaInfoLibrary> LoadMediaInfoLibrary(const std::string&) {
  return std::make_unique<LinkedMediaInfo>();
}

}  // namespace clipvane
