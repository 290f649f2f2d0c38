#include "tool_main.h"

#include "platform/signal_relay.h"

#include <cstdio>
#include <cwchar>

#ifdef _WIN32
#include <io.h>

#include "platform/utf.h"

int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(clipvane::WideToUtf8(argv[i]));
  clipvane::SignalRelay relay;
  return ToolMain(args, relay);
}

bool clipvane::tools::StandardOutputIsTerminal() { return _isatty(_fileno(stdout)) != 0; }

#else
#include <malloc.h>
#include <signal.h>
#include <sys/prctl.h>
#include <unistd.h>

int main(int argc, char** argv) {
  // A stream copy allocates and frees a packet at a time, and the muxer's tables grow
  // all along: memory once taken is kept for the next packet instead of being handed
  // back to the system and faulted in again (a tenth of a film's sound mux).
  mallopt(M_TRIM_THRESHOLD, 256 << 20);
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  // First, before any thread: the relay holds the signals it passes on in every thread.
  clipvane::SignalRelay relay;
  // A job that is killed takes its tool with it, as a stop would: the tool ends as it
  // does when stopped, its helpers with it, instead of working on for no one.
  const pid_t parent = getppid();
  if (prctl(PR_SET_PDEATHSIG, SIGTERM) != 0 || getppid() != parent) return 1;
  return ToolMain(std::vector<std::string>(argv + 1, argv + argc), relay);
}

bool clipvane::tools::StandardOutputIsTerminal() { return isatty(STDOUT_FILENO) == 1; }

#endif
