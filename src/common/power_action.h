#pragma once

namespace clipvane {

// What the computer does when a whole-list run is over. Chosen in the main window,
// never stored; run scripts end by calling the program with its word.
enum class PowerAction { kNone, kSuspend, kShutdown };

}  // namespace clipvane
