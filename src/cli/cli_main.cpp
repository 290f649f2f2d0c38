#include <iostream>

#include "cli/cli.h"

int main(int argc, char** argv) {
  const std::vector<std::string> arguments(argv + 1, argv + argc);
  return clipvane::RunCli(arguments, clipvane::Workspace::OfRunningProgram(), std::cout, std::cerr);
}
