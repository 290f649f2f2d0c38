/* A stand-in MediaInfo.dll for the GUI tests: every file gets the report of a 640 by
   352 picture at 23.976 frames per second, so that job scripts can be written. */
#include <stddef.h>
#include <wchar.h>

static int instance;

__declspec(dllexport) void* MediaInfo_New(void) { return &instance; }
__declspec(dllexport) size_t MediaInfo_Open(void* handle, const wchar_t* file) {
  (void)handle;
  (void)file;
  return 1;
}
__declspec(dllexport) const wchar_t* MediaInfo_Option(void* handle, const wchar_t* option, const wchar_t* value) {
  (void)handle;
  (void)option;
  (void)value;
  return L"";
}
__declspec(dllexport) const wchar_t* MediaInfo_Inform(void* handle, size_t reserved) {
  (void)handle;
  (void)reserved;
  return L"General\r\nFormat                                   : AVI\r\n\r\nVideo\r\n"
         L"Width                                    : 640 pixels\r\n"
         L"Height                                   : 352 pixels\r\n"
         L"Frame rate                               : 23.976 fps\r\n";
}
__declspec(dllexport) void MediaInfo_Close(void* handle) { (void)handle; }
__declspec(dllexport) void MediaInfo_Delete(void* handle) { (void)handle; }
