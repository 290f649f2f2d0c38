#pragma once
#include <windows.h>

namespace clipvane {

// Shows `dialog` over its disabled owner and runs messages until `closed` is set,
// then hides it. A quit request met meanwhile is passed on to the outer loop.
void RunModal(HWND dialog, HWND owner, const bool& closed);

// Places a window of the given client size in the middle of the desktop.
void CentreOnDesktop(HWND window, int client_width, int client_height);

}  // namespace clipvane
