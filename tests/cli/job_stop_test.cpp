// A real job in the user's hand, through the real clipvane-cli started anew for each
// command, as a user at a terminal (or after a restart) starts it: what one process
// started, another sees, refuses to start twice and stops; the stop leaves nothing of
// the job behind and keeps the earlier MP4.
#include <chrono>

#include "e2e/e2e_fixture.h"
#include "jobs/job_files.h"
#include "runs/job_record.h"

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

// A record that names a live process of another program (here the system's first) is
// no job of ours: once silent, it reads as ended, the row starts and nothing waits for it.
TEST_F(JobStopTest, ARecordNamingAnotherProcessReadsAsEnded) {
  const std::string video = MakeVideo("big.avi");
  ASSERT_EQ(Cli({"add", video}), 0);
  const std::string record = JobRecordPath(video, workspace);
  app.WriteFile("temp/" + std::filesystem::path(record).filename().string(), "state=running\npid=1\n");
  std::filesystem::last_write_time(record, std::filesystem::file_time_type::clock::now() - std::chrono::minutes(1));
  EXPECT_EQ(Command({"status"}).output, std::string("1\tfailed: ") + kEndedWithoutResult + "\n");
  const ProgramRun stop = Command({"stop", "--all"});
  EXPECT_EQ(stop.status, 0) << stop.errors;
  EXPECT_EQ(Command({"encode", "1", "--wait"}).status, 0);
}

// Two commands that start one row at once: exactly one job, which ends checked. Two
// videos of one name in two folders: each has its own record.
TEST_F(JobStopTest, ARowIsClaimedOnceAndEachVideoHasItsOwnRecord) {
  const std::string first = MakeVideo("clip.avi", "160x120", 3);
  std::filesystem::create_directories(videos_ / "y");
  const std::string second = videos_ / "y/clip.mkv";
  testing::MakeVideo(second, "testsrc=size=160x120:rate=25", "sine", "-t 1");
  ASSERT_EQ(Cli({"add", first, second}), 0);
  std::vector<pid_t> commands;
  for (const char* said : {"said1", "said2"}) commands.push_back(StartInBackground({"encode", "1"}, app / said));
  int started = 0;
  for (const pid_t command : commands) started += ExitStatus(command) == 0;
  EXPECT_EQ(started, 1) << app.Read("said1") << app.Read("said2");
  EXPECT_NE((app.Read("said1") + app.Read("said2")).find("row 1: " + first + ": already running"), std::string::npos);
  // Once its script has ended (no command runs meanwhile: one would clear what a
  // written job's script has still to keep), the job is written and its log kept.
  EXPECT_TRUE(Eventually([&] { return ProcessesOf(app / "batch/clip.sh").empty(); }));
  EXPECT_EQ(Command({"status"}).output, "1\twritten\n2\t-\n");
  EXPECT_NE(app.Read("batch/clip.log").find("mp4creator: checked"), std::string::npos) << app.Read("batch/clip.log");
}

// The record cannot be written when the job is checked: the MP4 is not put in place,
// and --wait, status and list agree on it: the earlier MP4 stands, and why not is said.
TEST_F(JobStopTest, ARecordThatCannotBeWrittenAtTheCheckKeepsTheEarlierMp4AndEveryoneSaysSo) {
  const std::string video = MakeVideo("clip.avi");
  ASSERT_EQ(Cli({"add", video}), 0);
  app.WriteFile("incoming/clip.mp4", "the earlier MP4");
  // The muxer's check finds a folder where the job's record was.
  const std::string tool = app / "bin/mp4creator", real = app / "bin/mp4creator.real";
  std::filesystem::rename(tool, real);
  Executable("bin/mp4creator",
             "if [ \"$1\" = -check ]; then rm -f \"$CLIPVANE_JOB\"; mkdir \"$CLIPVANE_JOB\"; fi\n"
             "exec '" +
                 real + "' \"$@\"");
  const ProgramRun waited = Command({"encode", "1", "--wait"});
  EXPECT_EQ(waited.status, 1);
  // A record that cannot be read tells nothing of the script's last steps, nor keeps its
  // files from the next command's clearing: the script ends first here.
  EXPECT_TRUE(Eventually([&] { return ProcessesOf(app / "batch/clip.sh").empty(); }));
  const std::string cause = "its record is no file: " + JobRecordPath(video, workspace);
  EXPECT_NE(waited.errors.find("no MP4 was written; " + cause), std::string::npos) << waited.errors;
  EXPECT_EQ(Command({"status"}).output, "1\tfailed: " + cause + "\n");
  EXPECT_EQ(app.Read("incoming/clip.mp4"), "the earlier MP4");
  EXPECT_NE(app.Read("batch/clip.log").find("the job's record cannot say so"), std::string::npos)
      << app.Read("batch/clip.log");
}

}  // namespace
}  // namespace clipvane
