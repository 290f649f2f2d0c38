#pragma once
#include <string>
#include <vector>

namespace clipvane {
class SignalRelay;
}

// Each tool's own work, with its arguments (without the program name) as UTF-8 text.
// The entry point in tool_main.cpp converts them: on Windows they arrive as UTF-16
// through wmain, so that no file name is lost to the ANSI code page. It also owns the
// relay that passes an interrupt or a stop on to the children the tool starts.
int ToolMain(const std::vector<std::string>& args, clipvane::SignalRelay& relay);

namespace clipvane::tools {

bool StandardOutputIsTerminal();

}  // namespace clipvane::tools
