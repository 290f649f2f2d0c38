// A real job in the user's hand, through the real clipvane-cli started anew for each
// command, as a user at a terminal (or after a restart) starts it: what one process
// started, another sees, refuses to start twice and stops; the stop leaves nothing of
// the job behind and keeps the earlier MP4.
#include "e2e/e2e_fixture.h"

namespace clipvane {
namespace {

using testing::Eventually;
using testing::ProgramRun;

class JobStopTest : public testing::CliEncodeTest {
 protected:
  // clipvane-cli in a process of its own.
  ProgramRun Command(std::vector<std::string> args) {
    args.insert(args.begin(), app / "clipvane-cli");
    return testing::RunProgram(args);
  }
};

TEST_F(JobStopTest, AJobStartedByOneCommandIsSeenRefusedAgainAndStoppedByOthers) {
  // Long enough that the commands below come well before its end on a busy machine.
  ASSERT_EQ(Cli({"add", MakeVideo("long.avi", "640x480", 240)}), 0);
  app.WriteFile("incoming/long.mp4", "the earlier MP4");
  ASSERT_EQ(Command({"encode", "1"}).status, 0);  // started, and the command is gone
  ProgramRun status;
  ASSERT_TRUE(Eventually([&] {
    status = Command({"status"});
    return status.output.rfind("1\trunning ", 0) == 0 && status.output.find("% ") != std::string::npos;
  })) << status.output
      << status.errors;
  // Never twice: the row's job runs, and nothing else starts.
  const ProgramRun again = Command({"encode", "1"});
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.errors.find("row 1: " + videos_ / "long.avi" + ": already running"), std::string::npos)
      << again.errors;
  const ProgramRun stop = Command({"stop", "1"});
  EXPECT_EQ(std::tie(stop.status, stop.output), std::tuple(0, std::string("1\tstopped\n"))) << stop.errors;
  // The job's sh, the tools and FFmpeg, whose command lines name the folder.
  EXPECT_TRUE(Eventually([&] { return ProcessesOf(app.Path()).empty(); }))
      << *ProcessesOf(app.Path()).front().command_line;
  EXPECT_EQ(Command({"status"}).output, "1\tstopped\n");
  EXPECT_EQ(testing::FilesLeftIn(app / "temp"), 0);  // no intermediate, and the stop request is used up
  EXPECT_EQ(app.Read("incoming/long.mp4"), "the earlier MP4");
  EXPECT_EQ(NativeFileSystem().FilesIn(app / "incoming"), std::vector<std::string>{app / "incoming/long.mp4"});
  // Which tool the stop reached depends on the machine's speed; the log says it stopped.
  EXPECT_NE(app.Read("batch/long.log").find("stopped"), std::string::npos) << app.Read("batch/long.log");
  // Nothing is left to stop.
  const ProgramRun nothing = Command({"stop", "--all"});
  EXPECT_EQ(std::tie(nothing.status, nothing.errors), std::tuple(0, std::string("clipvane-cli: no job runs\n")));
}

}  // namespace
}  // namespace clipvane
