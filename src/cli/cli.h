#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "session/session.h"
#include "common/workspace.h"

namespace clipvane {

class SignalRelay;

// What clipvane-cli works with, built once by its main (or by a test).
struct CliServices {
  CoreServices core;   // the files, the detached shell and the probe library
  SignalRelay* relay;  // tells --wait of an interrupt; none in a test
  std::string fonts_folder;
  std::ostream& out;  // results
  std::ostream& err;  // progress, warnings and errors
};

// clipvane-cli over the program folder `workspace`: the same list, settings and
// scripts as the window, driven by commands. Returns the exit status.
int RunCli(const std::vector<std::string>& arguments, const Workspace& workspace, CliServices& services);

}  // namespace clipvane
