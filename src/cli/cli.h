#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "common/workspace.h"

namespace clipvane {

// clipvane-cli over the program folder `workspace`: the same list, settings and
// scripts as the window, driven by commands. Results go to `out`, everything else
// (progress, warnings, errors) to `err`. Returns the exit status.
int RunCli(const std::vector<std::string>& arguments, const Workspace& workspace, std::ostream& out,
           std::ostream& err);

}  // namespace clipvane
