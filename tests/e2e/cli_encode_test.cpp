// Whole conversions through the command-line front end: real job and run scripts run
// by sh, the stand-in tools over FFmpeg; and what a hostile user tries with them: names
// of every kind, a disk that fills, a source cut short. Each time nothing good is lost
// and what is said is true. (Rows refused before any job runs: tests/cli; clearing what
// ended jobs leave in temp: tests/runs, RemoveLeftovers.)
#include <gtest/gtest.h>

#include <filesystem>

#include "e2e/e2e_fixture.h"

namespace clipvane {
namespace {

namespace fs = std::filesystem;

using testing::CliEncodeTest;

// A video whose name is code page 949 bytes (as unpacked from a Korean archive)
// converts like any other and gets an MP4 of its own name's bytes, and so does the
// longest name whose MP4 a folder can hold. (A name that would break out of its quotes:
// tests/jobs, QuotePath, and a real job in tests/tools/conversion_test.cpp.)
TEST_F(CliEncodeTest, EncodesSelectedVideosOfAnyNameAndTheListInQueuesThatEndWithThePowerAction) {
  const std::string korean = "\xC7\xD1\xB1\xDB";  // "한글" in code page 949
  const std::string quoted = MakeVideo("second clip's.avi"), longest = std::string(251, 'n');
  ASSERT_EQ(Cli({"add", quoted, MakeVideo(korean + ".avi"), MakeVideo(longest + ".avi")}), 0) << err.str();
  ASSERT_EQ(Cli({"encode", "1", "2", "3", "--wait"}), 0) << err.str() << out.str();
  EXPECT_NE(out.str().find(quoted + "\twritten "), std::string::npos) << out.str();
  EXPECT_NE(out.str().find("\twritten " + app / "incoming/" + longest + ".mp4"), std::string::npos) << out.str();
  EXPECT_TRUE(fs::is_regular_file(app / ("incoming/" + korean + ".mp4")));
  EXPECT_EQ(testing::FilesLeftIn(app / "temp"), 0);  // the jobs deleted their intermediates

  ASSERT_EQ(Cli({"encode-all", "--queues", "2", "--after", "shutdown", "--wait"}), 0) << err.str() << out.str();
  EXPECT_EQ(app.Read("power.log"), "shutdown\nshutdown\n");  // each queue's last line
}

// A source cut short (a download not finished) encodes into a short MP4, which the
// check holds against the video's length; and incoming on a disk of its own that
// fills while the MP4 is built there. Either way the good MP4 stays byte for byte,
// still its row's, with the cause said.
TEST_F(CliEncodeTest, AnIncompleteSourceOrAFullDiskNeverReplacesAGoodMp4) {
  const testing::SmallDisk disk(app / "incoming", "2m");
  const std::string video = MakeVideo("film.avi", "320x240", 3);
  ASSERT_EQ(Cli({"add", video}), 0);
  ASSERT_EQ(Cli({"encode", "1", "--wait"}), 0) << err.str();
  const std::string earlier = app.Read("incoming/film.mp4");
  fs::resize_file(video, fs::file_size(video) * 2 / 5);
  EXPECT_TRUE(Says({"encode", "1", "--wait"}, 1,
                   "film.avi: no MP4 was written; mp4creator: the MP4 is not as long as the video"));
  EXPECT_EQ(app.Read("incoming/film.mp4"), earlier);
  EXPECT_EQ(Cli({"refresh"}), 0);
  EXPECT_EQ(out.str(), "1\t*\tfilm\t-\n");

  if (!disk.Mounted()) GTEST_SKIP() << "a tmpfs can be mounted only as root";
  MakeVideo("film.avi", "320x240", 3);
  disk.FillLeaving(app / "incoming/filler", 64 * 1024);
  EXPECT_TRUE(Says({"encode", "1", "--wait"}, 1, "No space left"));
  EXPECT_EQ(app.Read("incoming/film.mp4"), earlier);
  EXPECT_EQ(NativeFileSystem().FilesIn(app / "incoming"),
            (std::vector<std::string>{app / "incoming/filler", app / "incoming/film.mp4"}));
  EXPECT_EQ(testing::FilesLeftIn(app / "temp"), 0);
}

}  // namespace
}  // namespace clipvane
