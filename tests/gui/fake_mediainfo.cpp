// A stand-in MediaInfo.dll for the GUI tests: every file gets the report of a 640 by
// 352 picture at 23.976 frames per second, so that job scripts can be written.
#include <cstddef>

static int instance;

extern "C" {
__declspec(dllexport) void* MediaInfo_New() { return &instance; }
__declspec(dllexport) std::size_t MediaInfo_Open(void*, const wchar_t*) { return 1; }
__declspec(dllexport) const wchar_t* MediaInfo_Option(void*, const wchar_t*, const wchar_t*) { return L""; }
__declspec(dllexport) const wchar_t* MediaInfo_Inform(void*, std::size_t) {
  return L"General\r\nFormat                                   : AVI\r\n\r\nVideo\r\n"
         L"Width                                    : 640 pixels\r\n"
         L"Height                                   : 352 pixels\r\n"
         L"Frame rate                               : 23.976 fps\r\n";
}
__declspec(dllexport) void MediaInfo_Close(void*) {}
__declspec(dllexport) void MediaInfo_Delete(void*) {}
}
