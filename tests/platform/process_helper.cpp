// A child for the process tests, the same on every platform:
//   args ARG...   writes each argument, one a line
//   exit N        ends with status N
//   stdin         tells how many bytes its input held
//   streams A B   writes A to stdout and B to stderr
//   parent FILE   starts "wait FILE" as its own child, writes its id to FILE, and waits
//   wait [FILE]   says "ready" (and adds its id to FILE), then waits for a minute
//                 unless it is ended
//   relay         holds a signal relay with no child and stops itself: the stop
//                 must end it all the same
//   step NAME FILE  (the batch job tests' tool) adds the line "made NAME" to FILE,
//                 unless a file "fail-NAME" lies beside the helper: then ends with 3
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "platform/child_processes.h"
#include "platform/file_system.h"
#include "platform/signal_relay.h"
#include "platform/system_services.h"
#include "platform/utf.h"

#ifdef _WIN32
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

namespace {

// Adds what this process is and its id to the file, a line of its own.
void NoteId(const std::string& file, const char* what) {
  if (std::FILE* out = std::fopen(file.c_str(), "a")) {
    std::fprintf(out, "%s %lu\n", what, static_cast<unsigned long>(clipvane::NativeProcessList().OwnProcessId()));
    std::fclose(out);
  }
}

int Run(const std::vector<std::string>& args) {
  if (args.empty()) return 2;
  const std::string& mode = args[0];
  if (mode == "args") {
    for (std::size_t i = 1; i < args.size(); ++i) std::printf("%s\n", args[i].c_str());
    return 0;
  }
  if (mode == "exit" && args.size() == 2) return std::atoi(args[1].c_str());
  if (mode == "stdin") {
    std::size_t count = 0;
    while (std::getchar() != EOF) ++count;
    std::printf("read %zu", count);
    return 0;
  }
  if (mode == "streams" && args.size() == 3) {
    std::fwrite(args[1].data(), 1, args[1].size(), stdout);
    std::fwrite(args[2].data(), 1, args[2].size(), stderr);
    return 0;
  }
  if (mode == "step" && args.size() == 3) {
    const std::string self = clipvane::ExecutablePath();
    if (clipvane::NativeFileSystem().Exists(self.substr(0, self.find_last_of("\\/") + 1) + "fail-" + args[1])) return 3;
    std::FILE* out = std::fopen(args[2].c_str(), "ab");
    if (!out) return 4;
    std::fprintf(out, "made %s\r\n", args[1].c_str());
    return std::fclose(out) == 0 ? 0 : 4;
  }
  if (mode == "parent" && args.size() == 2) {
    clipvane::ChildProcesses child;
    if (!child.Start({clipvane::ExecutablePath(), "wait", args[1]}, {clipvane::Discarded(), clipvane::Discarded()}))
      return 3;
    NoteId(args[1], "parent");
    child.WaitAll();
    return 0;
  }
  if (mode == "wait") {
    if (args.size() == 2) NoteId(args[1], "child");
    std::printf("ready\n");
    std::fflush(stdout);
    std::this_thread::sleep_for(std::chrono::seconds(60));
    return 0;
  }
#ifndef _WIN32
  if (mode == "relay") {
    clipvane::SignalRelay relay;
    ::kill(::getpid(), SIGTERM);
    std::this_thread::sleep_for(std::chrono::seconds(10));
    return 0;
  }
#endif
  return 2;
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) args.push_back(clipvane::WideToUtf8(argv[i]));
  return Run(args);
}
#else
int main(int argc, char** argv) { return Run(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
