#include <windows.h>

#include "media/mediainfo_calls.h"
#include "media/mediainfo_library.h"
#include "platform/text_encoding.h"
#include "platform/win32/wide_text.h"

namespace clipvane {
namespace {

template <typename Function>
void Resolve(HMODULE module, const char* name, Function& target) {
  // Through the generic function type, which GCC accepts as a cast between any two.
  target = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

class LoadedMediaInfo : public MediaInfoLibrary {
 public:
  explicit LoadedMediaInfo(const std::string& app_dir) {
    const std::wstring dll = AnsiToWide(app_dir + "MediaInfo.dll");
    if (GetFileAttributesW(dll.c_str()) == INVALID_FILE_ATTRIBUTES) {
      problem_ = Utf8ToAnsi(
          u8"MediaInfo.dll 파일을 찾지 못했습니다.\r\n"
          u8"동영상의 화면 크기와 초당 프레임 수를 알 수 없어 인코딩할 수 없습니다.\r\n"
          u8"프로그램 폴더에 MediaInfo.dll을 넣어 주세요.");
      return;
    }
    // The full path, so that no other copy on the search path is picked up; its own
    // dependencies are then looked for beside it.
    // A damaged file must fail quietly, not with a system error box.
    DWORD previous_mode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &previous_mode);
    module_ = LoadLibraryExW(dll.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    SetThreadErrorMode(previous_mode, nullptr);
    if (module_) {
      Resolve(module_, "MediaInfo_New", calls_.New);
      Resolve(module_, "MediaInfo_Open", calls_.Open);
      Resolve(module_, "MediaInfo_Option", calls_.Option);
      Resolve(module_, "MediaInfo_Inform", calls_.Inform);
      Resolve(module_, "MediaInfo_Close", calls_.Close);
      Resolve(module_, "MediaInfo_Delete", calls_.Delete);
    }
    if (!module_ || !calls_.Complete()) {
      if (module_) FreeLibrary(module_);
      module_ = nullptr;
      calls_ = MediaInfoCalls{};
      problem_ = Utf8ToAnsi(
          u8"MediaInfo.dll 파일을 쓸 수 없습니다.\r\n"
          u8"동영상의 화면 크기와 초당 프레임 수를 알 수 없어 인코딩할 수 없습니다.\r\n"
          u8"프로그램 폴더의 MediaInfo.dll을 64비트용 새 파일로 바꿔 주세요.");
    }
  }

  ~LoadedMediaInfo() override {
    if (module_) FreeLibrary(module_);
  }
  LoadedMediaInfo(const LoadedMediaInfo&) = delete;
  LoadedMediaInfo& operator=(const LoadedMediaInfo&) = delete;

  std::string Problem() const override { return problem_; }

  std::string Inform(const std::string& path) override {
    if (!module_) return {};
    const std::wstring wide_path = AnsiToWide(path);
    return WideToAnsi(
        ReadReport(calls_, [&](void* handle) { calls_.Open(handle, wide_path.c_str()); }));
  }

 private:
  HMODULE module_ = nullptr;
  MediaInfoCalls calls_;
  std::string problem_;
};

}  // namespace

std::unique_ptr<MediaInfoLibrary> LoadMediaInfoLibrary(const std::string& app_dir) {
  return std::make_unique<LoadedMediaInfo>(app_dir);
}

}  // namespace clipvane
