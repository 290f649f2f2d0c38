#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/expected.h"
#include "platform/launch_failure.h"
#include "platform/system_services.h"

namespace clipvane {

// A program started apart from us, as the system knows it.
struct Launched {
  // Its process id; 0 when the system did not tell it (a document opened by the
  // desktop). On POSIX it is also the id of its session and process group, which
  // everything it starts joins: kill(-id, SIGTERM) stops a script with its tools.
  std::uint32_t id = 0;
  // When it started, as IdentifyProcess says (platform/system_services.h): with the id,
  // the process for its whole life. "ended" when it was gone before it could be asked;
  // empty when not known.
  std::string started;
  ProcessIdentity Identity() const { return {id, started}; }
  bool operator==(const Launched& other) const { return id == other.id && started == other.started; }
};

// The process just started under `id` as Launched names it.
Launched LaunchedAs(std::uint32_t id);

// Starts a program that outlives us and is not waited for, as the desktop opens a
// file: in a session (POSIX) or process group (Windows) of its own, reading nothing,
// with its output and errors in `output_file` (made afresh) or nowhere when that is
// empty. Arguments and file are UTF-8; a program named without a folder is looked up
// on PATH. What does not start (no such program, an output file that cannot be made)
// is said in the failure, before this returns.
Expected<Launched, LaunchFailure> LaunchDetached(const std::vector<std::string>& argv,
                                                 const std::string& output_file = {});

}  // namespace clipvane
