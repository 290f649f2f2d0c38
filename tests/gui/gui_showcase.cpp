// Puts the windows on the screen for a screenshot: the main window with a few rows,
// with its context menu open, or with the options dialog over it. Runs until its
// Wine session is ended.
#include <windows.h>

#include <commctrl.h>

#include "app/win32/options_dialog_win32.h"
#include "gui/gui_fixture.h"
#include "platform/file_system.h"

int main(int argc, char** argv) {
  using namespace clipvane;
  using namespace clipvane::testing;
  const std::string state = argc > 1 ? argv[1] : "main";
  GuiFixture fixture;
  std::vector<std::string> paths;
  for (const char* name : {u8"휴가 영상.avi", u8"Holiday.avi", u8"서울의 밤.wmv", u8"Busan 2009.mpg"})
    paths.push_back(fixture.Video(Utf8ToAnsi(name)));
  fixture.temp.WriteFile("videos\\Holiday.smi", "<SAMI>");
  NativeFileSystem().MakeFolders(fixture.temp / "incoming");
  fixture.temp.WriteFile("incoming\\Holiday.mp4", "mp4");
  fixture.CreateWindows(paths);
  fixture.Select({1, 2});
  SetFocus(fixture.Main().ListView());
  if (state == "menu") {
    RECT row;
    ListView_GetItemRect(fixture.Main().ListView(), 2, &row, LVIR_BOUNDS);
    POINT at{row.left + 120, row.bottom};
    ClientToScreen(fixture.Main().ListView(), &at);
    PostMessageW(fixture.Main().Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(fixture.Main().ListView()),
                 MAKELPARAM(at.x, at.y));
  } else if (state == "options") {
    PostMessageW(fixture.Main().Handle(), WM_COMMAND, kIdOptionsButton, 0);
  }
  return RunMessageLoop(fixture.Main());
}
