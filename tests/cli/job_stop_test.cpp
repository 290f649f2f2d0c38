// A real job in the user's hand, through the real clipvane-cli started anew for each
// command, as a user at a terminal (or after a restart) starts it: what one process
// started, another sees, refuses to start twice and stops; the stop leaves nothing of
// the job behind and keeps the earlier MP4.
#include <chrono>
#include <filesystem>
#include <thread>

#include "e2e/e2e_fixture.h"
#include "platform/system_services.h"

namespace clipvane {
namespace {

namespace fs = std::filesystem;

struct CommandRun {
  int status = -1;
  std::string out, err;
};

class JobStopTest : public testing::CliEncodeTest {
 protected:
  JobStopTest() { fs::copy_file(fs::path(CLIPVANE_BUILD_DIR) / "clipvane-cli", app / "clipvane-cli"); }
  // clipvane-cli in a process of its own.
  CommandRun Command(const std::vector<std::string>& args) {
    CommandRun run;
    std::vector<std::string> argv{app / "clipvane-cli"};
    argv.insert(argv.end(), args.begin(), args.end());
    const auto status = RunChild(argv, {DeliveredTo([&](const std::string& chunk) { run.out += chunk; }),
                                        DeliveredTo([&](const std::string& chunk) { run.err += chunk; })});
    run.status = status ? *status : -1;
    return run;
  }
  static bool Eventually(const std::function<bool()>& done) {
    for (int i = 0; i < 300 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return done();
  }
  // The live processes of this program folder: the job's sh, the tools and FFmpeg,
  // whose command lines name the folder.
  std::vector<std::string> ProcessesOfTheJob() {
    std::vector<std::string> found;
    for (const ProcessEntry& entry : NativeProcessList().Snapshot())
      if (entry.command_line && entry.command_line->find(app.Path()) != std::string::npos && ProcessIsAlive(entry.id))
        found.push_back(*entry.command_line);
    return found;
  }
};

TEST_F(JobStopTest, AJobStartedByOneCommandIsSeenRefusedAgainAndStoppedByOthers) {
  ASSERT_EQ(Cli({"add", MakeVideo("long.avi", "640x480", 60)}), 0);
  app.WriteFile("incoming/long.mp4", "the earlier MP4");
  ASSERT_EQ(Command({"encode", "1"}).status, 0);  // started, and the command is gone
  CommandRun status;
  ASSERT_TRUE(Eventually([&] {
    status = Command({"status"});
    return status.out.rfind("1\trunning ", 0) == 0 && status.out.find("% ") != std::string::npos;
  })) << status.out
      << status.err;
  // Never twice: the row's job runs, and nothing else starts.
  const CommandRun again = Command({"encode", "1"});
  EXPECT_EQ(again.status, 1);
  EXPECT_NE(again.err.find("row 1: " + videos_ / "long.avi" + ": already running"), std::string::npos) << again.err;

  const CommandRun stop = Command({"stop", "1"});
  EXPECT_EQ(stop.status, 0) << stop.err;
  EXPECT_EQ(stop.out, "1\tstopped\n");
  EXPECT_TRUE(Eventually([&] { return ProcessesOfTheJob().empty(); })) << ProcessesOfTheJob().front();
  EXPECT_EQ(Command({"status"}).out, "1\tstopped\n");
  EXPECT_EQ(testing::FilesLeftIn(app / "temp"), 0);  // no intermediate, and the stop request is used up
  EXPECT_EQ(Read(app / "incoming/long.mp4"), "the earlier MP4");
  std::vector<std::string> incoming;
  for (const auto& item : fs::directory_iterator(app / "incoming")) incoming.push_back(item.path().filename());
  EXPECT_EQ(incoming, std::vector<std::string>{"long.mp4"});
  // Which tool the stop reached depends on the machine's speed; the log says it stopped.
  EXPECT_NE(Read(app / "batch/long.log").find("stopped"), std::string::npos) << Read(app / "batch/long.log");
  // Nothing is left to stop.
  const CommandRun nothing = Command({"stop", "--all"});
  EXPECT_EQ(nothing.status, 0);
  EXPECT_EQ(nothing.err, "clipvane-cli: no job runs\n");
}

}  // namespace
}  // namespace clipvane
