// Whole conversions through the command-line front end: real job and run scripts run
// by sh, the stand-in tools over FFmpeg; and what a hostile user tries with them: a disk
// that fills, a source cut short, rows that share an MP4 or cannot be scripted. Each
// time nothing good is lost, no row stops another, and what is said is true.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "e2e/e2e_fixture.h"
#include "tools/tool_runs.h"

namespace clipvane {
namespace {

namespace fs = std::filesystem;

using testing::CliEncodeTest;

// A video whose name is code page 949 bytes (as unpacked from a Korean archive)
// converts like any other and gets an MP4 of its own name's bytes. (A name that would
// break out of its quotes: tests/jobs, QuotePath, and a real job in conversion_test.cpp.)
TEST_F(CliEncodeTest, EncodesSelectedVideosOfAnyNameAndTheListInQueuesThatEndWithThePowerAction) {
  const std::string korean = "\xC7\xD1\xB1\xDB";  // "한글" in code page 949
  const std::string quoted = MakeVideo("second clip's.avi");
  ASSERT_EQ(Cli({"add", quoted, MakeVideo(korean + ".avi")}), 0) << err.str();
  ASSERT_EQ(Cli({"encode", "1", "2", "--wait"}), 0) << err.str() << out.str();
  EXPECT_NE(out.str().find(quoted + "\twritten "), std::string::npos) << out.str();
  EXPECT_TRUE(fs::is_regular_file(app / ("incoming/" + korean + ".mp4")));
  EXPECT_EQ(testing::FilesLeftIn(app / "temp"), 0);  // the jobs deleted their intermediates

  ASSERT_EQ(Cli({"encode-all", "--queues", "2", "--after", "shutdown", "--wait"}), 0) << err.str() << out.str();
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(app.Path() + "power.log"),
            "shutdown\nshutdown\n");  // each queue's last line
}

// incoming on a disk of its own that is nearly full: the MP4 is built there, the disk
// fills, and the earlier MP4 stays byte for byte, with the cause said.
TEST_F(CliEncodeTest, AnIncomingDiskThatFillsUpKeepsTheEarlierMp4AndSaysSo) {
  const testing::SmallDisk disk(app / "incoming", "2m");
  if (!disk.Mounted()) GTEST_SKIP() << "a tmpfs can be mounted only as root";
  ASSERT_EQ(Cli({"add", MakeVideo("film.avi", "320x240", 3)}), 0);
  ASSERT_EQ(Cli({"encode", "1", "--wait"}), 0) << err.str();
  const std::string earlier = Read(app / "incoming/film.mp4");
  disk.FillLeaving(app / "incoming/filler", 64 * 1024);
  EXPECT_EQ(Cli({"encode", "1", "--wait"}), 1);
  ExpectSaid("No space left");
  EXPECT_EQ(Read(app / "incoming/film.mp4"), earlier);
  std::vector<std::string> left;
  for (const auto& item : fs::directory_iterator(app / "incoming")) left.push_back(item.path().filename());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{".sources", "filler", "film.mp4"}));
  EXPECT_EQ(testing::FilesLeftIn(app / "temp"), 0);
}

// A source cut short (a download not finished) encodes into a short MP4; the check
// holds it against the video's length, and the good MP4 stays, still its row's.
TEST_F(CliEncodeTest, AnIncompleteSourceNeverReplacesAGoodMp4) {
  const std::string video = MakeVideo("film.avi", "320x240", 3);
  ASSERT_EQ(Cli({"add", video}), 0);
  ASSERT_EQ(Cli({"encode", "1", "--wait"}), 0) << err.str();
  const std::string earlier = Read(app / "incoming/film.mp4");
  fs::resize_file(video, fs::file_size(video) * 2 / 5);
  EXPECT_EQ(Cli({"encode", "1", "--wait"}), 1);
  ExpectSaid("film.avi: no MP4 was written; mp4creator: the MP4 is not as long as the video");
  EXPECT_EQ(Read(app / "incoming/film.mp4"), earlier);
  EXPECT_EQ(Cli({"refresh"}), 0);
  EXPECT_EQ(out.str(), "1\t*\tfilm\t-\n");
}

// Two rows of one base name, encoded by separate commands: the second is refused
// naming the first, only the row the MP4 was made from is marked, and clearing the
// encoded rows keeps the other.
TEST_F(CliEncodeTest, RowsOfOneNameInSeparateCommandsMakeOneMp4) {
  fs::create_directories(videos_ / "a");
  fs::create_directories(videos_ / "b");
  const std::string a = MakeVideo("a/clip.avi"), b = MakeVideo("b/clip.avi");
  ASSERT_EQ(Cli({"add", a, b}), 0);
  ASSERT_EQ(Cli({"encode", "1", "--wait"}), 0) << err.str();
  EXPECT_EQ(Cli({"encode", "2"}), 1);
  ExpectSaid("not converted: row 2: " + b + ": same result as row 1 (" + a + "): both make " +
             app / "incoming/clip.mp4");
  EXPECT_TRUE(detached.opened.empty());
  EXPECT_EQ(Cli({"refresh"}), 0);
  EXPECT_EQ(out.str(), "1\t*\tclip\t-\n2\t \tclip\t-\n");
  EXPECT_EQ(Cli({"clear-encoded"}), 0);
  EXPECT_EQ(Cli({"refresh"}), 0);
  EXPECT_EQ(out.str(), "1\t \tclip\t-\n");  // b's own video was never converted
}

// Rows that cannot be scripted, each named with its reason, while the others convert:
// a name too long for its MP4 (with a short extension), a .srt that is a pipe (a .smi
// that is a folder: tests/jobs). The longest name ".avi" allows converts. Nothing is
// left in temp.
TEST_F(CliEncodeTest, RowsThatCannotBeScriptedAreNamedAndTheOthersGoOn) {
  app.WriteFile("MP4.ini", "[default]\nvideofileext=avi,ts\n");
  const std::string longest = std::string(251, 'n');
  ASSERT_EQ(::mkfifo((videos_ / "pipe.srt").c_str(), 0600), 0);
  const std::vector<std::string> videos{MakeVideo(longest + ".avi"), MakeVideo(std::string(252, 'x') + ".ts"),
                                        MakeVideo("pipe.avi"), MakeVideo("good.avi")};
  ASSERT_EQ(Cli({"add", videos[0], videos[1], videos[2], videos[3]}), 0) << err.str();
  EXPECT_EQ(Cli({"encode-all", "--wait"}), 1);
  ExpectSaid("row 2: " + videos[1] + ": the name is too long");
  ExpectSaid("row 3: " + videos[2] + ": its subtitle (.smi or .srt) is not a file");
  EXPECT_NE(out.str().find(videos[0] + "\twritten " + app / "incoming/" + longest + ".mp4"), std::string::npos)
      << out.str();
  EXPECT_NE(out.str().find(videos[3] + "	written "), std::string::npos) << out.str();
  EXPECT_EQ(testing::FilesLeftIn(app / "temp"), 0);
}

// Scripts written and not run keep what their jobs need until they are written again;
// jobs that ran leave nothing behind past the next command.
TEST_F(CliEncodeTest, TempStaysBounded) {
  const auto in_temp = [&] { return testing::FilesLeftIn(app / "temp"); };
  ASSERT_EQ(Cli({"add", MakeVideo("a.avi"), MakeVideo("b.avi")}), 0);
  for (int run = 0; run < 5; ++run) ASSERT_EQ(Cli({"make-scripts"}), 0) << err.str();
  EXPECT_EQ(in_temp(), 4);  // the logs of the last two writings
  EXPECT_EQ(Cli({"list"}), 0);
  EXPECT_EQ(in_temp(), 2);  // those of the scripts in batch, waiting to be run
  EXPECT_EQ(Cli({"encode-all", "--wait"}), 0) << err.str();
  EXPECT_EQ(Cli({"list"}), 0);
  EXPECT_EQ(in_temp(), 0);
}

}  // namespace
}  // namespace clipvane
