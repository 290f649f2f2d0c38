// Real jobs stopped, and the power action against the real process list: a stopped or
// killed job leaves nothing behind for long and says what happened, and the computer
// is never powered off under a running job (the power action is only ever written
// down here).
#include <signal.h>
#include <unistd.h>

#include <fstream>

#include "platform/child_processes.h"
#include "runs/job_record.h"
#include "e2e/e2e_fixture.h"

namespace clipvane {
namespace {

namespace fs = std::filesystem;

using testing::Eventually;

class KilledJobTest : public testing::CliEncodeTest {
 protected:
  KilledJobTest() {
    // FFmpeg's place beside the encoder: helpers that note themselves, start the file
    // they are to write, and wait.
    const std::string helpers = app / "helpers", go = app / "go";
    Executable("bin/ffmpeg", "for a; do last=$a; done\necho $$ >> '" + helpers +
                                 "'\ncase \"$last\" in pipe:*) ;; *) echo partial > \"$last\";; esac\n"
                                 "while [ ! -e '" +
                                 go + "' ]; do sleep 0.05; done\nexit 1");
  }
  // Whatever a test left waiting ends before its folder goes: a job outlives its command.
  ~KilledJobTest() override {
    app.WriteFile("go", "");
    Eventually([&] { return ProcessesOf(app.Path()).empty(); });
  }
  std::vector<pid_t> Helpers() {
    std::ifstream in(app / "helpers");
    return {std::istream_iterator<pid_t>(in), std::istream_iterator<pid_t>()};
  }
  // The video added, and clipvane-cli encode 1 --wait, the real program in its own
  // folder, in the background until both FFmpeg helpers wait.
  pid_t StartWaitingEncode(const std::string& video) {
    EXPECT_EQ(Cli({"add", MakeVideo(video)}), 0);
    const pid_t cli = StartInBackground({"encode", "1", "--wait"}, app / "said");
    EXPECT_TRUE(Eventually([&] { return Helpers().size() == 2; }));
    return cli;
  }
};

// Ctrl+C while clipvane-cli waits: the jobs are stopped, they remove what they made,
// and no MP4 is left half-made in incoming.
TEST_F(KilledJobTest, CtrlCWhileWaitingStopsTheJobsAndLeavesNoHalfMadeMp4) {
  const pid_t cli = StartWaitingEncode("long.avi");
  ::kill(cli, SIGINT);
  EXPECT_EQ(ExitStatus(cli), 128 + SIGINT);
  EXPECT_FALSE(fs::exists(app / "incoming/long.mp4"));
  EXPECT_EQ(testing::FilesLeftIn(app / "temp"), 0);
}

// The jobs are not the waiting command's: killed, or its terminal closed, it goes
// alone, and the job runs on to its end, which any command then reads.
TEST_F(KilledJobTest, AJobOutlivesTheCommandThatWaitedForIt) {
  const pid_t cli = StartWaitingEncode("long.avi");
  ::kill(cli, SIGHUP);
  EXPECT_EQ(ExitStatus(cli), -1);
  EXPECT_FALSE(ProcessesOf(app / "batch/long.sh", "sh").empty());
  app.WriteFile("go", "");  // FFmpeg's stand-in ends, failing
  EXPECT_TRUE(Eventually([&] { return Cli({"status"}) == 0 && out.str().rfind("1\tfailed: ", 0) == 0; })) << out.str();
  EXPECT_EQ(out.str().find(kEndedWithoutResult), std::string::npos) << out.str();  // it ended by itself
}

// A job killed the hard way: its encoder ends with it (and its helpers with the
// encoder, as every killed parent's children do), the command says so, and the next
// command clears everything it left but its record. (That the clearing knows every
// file of a job, on every device and route: tests/jobs; here the phone's, with its
// subtitle.)
TEST_F(KilledJobTest, AKilledJobTakesItsEncoderAndLeavesNothingBehind) {
  ASSERT_EQ(Cli({"settings", "platform=2"}), 0);
  videos_.WriteFile("film.srt", "1\n00:00:00,000 --> 00:00:00,900\nhello\n");
  const pid_t cli = StartWaitingEncode("film.avi");
  const std::vector<ProcessEntry> jobs = ProcessesOf(app / "batch/film.sh", "sh");
  ASSERT_EQ(jobs.size(), 1u);
  ::kill(static_cast<pid_t>(jobs[0].id), SIGKILL);
  EXPECT_TRUE(Eventually([&] { return ProcessesOf(app.Path(), "mencoder").empty() && !ProcessIsAlive(Helpers()[0]); }));
  EXPECT_EQ(ExitStatus(cli), 1);
  EXPECT_NE(app.Read("said").find(std::string("film.avi: no MP4 was written; ") + kEndedWithoutResult),
            std::string::npos)
      << app.Read("said");
  EXPECT_EQ(Cli({"list"}), 0);
  EXPECT_EQ(testing::FilesLeftIn(app / "temp"), 0);
}

// The power action of a queue that has ended looks at the real process list: while a
// job encodes, or another queue is between two jobs, it gives way.
TEST_F(KilledJobTest, ThePowerActionNeverGoesAheadUnderARunningJob) {
  ASSERT_EQ(Cli({"add", MakeVideo("film.avi")}), 0);
  ASSERT_EQ(Cli({"make-scripts"}), 0) << err.str();
  const auto power_action = [&] { return PowerActionAtQueueEnds(1, false); };
  {
    ChildProcesses queue;
    ASSERT_TRUE(queue.Start({"sh", app / "batch/encode_all.sh"}, {Discarded(), Discarded()}).has_value());
    ASSERT_TRUE(Eventually([&] { return Helpers().size() == 2; }));
    EXPECT_EQ(power_action(), std::vector<std::string>{"sleep 10000"});  // an encoder runs
    app.WriteFile("go", "");
    queue.WaitAll();
  }
  ChildProcesses other_queue;  // between two jobs: no tool runs, its script does
  Executable("batch/encode_al2.sh", "while [ ! -e '" + app / "stop" + "' ]; do sleep 0.05; done");
  ASSERT_TRUE(other_queue.Start({"sh", app / "batch/encode_al2.sh"}, {Discarded(), Discarded()}).has_value());
  ASSERT_TRUE(Eventually([&] { return !ProcessesOf(app / "batch/encode_al2.sh", "sh").empty(); }));
  EXPECT_EQ(power_action(), std::vector<std::string>{"sleep 10000"});
  app.WriteFile("stop", "");
  other_queue.WaitAll();
  // Nothing of this program runs now. The census counts every encoder of the machine:
  // one of another program's would still, rightly, hold the action back.
  const std::vector<std::string> events = power_action();
  if (events.size() == 1 && OtherEncodersRun()) GTEST_SKIP() << "other encoders run on this machine";
  EXPECT_EQ(events, (std::vector<std::string>{"sleep 10000", "power off"}));
}

}  // namespace
}  // namespace clipvane
