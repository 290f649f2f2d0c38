// clipvane-cli over a temporary program folder with real, tiny videos: what it says
// and what it leaves. The rules themselves are tested where they live.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "cli/cli_runner.h"
#include "platform/ini_profile.h"
#include "tools/tool_runs.h"

namespace clipvane {
namespace {

const std::string kOther = "\xED\x9C\xB4\xEA\xB0\x80 \xEC\x98\x81\xEC\x83\x81.avi";  // 휴가 영상.avi

class CliTest : public ::testing::Test, protected testing::CliRunner {
 protected:
  static void SetUpTestSuite() {
    videos_ = new testing::TempFolder;
    // The second video has a Korean name and AAC sound, whose packet rate MediaInfo
    // reports as a frame rate of the audio section.
    testing::MakeVideo(Video("clip.avi"), "testsrc=size=160x120:rate=25", "", "-t 1 -c:v mpeg4");
    testing::MakeVideo(Video(kOther), "testsrc=size=192x108:rate=24000/1001", "sine", "-t 1 -c:v mpeg4 -c:a aac");
    videos_->WriteFile("notes.txt", "x\n");
    videos_->WriteFile("clip.smi", "<SAMI><BODY><SYNC Start=0><P>hi</SAMI>");
  }
  static void TearDownTestSuite() { delete videos_; }

  static std::string Video(const std::string& name) { return videos_->Path() + name; }

  static inline testing::TempFolder* videos_ = nullptr;  // the suite's videos
};

// Every refused path is named with its reason, and nothing refused is listed, now or
// at the next load; no command touches a video.
TEST_F(CliTest, ListCommandsSayWhatTheyRefuseAndNeverTouchAFile) {
  const std::string odd = videos_->WriteFile("-odd.avi", "");
  // Which path qualifies, and why not: tests/media; here the path as given, and the reason.
  EXPECT_EQ(Cli({"add", Video("clip.avi"), Video("notes.txt"), Video(kOther), videos_->Path() + "/./clip.avi"}), 1);
  ExpectSaid("not added: " + Video("notes.txt") + ": not a video");
  ExpectSaid("/./clip.avi: already listed");
  const std::string other = kOther.substr(0, kOther.size() - 4);
  EXPECT_EQ(out.str(), "1\t \tclip\tOK\tclip.mp4\n2\t \t" + other + "\t-\t" + other + ".mp4\n");
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(app / "list.log"), Video("clip.avi") + "\r\n" + Video(kOther) + "\r\n");
  EXPECT_TRUE(Says({"add", "--wait", odd}, 2, "unknown option --wait"));
  EXPECT_TRUE(Says({"add", "--", odd, "--"}, 1, "not added: --: "));  // after "--" every word is a file, "--" too
  // The report in lines of its own (what the library reads: tests/media).
  EXPECT_EQ(Cli({"info", "2"}), 0) << err.str();
  EXPECT_NE(out.str().find("width                                    : 192 pixels\n"), std::string::npos) << out.str();
  EXPECT_EQ(out.str().find('\r'), std::string::npos);
  EXPECT_EQ(err.str(), "checking " + kOther + "\nchecked " + kOther + "\n");  // the steps go to stderr only
  for (const char* row : {"0", "x", "0x1", " 1", "+1", "4"}) EXPECT_EQ(Cli({"remove", row}), 2) << row;
  ExpectSaid("no row 4");
  app.WriteFile("incoming/" + other + ".mp4", "done");
  EXPECT_EQ(Cli({"refresh"}), 0);
  EXPECT_EQ(out.str().rfind("1\t \tclip\tOK\tclip.mp4\n2\t*\t" + other + "\t-\t" + other + ".mp4\n3\t \t-odd", 0), 0u)
      << out.str();
  EXPECT_EQ(Cli({"clear-encoded"}), 0);
  EXPECT_EQ(Cli({"remove", "1", "2"}), 0);
  EXPECT_EQ(Cli({"list"}), 0);
  EXPECT_EQ(out.str(), "");
  EXPECT_TRUE(NativeFileSystem().Exists(Video("clip.avi")) && NativeFileSystem().Exists(Video(kOther)));
}

// A folder adds the videos in it and in every folder below it, a folder's own files
// before its folders, each in name order; what it left out is named below it.
TEST_F(CliTest, AFolderAddsTheVideosBelowItInNameOrderAndNamesWhatItSkipped) {
  testing::TempFolder tree;
  std::filesystem::create_directories(tree / "0/1/2/empty");
  for (const char* name : {"b.avi", "a.avi", "y.jpg", "0/1/2/x.txt", "0/1/2/d.avi", "0/1/c.avi", "0/e.avi"})
    tree.WriteFile(name, "");
  EXPECT_EQ(Cli({"add", tree.Path()}), 0);
  EXPECT_EQ(err.str(), "added 5 videos from " + tree.Path() + "\nclipvane-cli: " + tree.Path() +
                           ": skipped 2 files: y.jpg, 0/1/2/x.txt\n");
  EXPECT_EQ(out.str(),
            "1\t \ta\t-\ta.mp4\n2\t \tb\t-\tb.mp4\n3\t \te\t-\te.mp4\n4\t \tc\t-\tc.mp4\n5\t \td\t-\td.mp4\n");
  EXPECT_TRUE(Says({"add", tree / "0/1/2/empty"}, 1, "no videos in it or below it"));
}

TEST_F(CliTest, SettingsAreShownAndSavedWithTheStoresRules) {
  EXPECT_EQ(Cli({"settings"}), 0);
  EXPECT_NE(out.str().find("qulity=1\nplatform=0\n"), std::string::npos) << out.str();
  EXPECT_EQ(Cli({"settings", "qulity=0", "platform=1"}), 0) << err.str();
  EXPECT_NE(out.str().find("frame=320x240\nvideo=xvid 700 kbit/s\n"), std::string::npos) << out.str();
  // The 640 frame on nano/Classic: saved, with the warning, and again at the next start.
  EXPECT_TRUE(Says({"settings", "display=3"}, 0, "iPod touch"));
  // A wrong pair saves nothing at all, and says what the key takes.
  for (const std::string said :
       {"qulity=good: takes 0 (good), 1 (normal) or 2 (low)", "qulity=99: takes 0 (good)",
        "platform=3: takes 0 (iPod touch and iPhone), 1 (iPod nano and Classic) or 2 (phone, H.264)",
        "subtitleclass=KR CC: takes a SAMI class name", "colorsubtitle=2: takes 1 or 0",
        "fontsize=8,1: takes two size numbers from 0 to 7", "title=Mine: read only", "colour=1: not a setting",
        "videofileext=avi,.mp4: takes extensions without the dot", "outputfolder=mp4: takes a folder's full path",
        "audiolanguage=: takes auto, or a language", "audiolanguage=ko;kr: takes auto, or a language",
        "slurmoptions=--comment=\"a b: has a quote that is not closed"})
    EXPECT_TRUE(Says({"settings", "display=0", said.substr(0, said.find(": "))}, 2, "settings: " + said));
  EXPECT_TRUE(Says({"settings"}, 0, "iPod touch"));
  EXPECT_NE(out.str().find("display=3\n"), std::string::npos);
  EXPECT_NE(out.str().find("videofileext=avi,mpg,mpeg,asf,wmv,mp4,"), std::string::npos);
  EXPECT_EQ(Cli({"settings", "display=0", "videofileext=AVI, xyz", "platform=2", "subtitleclass=ENCC"}), 0);
  EXPECT_NE(out.str().find("subtitleclass=ENCC\noutputfolder=\nkeepsubfolders=0\n"), std::string::npos);
  // A language in any case, kept as the report names it; auto is 자동, kept as nothing.
  EXPECT_EQ(Cli({"settings", "audiolanguage=English"}), 0);
  EXPECT_NE(out.str().find("audiolanguage=english\nslurmoptions=\n# what they give\nframe=1280x720"),
            std::string::npos);
  EXPECT_EQ(Cli({"settings", "audiolanguage=AUTO", "slurmoptions=-p video --time=2:00:00"}), 0);
  EXPECT_NE(out.str().find("audiolanguage=auto\nslurmoptions=-p video --time=2:00:00\n#"), std::string::npos);
  EXPECT_EQ(OpenIniProfile(app / "MP4.ini")->ReadString("default", "audiolanguage", "absent"), "");
  EXPECT_EQ(Cli({"add", videos_->WriteFile("concert.xyz", "video")}), 0) << err.str();  // the new list counts
}

// list.log belongs to the user: a command that changes no row leaves it byte for byte.
// (What a save keeps of the lines it could not load: tests/media, VideoListFileTest.)
TEST_F(CliTest, ListLogIsChangedOnlyByWhatChangesTheList) {
  const std::string edited = "\xEF\xBB\xBF" + Video("clip.avi") + "\n/nonexistent-drive/film.avi\n";
  app.WriteFile("list.log", edited);
  app.WriteFile("MP4.ini", "[default]\nvideofileext=mkv\n");
  EXPECT_EQ(Cli({"add", Video(kOther)}), 1);  // refused: changes nothing
  for (const char* command : {"list", "refresh", "clear-encoded"}) EXPECT_EQ(Cli({command}), 0) << command;
  EXPECT_EQ(NativeFileSystem().ReadWholeFile(app / "list.log"), edited);
}

// Two loops of adds at once: each add reads, changes and writes list.log under its
// lock, so none loses another's row.
TEST_F(CliTest, AddsAtTheSameTimeKeepEveryRow) {
  testing::TempFolder many;
  constexpr int kPerLoop = 60;
  for (int i = 0; i < 2 * kPerLoop; ++i) many.WriteFile("v" + std::to_string(i) + ".avi", "");
  // The failed adds of one loop, the other process's or this one's.
  const auto add_loop = [&](int loop) {
    int failures = 0;
    for (int i = loop * kPerLoop; i < (loop + 1) * kPerLoop; ++i)
      failures += Cli({"add", many / ("v" + std::to_string(i) + ".avi")}) != 0;
    return failures;
  };
  const pid_t other = ::fork();
  ASSERT_GE(other, 0);
  if (other == 0) ::_exit(add_loop(0));
  EXPECT_EQ(add_loop(1), 0);
  EXPECT_EQ(ExitStatus(other), 0);
  EXPECT_EQ(Cli({"list"}), 0);
  const std::string rows = out.str();
  EXPECT_EQ(std::count(rows.begin(), rows.end(), '\n'), 2 * kPerLoop);
}

// Every row a command leaves out is named with its row and reason on stderr, and the
// command fails; refresh says only which rows it could not probe.
TEST_F(CliTest, RowsLeftOutAreNamedWithTheirReasonAndFailTheCommand) {
  const std::string notes = videos_->WriteFile("notes.avi", "a text file named .avi");
  EXPECT_EQ(Cli({"add", Video("clip.avi"), notes}), 0);
  // The first row starts; the others are named after the writing.
  EXPECT_TRUE(
      Says({"encode", "1", "2"}, 1,
           "started " + Video("clip.avi") + "\nclipvane-cli: not converted: row 2: " + notes + ": not a video\n"));
  EXPECT_EQ(Cli({"status"}), 0);
  EXPECT_EQ(out.str(), "1\twaiting\n2\t-\n");
  testing::ForgetStartedJobs(NativeFileSystem(), workspace);
  EXPECT_EQ(Cli({"make-scripts"}), 1);  // written, rows left out: the run script's path, and no ".bat" on Linux
  EXPECT_EQ(out.str(), app.Path() + "batch/encode_all.sh\n");
  EXPECT_EQ(err.str().find(".bat"), std::string::npos) << err.str();
  EXPECT_EQ(Cli({"refresh"}), 0);
  EXPECT_EQ(err.str(),
            "clipvane-cli: row 2: " + notes + ": not a video\nrefreshed 2 rows: 1 without a picture, 0 encoded\n");
}

// A job script that does not start (here: no sh on PATH) is no job started: the row is
// named with the system's reason and the command fails.
TEST_F(CliTest, AJobScriptThatDoesNotStartIsNamedWithTheReason) {
  EXPECT_EQ(Cli({"add", Video("clip.avi")}), 0);
  const std::string path = std::getenv("PATH");
  ::setenv("PATH", app.Path().c_str(), 1);  // a folder without sh
  const int status = Cli({"encode", "1", "--wait"});
  ::setenv("PATH", path.c_str(), 1);
  EXPECT_EQ(status, 1);
  EXPECT_EQ(err.str().find("started "), std::string::npos) << err.str();
  ExpectSaid("clipvane-cli: not converted: row 1: " + Video("clip.avi") +
             ": its job script did not start: sh: No such file or directory\nclipvane-cli: nothing started\n");
}

TEST_F(CliTest, WrongUseIsAnErrorOnStderr) {
  EXPECT_EQ(Cli({}), 2);
  EXPECT_EQ(Cli({"frobnicate"}), 2);
  EXPECT_TRUE(out.str().empty());
  EXPECT_FALSE(NativeFileSystem().Exists(app / "batch"));  // an unknown command opens no list
  for (const std::vector<std::string>& args : {std::vector<std::string>{"encode-all", "--queues", "3"},
                                               {"encode-all", "--after", "reboot"},
                                               {"encode", "--fast", "1"}})
    EXPECT_EQ(Cli(args), 2) << args[1];
  EXPECT_EQ(Cli({"encode-all"}), 1);  // an empty list gives nothing to encode
  EXPECT_EQ(Cli({"add"}), 2);
  EXPECT_EQ(Cli({"--help"}), 0);
}

}  // namespace
}  // namespace clipvane
