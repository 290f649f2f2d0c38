// Whole conversions through the command-line front end: real job and run scripts run
// by sh, the stand-in tools over FFmpeg.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "e2e/e2e_fixture.h"
#include "platform/process.h"
#include "media/mediainfo_report.h"

namespace clipvane {
namespace {

namespace fs = std::filesystem;

using testing::CliEncodeTest;

TEST_F(CliEncodeTest, EncodesSelectedVideosAndTheListInQueuesThatEndWithThePowerAction) {
  const std::string a = MakeVideo("first.avi");
  ASSERT_EQ(Cli({"add", a, MakeVideo("second clip's.avi", "120x160"), MakeVideo("c.avi")}), 0) << err.str();
  ASSERT_EQ(Cli({"encode", "1", "2", "--wait"}), 0) << err.str() << out.str();
  EXPECT_NE(out.str().find(a + "\twritten "), std::string::npos) << out.str();
  // The probe's picture reached the plan: the portrait clip fills the frame, turned.
  const MediaFacts turned = ParseMediaInfoReport(mediainfo->Inform(app / "incoming/second clip's.mp4"));
  EXPECT_EQ(std::to_string(turned.width) + "x" + std::to_string(turned.height), "480x320");
  EXPECT_TRUE(fs::is_empty(app / "temp"));  // the jobs deleted their intermediates

  ASSERT_EQ(Cli({"encode-all", "--queues", "2", "--after", "shutdown", "--wait"}), 0) << err.str() << out.str();
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(app.Path() + "power.log"), "shutdown\nshutdown\n");  // each queue's last line
}

// A tool that fails part-way, as on a full disk or when the job is killed, or one that
// lies: the job stops there, the earlier MP4 stays as it was (the check before the
// final rename catches the lie), nothing is left in temp, and the command says
// "failed" with the cause its tools gave and where the job's log is kept.
struct FailingTool {
  const char* label;
  const char* tool;
  const char* script;  // stands in for the tool; REAL is the built one
  const char* said;    // what stderr says of it
};

class FailedStepTest : public CliEncodeTest, public ::testing::WithParamInterface<FailingTool> {};

TEST_P(FailedStepTest, LeavesTheEarlierMp4AndSaysWhy) {
  ASSERT_EQ(Cli({"add", MakeVideo("film.avi")}), 0);
  ASSERT_EQ(Cli({"encode", "1", "--wait"}), 0) << err.str() << out.str();
  const auto earlier = NativeFileSystem().ReadWholeFile(app / "incoming/film.mp4");
  ASSERT_TRUE(earlier);
  const std::string tool = app / ("bin/" + std::string(GetParam().tool));
  fs::rename(tool, tool + ".real");
  std::string script = GetParam().script;
  script.replace(script.find("REAL"), 4, "'" + tool + ".real'");
  fs::permissions(app.WriteFile("bin/" + std::string(GetParam().tool), "#!/bin/sh\n" + script + "\n"),
                  fs::perms::owner_exec, fs::perm_options::add);
  EXPECT_EQ(Cli({"encode", "1", "--wait"}), 1);
  EXPECT_NE(out.str().find("film.avi\tfailed"), std::string::npos) << out.str();
  EXPECT_NE(err.str().find("failed: row 1: " + videos_.Path() + "film.avi: no MP4 was written; " + GetParam().said),
            std::string::npos)
      << err.str();
  EXPECT_NE(err.str().find(" (log: " + app / "batch/film.log)\n"), std::string::npos);
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(app / "incoming/film.mp4"), earlier);
  EXPECT_TRUE(fs::is_empty(app / "temp"));
}

INSTANTIATE_TEST_SUITE_P(
    Table, FailedStepTest,
    ::testing::Values(
        // The encode runs out of room half-way, and says so before it gives up.
        FailingTool{"EncodeRunsOutOfRoom", "mencoder",
                    "case \"$*\" in *rawvideo*|*rawaudio*) exec REAL \"$@\";; esac\n"
                    "echo 'av_interleaved_write_frame(): No space left on device' >&2\n"
                    "echo 'mencoder: nothing written' >&2; exit 1",
                    "av_interleaved_write_frame(): No space left on device"},
        // A muxer that claims success but leaves the sound out.
        FailingTool{"AudioMuxLies", "mp4creator", "case \"$2\" in *.aac) exit 0;; esac\nexec REAL \"$@\"",
                    "mp4creator: the MP4 has not one audio track: it has 1 video and 0 audio tracks"}),
    [](const auto& test_info) { return std::string(test_info.param.label); });

// Names are data: a video named to break out of a command line is converted like
// any other and runs nothing.
TEST_F(CliEncodeTest, AHostileNameRunsNothingAndTwoVideosOfOneNameMakeOneGoodMp4) {
  const std::string hostile = MakeVideo("z';touch PWNED;'$(touch PWNED2).avi");
  const std::string first = MakeVideo("good.avi");
  fs::create_directory(videos_ / "c");
  const std::string second = videos_ / "c/good.avi";
  fs::copy_file(first, second);
  ASSERT_EQ(Cli({"add", hostile, first, second}), 0) << err.str();
  const fs::path was = fs::current_path();
  fs::current_path(videos_.Path());
  const int status = Cli({"encode", "1", "2", "3", "--wait"});
  fs::current_path(was);
  EXPECT_EQ(status, 1);  // the third row is refused
  EXPECT_NE(err.str().find("row 3: " + second + ": same result as row 2"), std::string::npos) << err.str();
  for (const char* made : {"PWNED", "PWNED2"})
    EXPECT_FALSE(fs::exists(videos_ / made) || fs::exists(app / made) || fs::exists(was / made)) << made;
  EXPECT_NE(out.str().find(hostile + "\twritten "), std::string::npos) << out.str();
  const TrackSummary tracks = ParseTrackSummary(mediainfo->InformTracks(app / "incoming/good.mp4"));
  EXPECT_EQ(tracks.video_tracks * 10 + tracks.audio_tracks, 11);
}

// Ctrl+C or a stop while clipvane-cli waits: the jobs are stopped, they remove what
// they made, and no MP4 is left half-made in incoming. The real program, in its own
// folder, as a user starts it.
TEST_F(CliEncodeTest, AStopWhileWaitingLeavesNoHalfMadeMp4) {
  fs::copy_file(fs::path(CLIPVANE_BUILD_DIR) / "clipvane-cli", app / "clipvane-cli");
  ASSERT_EQ(Cli({"add", MakeVideo("long.avi")}), 0);
  // An encoder that says it has started, then takes its time.
  fs::remove(app / "bin/mencoder");
  fs::permissions(app.WriteFile("bin/mencoder", "#!/bin/sh\necho started > '" + app / "started'\nexec sleep 600\n"),
                  fs::perms::owner_exec, fs::perm_options::add);
  const std::string program = app / "clipvane-cli";
  const pid_t cli = ::fork();
  ASSERT_GE(cli, 0);
  if (cli == 0) {
    if (!std::freopen("/dev/null", "w", stdout)) ::_exit(126);
    ::execl(program.c_str(), program.c_str(), "encode", "1", "--wait", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  for (int i = 0; i < 600 && !fs::exists(app / "started"); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_TRUE(fs::exists(app / "started"));
  ::kill(cli, SIGTERM);
  int status = 0;
  ASSERT_EQ(::waitpid(cli, &status, 0), cli);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 128 + SIGTERM) << status;
  EXPECT_FALSE(fs::exists(app / "incoming/long.mp4"));
  EXPECT_TRUE(fs::is_empty(app / "temp"));
}

}  // namespace
}  // namespace clipvane
