#pragma once
#include <string>
#include <vector>

namespace clipvane {

class ProcessList;

// The executable names that the census counts: the encoder tools and the command
// interpreter that runs the job scripts.
struct CensusNames {
  std::vector<std::string> tools;
  std::string interpreter;
};

// On Windows the tools are .exe files run by cmd.exe; on Linux they run without an
// extension under sh.
CensusNames NativeCensusNames();

// The running processes, other than this one, whose executable file name equals
// `name` ignoring ASCII case; short aliases compare by their first six characters
// and extension.
int CountProcesses(const std::string& name, const ProcessList& processes);

// Busy while at least one tool runs and there are no fewer interpreters than tools.
bool EncoderCensus(const ProcessList& processes, const CensusNames& names);

// Whether an interpreter runs a script of this program's (one in `scripts_folder`, as
// its command line says) other than those that called this process: a job between two
// tools, or a queue between two jobs, when no tool runs for a moment. A script that has
// come to its last line, the call of the power-action mode (it has a child of this
// program's name), has nothing more to do and does not count, so that queues ending
// together do not each wait for the other.
bool ScriptsAtWork(const ProcessList& processes, const std::string& interpreter, const std::string& scripts_folder);

}  // namespace clipvane
