#pragma once
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "media/mediainfo_library.h"
#include "platform/file_system.h"
#include "platform/shell.h"
#include "platform/system_services.h"
#include "support/fakes.h"
#include "support/temp_folder.h"

namespace clipvane::testing {

// clipvane-cli run in this process over a temporary program folder, keeping what it
// writes to stdout and stderr.
class CliRunner {
 public:
  int Cli(const std::vector<std::string>& args) {
    out.str("");
    err.str("");
    // A test process relays no signal; only what it waits for runs.
    const bool waits = std::find(args.begin(), args.end(), "--wait") != args.end();
    CliServices services{
        {NativeFileSystem(), waits ? NativeShell() : detached, *mediainfo}, nullptr, "/usr/share/fonts", out, err};
    return RunCli(args, workspace, services);
  }

  void ExpectSaid(const std::string& words) { EXPECT_NE(err.str().find(words), std::string::npos) << err.str(); }
  // Runs the command: it ends with `status`, and says `words` on stderr.
  ::testing::AssertionResult Says(const std::vector<std::string>& args, int status, const std::string& words) {
    const int got = Cli(args);
    if (got == status && err.str().find(words) != std::string::npos) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "status " << got << ", said: " << err.str();
  }
  // The exit status of a process this test started; -1 when a signal ended it.
  static int ExitStatus(pid_t pid) {
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  // Scripts started without --wait are only written down: nothing runs behind a test.
  RecordingShell detached;
  TempFolder app;
  Workspace workspace{app.Path(), PathStyle::kPosix};
  std::unique_ptr<MediaInfoLibrary> mediainfo = LoadMediaInfoLibrary(app.Path(), NativeFileSystem());
  std::ostringstream out, err;
};

}  // namespace clipvane::testing
