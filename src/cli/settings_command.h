#pragma once
#include <ostream>
#include <string>
#include <vector>

namespace clipvane {

struct Program;
class UserNotifier;

// "settings": without pairs, shows the saved keys and what they give; with KEY=VALUE
// pairs, changes them and saves through the settings store, with all its rules.
// Returns the exit status.
int SettingsCommand(const std::vector<std::string>& pairs, Program& program, UserNotifier& notifier,
                    std::ostream& out, std::ostream& err);

}  // namespace clipvane
