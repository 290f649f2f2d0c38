#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "settings/settings_store.h"

namespace clipvane {

struct Program;

// "settings": without pairs, shows the saved keys and what they give; with KEY=VALUE
// pairs, changes them and saves through the settings store, with all its rules.
// Returns the exit status.
int SettingsCommand(const std::vector<std::string>& pairs, Program& program, std::ostream& out, std::ostream& err);

// The line that says a load refused the settings, or nothing.
void SayCheck(SettingsCheck check, std::ostream& err);

}  // namespace clipvane
