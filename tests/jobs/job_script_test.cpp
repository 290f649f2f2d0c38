#include "jobs/job_script.h"

#include <gtest/gtest.h>

#include "platform/platform_error.h"
#include "support/memory_file_system.h"

namespace clipvane {
namespace {

using testing::MemoryFileSystem;

const std::string kAnsiSubtitle = "<SAMI>\r\n<BODY>\n<SYNC Start=1000><P>\xC7\xD1\xB1\xDB\r\n</SAMI>";

// The worked example: D:\Conv\, Holiday.avi 640x480 at 25 frames per second with an
// ANSI subtitle beside it, normal quality, touch/iPhone, fit, subtitles on.
class JobScriptTest : public ::testing::Test {
 protected:
  JobScriptTest() {
    files_.folders = {"D:\\Conv\\temp", "D:\\Conv\\batch", "D:\\Conv\\incoming"};
    files_.files["D:\\Videos\\Holiday.avi"] = "video";
    files_.files["D:\\Videos\\Holiday.smi"] = kAnsiSubtitle;
    facts_.width = 640;
    facts_.height = 480;
    facts_.aspect = 640.0 / 480.0;
    facts_.frameRate = 25;
    settings_.qulity = 1;
    settings_.platform = 0;
    settings_.display = 2;
    settings_.displaymode = 0;
    settings_.fontsdir = "C:\\WINDOWS\\Fonts\\";
    settings_.fontfile = "gulim.ttc";
    settings_.fontface = "gulim";
    settings_.subtitlefontsize = 5;
  }

  JobBuild Build(const std::string& video = "D:\\Videos\\Holiday.avi",
                 ScriptDialect dialect = ScriptDialect::kWindowsBatch) {
    JobContext context{workspace_, dialect, files_, settings_,
                       [this](const std::string& video_path, const std::string& source, const SsaStyleMetrics& m) {
                         avs_calls_.push_back(video_path + " <- " + source + " font " + std::to_string(m.fontSize));
                         files_.files["D:\\Conv\\temp\\Holiday.ssa"] = "ssa";
                         files_.files["D:\\Conv\\temp\\Holiday.avs"] = "avs";
                         return AvsFiles{"D:\\Conv\\temp\\Holiday.ssa", "D:\\Conv\\temp\\Holiday.avs"};
                       }};
    return BuildJobScript(video, facts_, context);
  }

  std::vector<std::string> ScriptLines(const std::string& path = "D:\\Conv\\batch\\Holiday.bat") {
    const std::string text = files_.files.at(path);
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
      lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "every line, the last included, ends with CR LF";
    return lines;
  }

  Workspace workspace_{"D:\\Conv\\", PathStyle::kWindows};
  MemoryFileSystem files_;
  MediaFacts facts_;
  EncodeSettings settings_;
  std::vector<std::string> avs_calls_;
};

const std::vector<std::string> kWorkedExample{
    "del \"D:\\Conv\\incoming\\Holiday.mp4\"",
    "\"D:\\Conv\\bin\\mencoder.exe\" -noodml \"D:\\Videos\\Holiday.avi\"  -oac faac -faacopts "
    "br=192:mpeg=4:object=2 -af volnorm -srate 48000 -vf-add harddup -ofps 25 -vf-add crop=640:480:-1:-1 "
    "-vf-add scale=427:320 -vf-add expand=427:320:-1:-1:1 -ovc lavc -lavcopts vcodec=mpeg4 -lavcopts "
    "vbitrate=700 -ffourcc DIVX  -font \"C:\\WINDOWS\\Fonts\\gulim.ttc\" -sub \"D:\\Conv\\temp\\qv1A2B.smi\" "
    "-utf8  -subpos 95 -subfont-text-scale 5 -subfont-blur 2 -subfont-outline 2 -lavcopts threads=2 -o "
    "\"D:\\Conv\\temp\\qv1A2B.avi\" 2> \"D:\\Conv\\temp\\qv1A2B.tmp\"",
    "\"D:\\Conv\\bin\\mencoder.exe\" -ovc copy -nosound -of rawvideo -o \"D:\\Conv\\temp\\qv1A2B.m4v\" "
    "\"D:\\Conv\\temp\\qv1A2B.avi\"> \"D:\\Conv\\temp\\qv1A2B.tmp\"",
    "\"D:\\Conv\\bin\\mencoder.exe\" -ovc frameno -oac copy -of rawaudio -o \"D:\\Conv\\temp\\qv1A2B.aac\" "
    "\"D:\\Conv\\temp\\qv1A2B.avi\"> \"D:\\Conv\\temp\\qv1A2B.tmp\"",
    "\"D:\\Conv\\bin\\mp4creator.exe\" -c \"D:\\Conv\\temp\\qv1A2B.m4v\" -rate=25 "
    "\"D:\\Conv\\incoming\\Holiday.mp4\"",
    "\"D:\\Conv\\bin\\mp4creator.exe\" -c \"D:\\Conv\\temp\\qv1A2B.aac\" \"D:\\Conv\\incoming\\Holiday.mp4\"",
    "del \"D:\\Conv\\temp\\qv1A2B.smi\"",
    "del \"D:\\Conv\\temp\\qv1A2B.avi\"",
    "del \"D:\\Conv\\temp\\qv1A2B.m4v\"",
    "del \"D:\\Conv\\temp\\qv1A2B.aac\"",
    "del \"D:\\Conv\\temp\\qv1A2B.tmp\""};

TEST_F(JobScriptTest, WritesTheWorkedExampleByteForByte) {
  const JobBuild build = Build();
  EXPECT_EQ(build.script, "D:\\Conv\\batch\\Holiday.bat");
  EXPECT_EQ(ScriptLines(), kWorkedExample);
  // The UTF-8 copy of the ANSI subtitle, CR LF after every line.
  EXPECT_EQ(files_.files.at("D:\\Conv\\temp\\qv1A2B.smi"),
            "<SAMI>\r\n<BODY>\r\n<SYNC Start=1000><P>\xED\x95\x9C\xEA\xB8\x80\r\n</SAMI>\r\n");
  EXPECT_EQ(files_.files.at("D:\\Conv\\temp\\qv1A2B.tmp"), "");
}

TEST_F(JobScriptTest, SyncOptionsGiveThirteenLines) {
  settings_.subtitlesync = true;
  settings_.audiosync = true;
  Build();
  const std::vector<std::string> lines = ScriptLines();
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_EQ(lines[1],
            "\"D:\\Conv\\bin\\mencoder.exe\" -noodml \"D:\\Videos\\Holiday.avi\" -ovc copy -mc 0 -oac faac "
            "-faacopts br=192:mpeg=4:object=2 -af volnorm -srate 48000 -o \"D:\\Conv\\temp\\qv1A2B.avi\" 2> "
            "\"D:\\Conv\\temp\\qv1A2B.tmp\"");
  EXPECT_EQ(lines[2],
            "\"D:\\Conv\\bin\\mencoder.exe\" -noodml \"D:\\Conv\\temp\\qv1A2B.avi\"  -oac copy  -vf-add harddup "
            "-ofps 25 -vf-add crop=640:480:-1:-1 -vf-add scale=427:320 -vf-add expand=427:320:-1:-1:1 -ovc lavc "
            "-lavcopts vcodec=mpeg4 -lavcopts vbitrate=700 -ffourcc DIVX  -font \"C:\\WINDOWS\\Fonts\\gulim.ttc\" "
            "-sub \"D:\\Conv\\temp\\qv1A2B.smi\" -utf8  -subpos 95 -subfont-text-scale 5 -subfont-blur 2 "
            "-subfont-outline 2 -lavcopts threads=2 -o \"D:\\Conv\\temp\\qv1A2B.avi2\" 2> "
            "\"D:\\Conv\\temp\\qv1A2B.tmp\"");
  EXPECT_EQ(lines[3],
            "\"D:\\Conv\\bin\\mencoder.exe\" -ovc copy -nosound -of rawvideo -o \"D:\\Conv\\temp\\qv1A2B.m4v\" "
            "\"D:\\Conv\\temp\\qv1A2B.avi2\"> \"D:\\Conv\\temp\\qv1A2B.tmp\"");
  EXPECT_EQ(lines[4],
            "\"D:\\Conv\\bin\\mencoder.exe\" -ovc frameno -oac copy -of rawaudio -o \"D:\\Conv\\temp\\qv1A2B.aac\" "
            "\"D:\\Conv\\temp\\qv1A2B.avi2\"> \"D:\\Conv\\temp\\qv1A2B.tmp\"");
  EXPECT_EQ(lines[8], "del \"D:\\Conv\\temp\\qv1A2B.avi\"");
  EXPECT_EQ(lines[9], "del \"D:\\Conv\\temp\\qv1A2B.avi2\"");
  for (auto [ours, example] : {std::pair{0, 0}, {5, 4}, {6, 5}, {7, 6}, {10, 8}, {11, 9}, {12, 10}})
    EXPECT_EQ(lines[ours], kWorkedExample[example]) << "line " << ours + 1;
}

TEST_F(JobScriptTest, ColouredRouteEncodesTheAviSynthScript) {
  settings_.colorsubtitle = true;
  Build();
  const std::vector<std::string> lines = ScriptLines();
  ASSERT_EQ(lines.size(), 13u);
  EXPECT_NE(lines[1].find("-noodml \"D:\\Conv\\temp\\Holiday.avs\"  -oac faac"), std::string::npos) << lines[1];
  EXPECT_EQ(lines[1].find("-font"), std::string::npos);
  EXPECT_NE(lines[1].find("-ffourcc DIVX   -lavcopts threads=2"), std::string::npos) << lines[1];
  EXPECT_EQ(lines[6], "del \"D:\\Conv\\temp\\Holiday.avs\"");
  EXPECT_EQ(lines[7], "del \"D:\\Conv\\temp\\Holiday.ssa\"");
  EXPECT_EQ(lines[8], "del \"D:\\Conv\\temp\\qv1A2B.smi\"");
  // 640x480 fitted: factor 480/320 with size 5 gives 7.5, rounded to even.
  EXPECT_EQ(avs_calls_, std::vector<std::string>{"D:\\Videos\\Holiday.avi <- D:\\Videos\\Holiday.avi font 8"});
}

TEST_F(JobScriptTest, ColouredRouteWithSubtitleSyncDrawsOnTheFirstPassAndEncodesItsSound) {
  settings_.colorsubtitle = true;
  settings_.subtitlesync = true;
  Build();
  const std::vector<std::string> lines = ScriptLines();
  EXPECT_EQ(avs_calls_, std::vector<std::string>{"D:\\Videos\\Holiday.avi <- D:\\Conv\\temp\\qv1A2B.avi font 8"});
  ASSERT_GE(lines.size(), 3u);
  EXPECT_NE(lines[1].find("\"D:\\Videos\\Holiday.avi\" -ovc copy"), std::string::npos) << lines[1];
  EXPECT_NE(lines[2].find("-noodml \"D:\\Conv\\temp\\Holiday.avs\"  -oac faac -faacopts br=192:mpeg=4:object=2  "
                          "-vf-add harddup"),
            std::string::npos)
      << lines[2];
  EXPECT_NE(lines[2].find("-o \"D:\\Conv\\temp\\qv1A2B.avi2\""), std::string::npos);
}

struct RouteCase {
  std::string label;
  bool needsubtitle, colorsubtitle, subtitle_present;
  std::size_t lines;
  bool copy_made, font_options;
};

class SubtitleRouteTest : public JobScriptTest, public ::testing::WithParamInterface<RouteCase> {};

TEST_P(SubtitleRouteTest, ChoosesTheRoute) {
  const RouteCase& c = GetParam();
  settings_.needsubtitle = c.needsubtitle;
  settings_.colorsubtitle = c.colorsubtitle;
  if (!c.subtitle_present) files_.files.erase("D:\\Videos\\Holiday.smi");
  Build();
  const std::vector<std::string> lines = ScriptLines();
  EXPECT_EQ(lines.size(), c.lines);
  EXPECT_EQ(files_.files.count("D:\\Conv\\temp\\qv1A2B.smi") > 0, c.copy_made);
  EXPECT_EQ(lines[1].find("-font") != std::string::npos, c.font_options);
  EXPECT_TRUE(avs_calls_.empty());
}

INSTANTIATE_TEST_SUITE_P(Table, SubtitleRouteTest,
                         ::testing::Values(RouteCase{"NoSmi", true, false, false, 10, false, false},
                                           RouteCase{"SubtitlesOffCopyStillMade", false, false, true, 11, true, false},
                                           RouteCase{"ColourWithoutSmi", true, true, false, 10, false, false}),
                         [](const auto& test_info) { return test_info.param.label; });

struct CopyCase {
  std::string label, subtitle, copy;
};

class SubtitleCopyTest : public JobScriptTest, public ::testing::WithParamInterface<CopyCase> {};

TEST_P(SubtitleCopyTest, ArrivesAsUtf8WithCrLfLines) {
  files_.files["D:\\Videos\\Holiday.smi"] = GetParam().subtitle;
  Build();
  EXPECT_EQ(files_.files.at("D:\\Conv\\temp\\qv1A2B.smi"), GetParam().copy);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SubtitleCopyTest,
    ::testing::Values(
        CopyCase{"Utf8BomCopiedUnchanged", "\xEF\xBB\xBFline\nnext", "\xEF\xBB\xBFline\nnext"},
        CopyCase{"Utf16Le", std::string("\xFF\xFE" "a\0\r\0\n\0\x5C\xD5\n\0", 12), "a\r\n\xED\x95\x9C\r\n"},
        CopyCase{"Utf16Be", std::string("\xFE\xFF\0a\0\r\xD5\x5C", 8), "a\r\n\xED\x95\x9C\r\n"},
        CopyCase{"AnsiCrOnly", "a\rb\r\rc", "a\r\nb\r\n\r\nc\r\n"},
        CopyCase{"Empty", "", ""}),
    [](const auto& test_info) { return test_info.param.label; });

TEST_F(JobScriptTest, NoPictureWritesNothing) {
  facts_.height = 0;
  const auto before = files_.files;
  const JobBuild build = Build();
  EXPECT_EQ(build.script, "");
  EXPECT_EQ(build.skipped, JobSkip::kNoPicture);
  EXPECT_EQ(files_.files, before);
}

TEST_F(JobScriptTest, AVideoThatIsItsOwnOutputIsRefusedAndNeverDeleted) {
  files_.files["D:\\Conv\\incoming\\Clip.mp4"] = "video";
  const auto before = files_.files;
  const JobBuild build = Build("D:\\Conv\\INCOMING\\clip.MP4");
  EXPECT_EQ(build.script, "");
  EXPECT_EQ(build.skipped, JobSkip::kSourceIsOutput);
  EXPECT_EQ(files_.files, before);
  EXPECT_NE(JobSkipMessage(build.skipped, "D:\\Conv\\INCOMING\\clip.MP4").find("clip.MP4"), std::string::npos);
}

TEST_F(JobScriptTest, NoTemporaryNameStopsTheBuild) {
  files_.folders.erase("D:\\Conv\\temp");
  EXPECT_THROW(Build(), PlatformError);
  EXPECT_EQ(files_.files.count("D:\\Conv\\batch\\Holiday.bat"), 0u);
}

TEST_F(JobScriptTest, AFailedScriptWriteLeavesNoScriptAndNoStrayFiles) {
  settings_.colorsubtitle = true;
  files_.unwritable.insert("D:\\Conv\\batch\\Holiday.bat");
  const auto before = files_.files;
  EXPECT_THROW(Build(), PlatformError);
  EXPECT_EQ(files_.files, before);
}

TEST_F(JobScriptTest, PortraitVideoIsTurnedBeforeTheSubtitleOptions) {
  facts_.width = 480;
  facts_.height = 640;
  Build();
  EXPECT_NE(ScriptLines()[1].find("-ffourcc DIVX -vf-add rotate=2 -font"), std::string::npos);
}

TEST_F(JobScriptTest, NoFrameRateGivesRateZero) {
  facts_.frameRate = 0;
  Build();
  const std::vector<std::string> lines = ScriptLines();
  EXPECT_NE(lines[1].find(" -ofps 0 "), std::string::npos);
  EXPECT_NE(lines[4].find(" -rate=0 "), std::string::npos);
}

TEST_F(JobScriptTest, PercentInAFileNameIsDoubledInBatchFiles) {
  files_.files["D:\\Videos\\100%.avi"] = "video";
  Build("D:\\Videos\\100%.avi");
  const std::vector<std::string> lines = ScriptLines("D:\\Conv\\batch\\100%.bat");
  EXPECT_EQ(lines[0], "del \"D:\\Conv\\incoming\\100%%.mp4\"");
  EXPECT_NE(lines[1].find("-noodml \"D:\\Videos\\100%%.avi\""), std::string::npos);
}

TEST(PosixJobScript, WritesShellLinesWithSafeQuoting) {
  MemoryFileSystem files;
  files.separator = '/';
  files.folders = {"/app/temp", "/app/batch"};
  const Workspace workspace("/app/", PathStyle::kPosix);
  EncodeSettings settings;
  settings.needsubtitle = false;
  MediaFacts facts;
  facts.width = 320;
  facts.height = 240;
  facts.frameRate = 25;
  JobContext context{workspace, ScriptDialect::kPosixShell, files, settings, nullptr};
  const JobBuild build = BuildJobScript("/v/it's $HOME & `x`.avi", facts, context);
  ASSERT_EQ(build.script, "/app/batch/it's $HOME & `x`.sh");
  const std::string text = files.files.at(build.script);
  EXPECT_EQ(text.find('\r'), std::string::npos);
  EXPECT_EQ(text.substr(0, text.find('\n')), "rm -f '/app/incoming/it'\\''s $HOME & `x`.mp4'");
  EXPECT_NE(text.find("'/app/bin/mencoder' -noodml '/v/it'\\''s $HOME & `x`.avi'  -oac"), std::string::npos);
  EXPECT_NE(text.find("'/app/bin/mp4creator' -c '/app/temp/qv1A2B.m4v' -rate=25 "), std::string::npos);
  EXPECT_NE(text.find("'/app/temp/qv1A2B.avi'> '/app/temp/qv1A2B.tmp'\n"), std::string::npos);
  const std::string last_line = "rm -f '/app/temp/qv1A2B.tmp'\n";
  EXPECT_EQ(text.substr(text.size() - last_line.size()), last_line);
}

}  // namespace
}  // namespace clipvane
