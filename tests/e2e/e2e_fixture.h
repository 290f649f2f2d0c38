#pragma once
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_runner.h"
#include "platform/system_services.h"
#include "runs/power_run.h"
#include "session/run_modes.h"
#include "support/fakes.h"
#include "tools/tool_runs.h"

namespace clipvane::testing {

// clipvane-cli over a program folder with the built tools in bin/ and, in the
// program's place, a recorder: a power action is only ever written down.
class CliEncodeTest : public ::testing::Test, protected CliRunner {
 protected:
  CliEncodeTest() {
    namespace fs = std::filesystem;
    fs::create_directory(app / "bin");
    for (const char* tool : {"mencoder", "mp4creator"})
      fs::copy_file(fs::path(CLIPVANE_BUILD_DIR) / "bin" / tool, app / ("bin/" + std::string(tool)));
    fs::copy_file(fs::path(CLIPVANE_BUILD_DIR) / "clipvane-cli", app / "clipvane-cli");
    Executable("clipvane", "echo \"$@\" >> '" + app / "power.log'");
  }
  // An sh script in the program folder, ready to run.
  void Executable(const std::string& name, const std::string& body) {
    std::filesystem::permissions(app.WriteFile(name, "#!/bin/sh\n" + body + "\n"), std::filesystem::perms::owner_exec,
                                 std::filesystem::perm_options::add);
  }
  // Made under a plain name, then renamed: the name may hold what a shell would not take.
  std::string MakeVideo(const std::string& name, const std::string& size = "160x120", int seconds = 1) {
    const std::string made = videos_ / "made.avi", path = videos_ / name;
    testing::MakeVideo(made, "testsrc=size=" + size + ":rate=25", "sine=frequency=500",
                       "-t " + std::to_string(seconds) + " -c:v mpeg4 -c:a mp3");
    EXPECT_EQ(std::rename(made.c_str(), path.c_str()), 0);
    return path;
  }
  // clipvane-cli with these arguments in the background, its stderr to `said`. (That
  // the jobs it starts write nowhere near its own output: LaunchDetached's tests.)
  pid_t StartInBackground(std::vector<std::string> args, const std::string& said) {
    args.insert(args.begin(), app / "clipvane-cli");
    const pid_t pid = ::fork();
    if (pid == 0) {
      if (!std::freopen(said.c_str(), "w", stderr) || !std::freopen("/dev/null", "w", stdout)) ::_exit(126);
      std::vector<char*> argv;
      for (std::string& arg : args) argv.push_back(arg.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    return pid;
  }
  // What the power-action mode asks of the machine when it ends each of `queues` queues,
  // as their last lines run it, with the run on record or without a record.
  std::vector<std::string> PowerActionAtQueueEnds(int queues, bool run_on_record) {
    FakeMachine machine;
    for (int queue = 0; queue < queues; ++queue) {
      PowerActionServices services{machine,        NativeProcessList(), machine, NativeCensusNames(),
                                   app / "batch/", std::nullopt};
      if (run_on_record) services.run.emplace(NativeFileSystem(), workspace);
      RunPowerActionMode("shutdown", services);
    }
    return machine.events;
  }
  // Whether another program's encoders run on this machine, which the census rightly
  // counts too.
  static bool OtherEncodersRun() {
    return !ProcessesOf("", "mencoder").empty() || !ProcessesOf("", "mp4creator").empty();
  }
  // The live processes whose command line holds `part`, of the program `name` when given.
  static std::vector<ProcessEntry> ProcessesOf(const std::string& part, const std::string& name = "") {
    std::vector<ProcessEntry> found;
    for (const ProcessEntry& entry : NativeProcessList().Snapshot())
      if ((name.empty() || entry.exe_name == name) && entry.command_line &&
          entry.command_line->find(part) != std::string::npos && ProcessIsAlive(entry.id))
        found.push_back(entry);
    return found;
  }

  TempFolder videos_;
};

}  // namespace clipvane::testing
