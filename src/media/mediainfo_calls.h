#pragma once
#include <cstddef>
#include <string>
#include <type_traits>

#include "platform/dynamic_library.h"

namespace clipvane {

// The Unicode C interface of MediaInfo, as the platform adapters reach it. wchar_t
// is UTF-16 on Windows and UTF-32 on Linux; the library uses the platform's own.
struct MediaInfoCalls {
  void* (*New)() = nullptr;
  std::size_t (*Open)(void* handle, const wchar_t* file) = nullptr;
  const wchar_t* (*Option)(void* handle, const wchar_t* option, const wchar_t* value) = nullptr;
  const wchar_t* (*Inform)(void* handle, std::size_t reserved) = nullptr;
  void (*Close)(void* handle) = nullptr;
  void (*Delete)(void* handle) = nullptr;  // optional: without it the instance leaks

  bool Complete() const { return New && Open && Option && Inform && Close; }
};

// The calls as `library` exports them; false, with `calls` empty, when one is missing.
inline bool ResolveMediaInfoCalls(const DynamicLibrary& library, MediaInfoCalls& calls) {
  const auto resolve = [&library](const char* name, auto& target) {
    target = reinterpret_cast<std::remove_reference_t<decltype(target)>>(library.Symbol(name));
  };
  resolve("MediaInfo_New", calls.New);
  resolve("MediaInfo_Open", calls.Open);
  resolve("MediaInfo_Option", calls.Option);
  resolve("MediaInfo_Inform", calls.Inform);
  resolve("MediaInfo_Close", calls.Close);
  resolve("MediaInfo_Delete", calls.Delete);
  if (!calls.Complete()) calls = MediaInfoCalls{};
  return calls.Complete();
}

// The custom view that gives a file's length in milliseconds and its numbers of video
// and audio tracks, "1520|1|1".
inline constexpr const wchar_t* kTrackSummaryView = L"General;%Duration%|%VideoCount%|%AudioCount%";

// One probe: a fresh instance, open, ask for the ordinary (not the complete)
// report, or for the custom `view` when one is given, read it, close. `open_file`
// wraps the open call so that a platform can set up what the library needs to find
// the file by its name.
template <typename OpenFile>
std::wstring ReadReport(const MediaInfoCalls& calls, OpenFile open_file, const wchar_t* view = nullptr) {
  void* handle = calls.New();
  if (!handle) return {};
  open_file(handle);
  calls.Option(nullptr, L"Complete", L"");
  // The view is the library's, not the instance's: set it every time, "" being the
  // ordinary report.
  calls.Option(handle, L"Inform", view ? view : L"");
  const wchar_t* report = calls.Inform(handle, 0);
  std::wstring text = report ? report : L"";
  calls.Close(handle);
  if (calls.Delete) calls.Delete(handle);
  return text;
}

}  // namespace clipvane
