#pragma once
#include <windows.h>

namespace clipvane {

struct Program;

// Creates the main window, loads the settings as the options dialog does at its
// creation, and runs the message loop until the main window closes.
int RunMainWindow(Program& program, HINSTANCE instance, int show);

}  // namespace clipvane
