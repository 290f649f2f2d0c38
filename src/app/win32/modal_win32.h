#pragma once
#include <windows.h>

#include <string>

namespace clipvane {

// Shows `dialog` over its disabled owner and runs messages until `closed` is set,
// then hides it. A quit request met meanwhile is passed on to the outer loop.
void RunModal(HWND dialog, HWND owner, const bool& closed);

// A dialog window of the class with a caption and `style` besides, its client area
// centred on the desktop; `owner` reaches the class's window procedure at creation.
HWND CreateCentredDialog(HINSTANCE instance, const wchar_t* window_class, DWORD style, const std::string& caption,
                         int client_width, int client_height, void* owner);

}  // namespace clipvane
