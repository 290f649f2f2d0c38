#pragma once
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/cli_runner.h"
#include "platform/system_services.h"
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
