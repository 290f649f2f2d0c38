// MediaInfo.dll beside the program, loaded when the program starts. Windows only:
// the wide strings of its interface are UTF-16 there.
#include "media/mediainfo_calls.h"
#include "media/mediainfo_library.h"
#include "platform/dynamic_library.h"
#include "platform/file_system.h"
#include "platform/text_encoding.h"
#include "platform/win32/wide_text.h"

namespace clipvane {
namespace {

template <typename Function>
void Resolve(const DynamicLibrary& library, const char* name, Function& target) {
  target = reinterpret_cast<Function>(library.Symbol(name));
}

class LoadedMediaInfo : public MediaInfoLibrary {
 public:
  explicit LoadedMediaInfo(const std::string& app_dir) {
    // The full path, so that no other copy on the search path is picked up.
    const std::string dll = app_dir + "MediaInfo.dll";
    if (!NativeFileSystem().Exists(dll)) {
      problem_ = Utf8ToAnsi(
          u8"MediaInfo.dll 파일을 찾지 못했습니다.\r\n"
          u8"동영상의 화면 크기와 초당 프레임 수를 알 수 없어 인코딩할 수 없습니다.\r\n"
          u8"프로그램 폴더에 MediaInfo.dll을 넣어 주세요.");
      return;
    }
    library_ = LoadDynamicLibrary(dll);
    if (library_) {
      Resolve(*library_, "MediaInfo_New", calls_.New);
      Resolve(*library_, "MediaInfo_Open", calls_.Open);
      Resolve(*library_, "MediaInfo_Option", calls_.Option);
      Resolve(*library_, "MediaInfo_Inform", calls_.Inform);
      Resolve(*library_, "MediaInfo_Close", calls_.Close);
      Resolve(*library_, "MediaInfo_Delete", calls_.Delete);
    }
    if (!library_ || !calls_.Complete()) {
      library_.reset();
      calls_ = MediaInfoCalls{};
      problem_ = Utf8ToAnsi(
          u8"MediaInfo.dll 파일을 쓸 수 없습니다.\r\n"
          u8"동영상의 화면 크기와 초당 프레임 수를 알 수 없어 인코딩할 수 없습니다.\r\n"
          u8"프로그램 폴더의 MediaInfo.dll을 64비트용 새 파일로 바꿔 주세요.");
    }
  }

  std::string Problem() const override { return problem_; }

  std::string Inform(const std::string& path) override {
    if (!library_) return {};
    const std::wstring wide_path = AnsiToWide(path);
    return WideToAnsi(
        ReadReport(calls_, [&](void* handle) { calls_.Open(handle, wide_path.c_str()); }));
  }

 private:
  std::unique_ptr<DynamicLibrary> library_;
  MediaInfoCalls calls_;
  std::string problem_;
};

}  // namespace

std::unique_ptr<MediaInfoLibrary> LoadMediaInfoLibrary(const std::string& app_dir) {
  return std::make_unique<LoadedMediaInfo>(app_dir);
}

}  // namespace clipvane
