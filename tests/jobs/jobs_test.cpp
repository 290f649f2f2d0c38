#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

#include "jobs/encoder_options.h"
#include "jobs/geometry.h"
#include "jobs/job_script.h"
#include "platform/ini_profile.h"
#include "settings/settings_store.h"
#include "jobs/ratio_text.h"
#include "jobs/script.h"
#include "platform/file_system.h"
#include "platform/platform_error.h"
#include "platform/child_processes.h"
#include "support/memory_file_system.h"
#include "support/temp_folder.h"

namespace clipvane {

namespace {

constexpr auto kBatch = ScriptDialect::kWindowsBatch;
constexpr auto kSh = ScriptDialect::kPosixShell;

TEST(QuotePath, QuotesEveryPathSafely) {
  const std::tuple<ScriptDialect, std::string, std::string> cases[] = {
      {kBatch, "C:\\a b\\x.avi", "\"C:\\a b\\x.avi\""},
      {kBatch, "C:\\100%\\%PATH%.avi", "\"C:\\100%%\\%%PATH%%.avi\""},
      {kBatch, "C:\\R&B's.avi", "\"C:\\R&B's.avi\""},
      {kSh, "/it's", "'/it'\\''s'"},
      {kSh, "/$HOME/`id`/\"q\"", "'/$HOME/`id`/\"q\"'"}};
  for (const auto& [dialect, path, quoted] : cases) EXPECT_EQ(QuotePath(dialect, path), quoted);
}

TEST(RenderScript, EndsLinesInTheDialectsWayAndAFailingCheckedStepEndsTheScriptThroughItsFailureSteps) {
  const std::vector<ScriptStep> steps{DeleteStep("X"), CallStep("Y%"),
                                      ToolStep("mp4creator", {Opt("-c"), PathArg("Z")})};
  // Calls survive the second expansion of cmd.
  EXPECT_EQ(RenderScript(kBatch, "D:\\Conv\\", steps),
            "del \"X\"\r\ncall \"Y%%%%\"\r\n\"D:\\Conv\\bin\\mp4creator.exe\" -c \"Z\"\r\n");
  EXPECT_EQ(RenderScript(kSh, "/c/", steps), "rm -f 'X'\nsh 'Y%'\n'/c/bin/mp4creator' -c 'Z'\n");
  // The status file is named first, before the failure steps of sh too.
  const std::vector<ScriptStep> checked{StatusFileStep("s%&'.job"),
                                        Checked(ToolStep("mencoder", {PathArg("in")}, Redirect::kErrors, "log")),
                                        Checked(MoveStep("t%.mp4", "o.mp4")), DeleteStep("log")};
  EXPECT_EQ(RenderScript(kBatch, "D:\\", checked, {DeleteStep("t%.mp4")}),
            "set \"CLIPVANE_JOB=s%%&'.job\"\r\n"
            "\"D:\\bin\\mencoder.exe\" \"in\" 2> \"log\"\r\nif errorlevel 1 goto failed\r\n"
            "move /y \"t%%.mp4\" \"o.mp4\"\r\nif errorlevel 1 goto failed\r\nif exist \"t%%.mp4\" goto failed\r\n"
            "del \"log\"\r\nexit /b 0\r\n:failed\r\ndel \"t%%.mp4\"\r\nexit /b 1\r\n");
  EXPECT_EQ(RenderScript(kSh, "/c/", checked, {DeleteStep("t%.mp4")}),
            "CLIPVANE_JOB='s%&'\\''.job'; export CLIPVANE_JOB\n"
            "failed() {\n  rm -f 't%.mp4'\n  exit 1\n}\ntrap failed INT TERM HUP\n"
            "'/c/bin/mencoder' 'in' 2> 'log' || failed\nmv -f 't%.mp4' 'o.mp4' || failed\nrm -f 'log'\n");
}

#ifdef _WIN32
// cmd itself runs batch jobs from a run script, as a whole-list run does: the first
// job fails at its second step, leaves its earlier result alone and cleans up; the
// second job and the run script's last line still run.
TEST(RenderScript, CmdEndsAFailingBatchJobAndTheRunScriptGoesOn) {
  testing::TempFolder temp;
  NativeFileSystem().MakeFolders(temp / "bin");
  std::filesystem::copy_file(std::filesystem::path(CLIPVANE_STEP_TOOL), std::filesystem::path(temp / "bin\\tool.exe"));
  temp.WriteFile("bin\\fail-a2", "");
  std::vector<ScriptStep> run;
  for (const std::string job : {"a", "b"}) {
    const std::string part = temp / ("part " + job), out = temp / ("out & " + job + "%.mp4"),
                      kept = temp / ("kept " + job);
    temp.WriteFile("out & " + job + "%.mp4", "old " + job);
    temp.WriteFile("kept " + job, "intermediate");
    const std::vector<ScriptStep> steps{Checked(ToolStep("tool", {Opt("step"), Opt(job + "1"), PathArg(part)})),
                                        Checked(ToolStep("tool", {Opt("step"), Opt(job + "2"), PathArg(part)})),
                                        Checked(MoveStep(part, out)), DeleteStep(kept)};
    run.push_back(CallStep(temp.WriteFile(
        "job " + job + ".bat", RenderScript(kBatch, temp.Path(), steps, {DeleteStep(part), DeleteStep(kept)}))));
  }
  run.push_back(ProgramStep(temp / "bin\\tool.exe", {Opt("step"), Opt("power"), PathArg(temp / "power.txt")}));
  const std::string run_script = temp.WriteFile("encode_all.bat", RenderScript(kBatch, temp.Path(), run));
  ASSERT_TRUE(RunChild({"cmd.exe", "/c", run_script}, {Discarded(), Discarded()}).has_value());
  EXPECT_EQ(temp.Read("out & a%.mp4") + "|" + temp.Read("part a") + "|" + temp.Read("kept a"), "old a|-|-");
  EXPECT_EQ(temp.Read("out & b%.mp4") + "|" + temp.Read("part b") + "|" + temp.Read("kept b"),
            "made b1\r\nmade b2\r\n|-|-");
  EXPECT_EQ(temp.Read("power.txt"), "made power\r\n");
}
#endif

MediaFacts Facts(int width, int height, double frame_rate = 0, std::vector<MediaTrack> subtitle_tracks = {}) {
  return {width, height, static_cast<double>(width) / height, frame_rate, false, "", {}, std::move(subtitle_tracks)};
}

// An English text track, the default, and a Korean picture track, inside the video.
const std::vector<MediaTrack> kInsideTracks{{0, "english", "utf-8", "", "", true, false},
                                            {1, "korean", "pgs", "", "", false, false}};

PictureGeometry Plan(const MediaFacts& facts, int platform, int displaymode, bool keep43 = false) {
  EncodeSettings settings;
  settings.platform = static_cast<Device>(platform);  // the tables give the codes MP4.ini keeps
  settings.noresizefor43scale = keep43;
  EncoderPreset preset;
  preset.displaymode = static_cast<DisplayMode>(displaymode);
  const DeviceDescriptor& device = Devices().at(static_cast<std::size_t>(platform));
  const bool wide = device.wide_frame_width > 0 && preset.displaymode == DisplayMode::kFit640Frame;
  preset.framewidth = wide ? device.wide_frame_width : device.frame_width;
  preset.frameheight = device.frame_height;
  return PlanGeometry(facts, settings, preset);
}

TEST(RatioText, WritesTwoDecimalsRoundedToEvenAndComparesByValue) {
  const std::pair<std::pair<int, int>, const char*> cases[] = {{{4, 3}, "1.33"},     {{10, 1}, "10.00"},
                                                               {{640, 428}, "1.50"}, {{1, 8}, "0.12"},
                                                               {{3, 8}, "0.38"},     {{1920, 808}, "2.38"}};
  for (const auto& [ratio, text] : cases) EXPECT_EQ(RatioText(ratio.first, ratio.second), text);
  EXPECT_TRUE(RatioGreaterByValue("10.00", "9.99"));
  EXPECT_FALSE(RatioGreaterByValue("1.50", "1.50"));
}

struct GeometryCase {
  int width, height, platform, displaymode;
  bool keep43, rotate;
  PictureSize crop, scale, expand;
};

TEST(PlanGeometry, FitsThePictureOntoTheFrame) {
  for (const GeometryCase& c : std::initializer_list<GeometryCase>{
           GeometryCase{640, 480, 0, 0, false, false, {640, 480}, {427, 320}, {427, 320}},
           GeometryCase{640, 480, 0, 3, false, false, {640, 428}, {480, 320}, {480, 320}},
           GeometryCase{640, 480, 0, 3, true, false, {640, 480}, {427, 320}, {427, 320}},
           GeometryCase{640, 480, 0, 2, false, false, {640, 480}, {480, 320}, {480, 320}},
           GeometryCase{720, 480, 0, 3, false, false, {720, 480}, {480, 320}, {480, 320}},
           GeometryCase{1280, 720, 0, 0, false, false, {1280, 720}, {480, 270}, {480, 270}},
           GeometryCase{1280, 720, 0, 3, false, false, {1083, 720}, {480, 320}, {480, 320}},
           GeometryCase{720, 480, 0, 1, false, false, {720, 480}, {481, 320}, {481, 320}},
           GeometryCase{720, 304, 0, 1, false, false, {720, 304}, {640, 270}, {640, 270}},
           GeometryCase{480, 640, 0, 3, false, true, {428, 640}, {320, 480}, {320, 480}},
           GeometryCase{1280, 720, 1, 0, false, false, {1280, 720}, {320, 180}, {320, 240}},
           GeometryCase{720, 480, 1, 3, false, false, {640, 480}, {320, 240}, {320, 240}},
           GeometryCase{480, 640, 1, 0, false, true, {480, 640}, {240, 320}, {320, 240}},
           // a portrait 3:4 picture is not of the 4:3 class, so it is filled and turned
           GeometryCase{480, 640, 0, 3, true, true, {428, 640}, {320, 480}, {320, 480}},
           // a square is not turned; 321/320 already writes 1.00, so the search stops there
           GeometryCase{500, 500, 0, 0, false, false, {500, 500}, {321, 320}, {321, 320}},
           // A size that no frame divides evenly, on every device: 269.87, 179.9 and 719.65
           // lines are 270, 180 and 720, not cut down.
           GeometryCase{1366, 768, 0, 0, false, false, {1366, 768}, {480, 270}, {480, 270}},
           GeometryCase{1366, 768, 1, 0, false, false, {1366, 768}, {320, 180}, {320, 240}},
           GeometryCase{1366, 768, 2, 3, false, false, {1366, 768}, {1280, 720}, {1280, 720}},
           // The phone: the whole picture within 1280x720, or 720x1280 upright, never
           // larger, both sides even, whatever the screen fit; nothing is turned.
           GeometryCase{1920, 1080, 2, 3, false, false, {1920, 1080}, {1280, 720}, {1280, 720}},
           GeometryCase{640, 360, 2, 3, false, false, {640, 360}, {640, 360}, {640, 360}},
           GeometryCase{1080, 1920, 2, 3, false, false, {1080, 1920}, {720, 1280}, {720, 1280}},
           GeometryCase{1440, 1080, 2, 3, true, false, {1440, 1080}, {960, 720}, {960, 720}},
           GeometryCase{321, 241, 2, 2, false, false, {321, 241}, {320, 240}, {320, 240}},
           GeometryCase{1000, 1000, 2, 3, false, false, {1000, 1000}, {720, 720}, {720, 720}}}) {
    const PictureGeometry g = Plan(Facts(c.width, c.height), c.platform, c.displaymode, c.keep43);
    EXPECT_EQ(std::tie(g.rotate, g.crop, g.scale, g.expand), std::tie(c.rotate, c.crop, c.scale, c.expand))
        << c.width << "x" << c.height << " mode " << c.displaymode << " platform " << c.platform;
  }
}

TEST(SubtitleMetrics, SizeColouredSubtitlesForTheSourcePicture) {
  struct Case {
    int width, height, platform, displaymode, size, margin_v, font_size, play_res_y;
  };
  // 640x480 fitted scales by 480/320: 5 and 3 give 7.5 and 4.5, rounded to even. The
  // phone's 320 lines span the shorter side: 1920 / 1080 x 320 lines for a portrait one.
  for (const Case& c :
       {Case{1280, 720, 0, 0, 16, 20, 47, 0}, Case{1280, 720, 0, 3, 16, 20, 40, 0}, Case{640, 480, 0, 3, 16, 42, 21, 0},
        Case{640, 480, 0, 0, 16, 20, 24, 0}, Case{1920, 808, 0, 0, 16, 20, 77, 0}, Case{720, 480, 0, 3, 16, 20, 24, 0},
        Case{640, 480, 0, 0, 5, 20, 8, 0}, Case{640, 480, 0, 0, 3, 20, 4, 0}, Case{1920, 1080, 2, 3, 16, 20, 18, 320},
        Case{640, 480, 2, 3, 16, 20, 16, 320}, Case{1080, 1920, 2, 3, 16, 20, 16, 569}}) {
    const MediaFacts facts = Facts(c.width, c.height);
    const SsaStyleMetrics m = c.platform == 2 ? ShorterSideSubtitleMetrics(facts, c.size)
                                              : SubtitleMetrics(Plan(facts, 0, c.displaymode), facts, c.size);
    EXPECT_EQ(std::tie(m.margin_v, m.font_size, m.play_res_y), std::tie(c.margin_v, c.font_size, c.play_res_y))
        << c.width << "x" << c.height;
  }
}

TEST(OutputFrameRate, LowersToTheCapAndWritesTheShortestDecimalWithAPoint) {
  const std::pair<std::pair<double, double>, const char*> cases[] = {
      {{29.97, 29.0}, "29"},       {{23.976, 29.0}, "23.976"}, {{29.97, 30.0}, "29.97"},
      {{0.0, 25.0}, "0"},          {{12.5, 25.0}, "12.5"},     {{24000.0 / 1001.0, 29.0}, "23.976023976024"},
      {{0.00001, 25.0}, "0.00001"}};
  for (const auto& [rates, text] : cases) EXPECT_EQ(OutputFrameRate(rates.first, rates.second), text) << text;
}

using testing::MemoryFileSystem;

const std::string kAnsiSubtitle = "<SAMI>\r\n<BODY>\n<SYNC Start=1000><P>\xC7\xD1\xB1\xDB\r\n</SAMI>";

using Texts = std::vector<std::string>;

// The worked example: D:\Conv\, Holiday.avi 640x480 at 25 frames per second with an
// ANSI subtitle beside it, normal quality, touch/iPhone, fit, subtitles on.
class JobScriptTest : public ::testing::Test {
 protected:
  JobScriptTest() {
    files_.folders = {"D:\\Conv\\temp", "D:\\Conv\\batch", "D:\\Conv\\incoming"};
    files_.files["D:\\Videos\\Holiday.smi"] = kAnsiSubtitle;
    settings_.fontfile = "gulim.ttc";
    settings_.fontface = "gulim";
    preset_.displaymode = DisplayMode::kFit;
    preset_.subtitlefontsize = 5;
  }
  JobTarget Lone(const std::string& video) const {
    return LoneJobTarget(video, {workspace_.Incoming()}, PathStyle::kWindows);
  }
  JobBuild Build(const std::string& video = "D:\\Videos\\Holiday.avi") {
    JobContext context{{workspace_, ScriptDialect::kWindowsBatch, settings_, preset_, "C:\\WINDOWS\\Fonts\\"},
                       files_,
                       [this](const std::string& video_path, const std::string&, const FoundSubtitle& subtitle,
                              const std::string& source, const SsaStyleMetrics& m) {
                         avs_calls_.push_back(video_path + " <- " + source + " font " + std::to_string(m.font_size));
                         avs_subtitles_.push_back(subtitle.path);
                       }};
    return BuildJobScript(video, Lone(video), facts_, context);
  }

  Workspace workspace_{"D:\\Conv\\", PathStyle::kWindows};
  MemoryFileSystem files_;
  MediaFacts facts_ = Facts(640, 480, 25);
  EncodeSettings settings_;
  EncoderPreset preset_;
  std::vector<std::string> avs_calls_;
  std::vector<std::string> avs_subtitles_;
};

// The worked example as written, and what other settings and devices change in it,
// each with the settings a load derives from MP4.ini: each expected script lies beside
// the test, byte for byte.
struct ScriptCase {
  std::string file;
  std::string ini;       // MP4.ini's lines beside fit (display=2) and plain size 5 (fontsize=3,2)
  std::string avs = "";  // what the AviSynth script was asked to open, at which subtitle size
  MediaFacts facts = Facts(640, 480, 25);
  bool smi_beside = true;
};

class WorkedExampleTest : public JobScriptTest, public ::testing::WithParamInterface<ScriptCase> {};

TEST_P(WorkedExampleTest, WritesTheExpectedScriptByteForByte) {
  testing::TempFolder temp;
  temp.WriteFile("MP4.ini", "[default]\r\n" + GetParam().ini + "display=2\r\nfontsize=3,2\r\n");
  LoadSettings(settings_, preset_, *OpenIniProfile(temp / "MP4.ini"));
  facts_ = GetParam().facts;
  if (!GetParam().smi_beside) files_.files.erase("D:\\Videos\\Holiday.smi");
  const std::string path = testing::DataFile(CLIPVANE_TEST_DATA + GetParam().file);
  EXPECT_EQ(Build().files.script, "D:\\Conv\\batch\\Holiday.bat");
  EXPECT_EQ(files_.files.at("D:\\Conv\\batch\\Holiday.bat"), NativeFileSystem().ReadWholeFile(path).value_or(path));
  EXPECT_EQ(files_.files.at("D:\\Conv\\temp\\qv1A2B.tmp"), "");
  EXPECT_EQ(files_.files.count("D:\\Conv\\temp\\qv1A2B.smi"), GetParam().smi_beside ? 1u : 0u);  // the copy
  EXPECT_EQ(avs_calls_, GetParam().avs.empty() ? Texts{} : Texts{GetParam().avs});
}

INSTANTIATE_TEST_SUITE_P(
    Table, WorkedExampleTest,
    ::testing::Values(ScriptCase{"holiday_plain.bat", ""},
                      // Thirteen lines: the first pass, the main encode of its output, one more clean-up.
                      ScriptCase{"holiday_sync.bat", "subtitlesync=1\r\naudiosync=1\r\n"},
                      // The AviSynth script is the input, without subtitle options; its files go first.
                      // The colour route's 16 scaled by 480/320 is 24.
                      ScriptCase{"holiday_colour.bat", "colorsubtitle=1\r\n",
                                 "D:\\Videos\\Holiday.avi <- D:\\Videos\\Holiday.avi font 24"},
                      // A portrait picture is turned between the video and the subtitle options.
                      ScriptCase{"holiday_portrait.bat", "", "", Facts(480, 640, 25)},
                      // Both: the AviSynth script opens the first pass's output, whose sound is encoded again.
                      ScriptCase{"holiday_colour_sync.bat", "colorsubtitle=1\r\nsubtitlesync=1\r\n",
                                 "D:\\Videos\\Holiday.avi <- D:\\Conv\\temp\\qv1A2B.avi font 24"},
                      ScriptCase{"holiday_no_rate.bat", "", "", Facts(640, 480)},
                      // The phone: the same steps with H.264 and its raw stream, the picture fitted
                      // as it is, the outline of the plain subtitles as on the touch's 320 lines.
                      ScriptCase{"holiday_phone.bat", "platform=2\r\n", "", Facts(1920, 1080, 59.94)},
                      // nano/Classic at its best: xvid, a wide picture padded to the whole 320x240 frame.
                      ScriptCase{"holiday_nano.bat", "platform=1\r\nqulity=0\r\n", "", Facts(1280, 720, 29.97)},
                      // The touch's 640 frame at low quality: 210 kbit/s more than its 500.
                      ScriptCase{"holiday_wide.bat", "display=3\r\nqulity=2\r\n", "", Facts(1280, 720, 25)},
                      // A track inside the video, no file beside it: nothing is copied, and the encoder
                      // draws the chosen language's track (-sid, English here) even on the colour route
                      // and the subtitle-sync route's first pass, neither of which can reach it.
                      ScriptCase{"holiday_inside.bat",
                                 "colorsubtitle=1\r\nsubtitlesync=1\r\naudiosync=1\r\nsubtitleclass=ENCC\r\n", "",
                                 Facts(640, 480, 25, kInsideTracks), false}),
    [](const auto& test_info) {
      return test_info.param.file.substr(8, test_info.param.file.size() - 12);  // holiday_<name>.bat
    });

// The .smi file, or else the .srt file: copied under its kind, burned in by the
// plain route or drawn by the colour one.
TEST_F(JobScriptTest, TheSubtitleFileAndRouteDecideTheCopyTheOptionsAndTheDrawing) {
  // Subtitles on?, colour?, the files beside the video, and what came of it: the copy's
  // extension ("" for none), whether the script asks for a font, what AviSynth draws.
  // No subtitle; subtitles off with one (the copy is still made); colour tags without one.
  const std::tuple<bool, bool, Texts, std::string, bool, std::string> cases[] = {
      {true, false, {}, "", false, ""},
      {false, false, {".smi"}, ".smi", false, ""},
      {true, true, {}, "", false, ""},
      {true, false, {".srt"}, ".srt", true, ""},
      {true, true, {".srt", ".smi"}, ".smi", false, ".smi"},
      {true, true, {".srt"}, ".srt", false, ".srt"}};
  for (const auto& [needsubtitle, colorsubtitle, present, copy, font_options, drawn] : cases) {
    for (const std::string kind : {".smi", ".srt"})
      files_.files.erase("D:\\Videos\\Holiday" + kind), files_.files.erase("D:\\Conv\\temp\\qv1A2B" + kind);
    for (const std::string& kind : present) files_.files["D:\\Videos\\Holiday" + kind] = kAnsiSubtitle;
    settings_.needsubtitle = needsubtitle;
    settings_.colorsubtitle = colorsubtitle;
    avs_subtitles_.clear();
    Build();
    const std::string script = files_.files.at("D:\\Conv\\batch\\Holiday.bat");
    std::string made;  // the copy, and the script's use of it
    for (const std::string kind : {".smi", ".srt"})
      made += (files_.files.count("D:\\Conv\\temp\\qv1A2B" + kind) ? kind : "") +
              (script.find("qv1A2B" + kind) != std::string::npos ? kind : "");
    EXPECT_EQ(made + (script.find("-font") != std::string::npos ? " font" : ""),
              copy + copy + (font_options ? " font" : ""));
    EXPECT_EQ(avs_subtitles_, drawn.empty() ? Texts{} : Texts{"D:\\Videos\\Holiday" + drawn});
  }
  // Of a SAMI file in two languages, the copy keeps the chosen one.
  files_.files["D:\\Videos\\Holiday.smi"] = "<SYNC Start=1><P Class=KRCC>K<P Class=ENCC>E\r\n";
  settings_.subtitleclass = "ENCC";
  Build();
  EXPECT_EQ(files_.files.at("D:\\Conv\\temp\\qv1A2B.smi"), "<SYNC Start=1><P Class=ENCC>E\r\n");
}

// A video with two sound tracks: the encodes that read the video itself take the chosen
// one, and the check is told which (with one track the scripts stay as the golden ones).
TEST_F(JobScriptTest, AVideoWithSeveralSoundTracksIsEncodedAndCheckedWithTheChosenOne) {
  facts_.audio_tracks = {{0, "english", "aac lc", "", "", true, false}, {1, "korean", "ac-3", "", "", false, false}};
  // Each encode's -aid, the main encode's input last, then the check's.
  const auto aids = [this] {
    Build();
    std::string seen;
    const std::string script = files_.files.at("D:\\Conv\\batch\\Holiday.bat");
    for (std::size_t at = script.find("-noodml"); at != std::string::npos; at = script.find("-noodml", at + 1)) {
      const std::string line = script.substr(at, script.find('\r', at) - at);
      const std::size_t aid = line.find(" -aid ");
      const std::size_t input_end = line.find('"', line.find('"') + 1);
      seen += (aid == std::string::npos ? "-" : line.substr(aid + 6, 1)) + " " + line.substr(input_end - 4, 4) + "; ";
    }
    const std::size_t check = script.find("-check");
    return seen + script.substr(check, script.find('"', check) - check - 1);
  };
  const std::tuple<std::string, bool, bool, std::string> cases[] = {
      {"", false, false, "1 .avi; -check -aid 1"},  // 자동: the Korean one over the default
      {"english", false, false, "0 .avi; -check -aid 0"},
      {"english", true, false, "0 .avs; -check -aid 0"},
      {"", false, true, "1 .avi; - .avi; -check -aid 1"},  // the first pass, then its one track
      {"english", true, true, "0 .avi; - .avs; -check -aid 0"}};
  for (const auto& [language, colour, sync, expected] : cases) {
    settings_.audiolanguage = language;
    settings_.colorsubtitle = colour;
    settings_.subtitlesync = sync;
    EXPECT_EQ(aids(), expected) << language << colour << sync;
  }
}

// Every file the steps of a job name in temp and incoming, on every device, with every
// kind of subtitle and on every route, is the video's own or known as its build's by the
// clearing of ended jobs, and so is the partial file a tool writes in its place.
TEST_F(JobScriptTest, EveryFileAJobMakesIsTheVideosOwnOrKnownAsItsBuilds) {
  testing::TempFolder temp;
  const JobSetup setup{workspace_, ScriptDialect::kWindowsBatch, settings_, preset_, ""};
  const std::string video = "D:\\Videos\\Holiday.avi";
  for (const char* device : {"0", "1", "2"})
    for (const char* subtitle : {"", ".smi", ".srt", ".ass"})
      for (const bool sync : {false, true})
        for (const bool colour : {false, true}) {
          OpenIniProfile(temp / "MP4.ini")->WriteString("default", "platform", device);
          ASSERT_EQ(LoadSettings(settings_, preset_, *OpenIniProfile(temp / "MP4.ini")), SettingsCheck::kAccepted);
          settings_.subtitlesync = sync;
          settings_.colorsubtitle = colour;
          const JobPlan plan =
              PlanJob(video, Lone(video), facts_,
                      *subtitle ? SubtitleAt("D:\\Videos\\Holiday" + std::string(subtitle), PathStyle::kWindows)
                                : FoundSubtitle{},
                      "D:\\Conv\\temp\\qv1A2B.tmp", setup);
          const JobFiles& own = plan.files;
          std::vector<std::string> named;
          for (const std::vector<ScriptStep>* steps : {&plan.steps, &plan.on_failure})
            for (const ScriptStep& step : *steps) {
              named.insert(named.end(), {step.path, step.log, step.destination});
              for (const ScriptArg& arg : step.args)
                if (arg.kind == ScriptArg::Kind::kPath) named.push_back(arg.text);
            }
          const Texts videos_own{own.output, own.record, own.avs.ssa, own.avs.avs};
          for (const std::string& path : named) {
            const std::string folder = FolderPart(path, PathStyle::kWindows);
            if ((folder != "D:\\Conv\\temp\\" && folder != "D:\\Conv\\incoming\\") ||
                std::find(videos_own.begin(), videos_own.end(), path) != videos_own.end())
              continue;
            const std::string partial = folder + "." + FileNamePart(path, PathStyle::kWindows) + ".5f3e";
            for (const std::string& file : {path, partial})
              EXPECT_EQ(BuildOfFile(file, workspace_).value_or(BuildFileName{}).build, "qv1A2B")
                  << file << " on device " << device << subtitle << sync << colour;
          }
          for (const std::string& file : {own.output, own.record, own.avs.ssa, own.kept_log, own.script})
            EXPECT_FALSE(BuildOfFile(file, workspace_)) << file;
        }
  // Wine names temporary files in lower-case digits.
  EXPECT_EQ(BuildOfFile("D:\\Conv\\temp\\qv285b.tmp", workspace_), (BuildFileName{"qv285b", true}));
}

TEST_F(JobScriptTest, ARefusedOrFailedBuildLeavesNoScriptAndLosesNoFile) {
  files_.files["D:\\Conv\\incoming\\Clip.mp4"] = "video";
  const auto before = files_.files;
  EXPECT_EQ(Build("D:\\Conv\\INCOMING\\clip.MP4").refused, RefusalReason::kSourceIsOutput);
  settings_.colorsubtitle = true;
  files_.unwritable.insert("D:\\Conv\\batch\\Holiday.bat");
  EXPECT_THROW(Build(), PlatformError);
  files_.folders.erase("D:\\Conv\\temp");  // no temporary name can be made
  EXPECT_THROW(Build(), PlatformError);
  facts_.height = 0;
  EXPECT_EQ(Build().refused, RefusalReason::kNoPicture);  // no report: nothing known
  facts_.report = "general\r\nfile size : 5 bytes\r\n";
  EXPECT_EQ(Build().refused, RefusalReason::kNoVideoStream);
  facts_.video_section = true;
  EXPECT_EQ(Build().refused, RefusalReason::kNoPicture);
  facts_.width = 16, facts_.height = 15;  // less than one macroblock high
  EXPECT_EQ(Build().refused, RefusalReason::kPictureTooSmall);
  EXPECT_EQ(files_.files, before);
}

// On the disk, under each platform's own rules: a folder where the subtitle would be is
// said, not read; a name whose job script no file name can hold fails that build alone
// (the command names it and goes on), leaving nothing of it behind.
TEST(BuildJobScriptOnDisk, RefusesAnOddSubtitleAndLeavesNothingOfAFailedBuild) {
  testing::TempFolder temp;
  FileSystem& files = NativeFileSystem();
  const Workspace workspace(temp.Path(), kNativePathStyle);
  workspace.CreateFolders(files);
  EncodeSettings settings;
  EncoderPreset preset;
  JobContext context{{workspace, kNativeScriptDialect, settings, preset, ""}, files, nullptr};
  const auto build = [&](const std::string& video) {
    return BuildJobScript(video, LoneJobTarget(video, {workspace.Incoming()}, kNativePathStyle), Facts(320, 240),
                          context);
  };
  files.MakeFolders(temp / "odd.smi");
  EXPECT_EQ(build(temp.WriteFile("odd.avi", "v")).refused, RefusalReason::kSubtitleNotAFile);
#ifdef _WIN32
  EXPECT_THROW(build(temp / std::string(250 - temp.Path().size(), 'n') + ".avi"), PlatformError);  // past MAX_PATH
#else
  EXPECT_EQ(build(temp / std::string(252, 'n') + ".ts").refused, RefusalReason::kNameTooLong);
#endif
  EXPECT_TRUE(files.FilesIn(workspace.Temp()).empty());
  EXPECT_TRUE(files.FilesIn(workspace.Batch()).empty());
}

}  // namespace
}  // namespace clipvane
