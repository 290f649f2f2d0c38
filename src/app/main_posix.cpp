// clipvane on Linux: the power-action mode that the run scripts call at their end.
// There is no window here; the list and the conversions are driven by clipvane-cli.
#include <cstdio>
#include <string>
#include <vector>

#include "app/program.h"
#include "platform/system_services.h"

int main(int argc, char** argv) {
  using namespace clipvane;
  Program program = StartProgram(Workspace::OfRunningProgram(), SpecialFolderPath(kFontsFolder));
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  return RunProgram(arguments, program, [](Program&) {
    std::fprintf(stderr,
                 "clipvane: this build has no window; use clipvane-cli to list and convert videos "
                 "(clipvane-cli --help).\n");
    return 2;
  });
}
