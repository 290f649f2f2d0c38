#pragma once
#include <sys/types.h>

#include <string>
#include <vector>

namespace clipvane {

// The program a name stands for: a name with a folder as it is, else the first
// executable of that name on PATH, else the name itself (which then fails to start).
// Found before a fork: after it, only calls that are safe in a child of a threaded
// process may run, and a search of PATH is none.
std::string ProgramOnPath(const std::string& name);

// What a child's standard streams become before its program runs: a descriptor of
// ours put in place of `target`, or a file opened there.
struct StreamPlan {
  int target = 0;
  int from = -1;  // ours, duplicated; or -1 to open `path`
  const char* path = nullptr;
  int flags = 0;
};

// Starts `argv` (a name without a folder is looked up on PATH) with the streams set as
// planned, its signal mask empty and `defaults` back to their default actions. In a
// session of its own, or else bound to this process: when we die, however, it is
// killed (the parent-death signal), so that a killed tool never leaves its helpers
// running. Returns the child's id, or -1 with the reason in `error`.
pid_t StartChildProcess(const std::vector<std::string>& argv, const std::vector<StreamPlan>& streams,
                        const std::vector<int>& defaults, bool own_session, int& error);

}  // namespace clipvane
