// Real conversions with the program's own job scripts, run as the desktop runs them
// (sh on Linux, cmd.exe under Wine with the stand-ins built for Windows and the
// release folder's ffmpeg.exe): the subtitle routes drawn into the picture, and on
// Windows what a job keeps, each device and a job stopped in the middle of its encode.
// (Picture and sound in step on each route, today's sources on every device, and a
// stop on Linux, through the command line: tests/e2e and tests/cli.) The logic is
// tested natively: which subtitle text and language a job copies in tests/jobs, a
// failing step ending its script under cmd in tests/jobs and under sh in tests/e2e,
// queues of run scripts in tests/runs and tests/e2e.
#include <gtest/gtest.h>

#include <tuple>

#include "media/mediainfo_library.h"
#include "media/mediainfo_report.h"
#include "platform/child_processes.h"
#include "platform/file_system.h"
#include "platform/system_services.h"
#include "platform/text_encoding.h"
#include "runs/job_record.h"
#include "subtitles/avs_script.h"
#include "subtitles/colour_table.h"
#include "subtitles/ssa_style.h"
#include "mencoder_inputs.h"
#include "tool_runs.h"

namespace clipvane::testing {
namespace {

// "홍길동 휴가 it's $HOME [1],2": a Korean name with blanks, a quote and brackets must
// survive the job script and the AviSynth script.
const std::string kName = Utf8ToAnsi("\xED\x99\x8D\xEA\xB8\xB8\xEB\x8F\x99 \xED\x9C\xB4\xEA\xB0\x80 it's $HOME [1],2");
// "한글 자막" (Korean subtitle) in code page 949, as Korean SAMI files are written.
const std::string kKoreanCp949 = "\xC7\xD1\xB1\xDB \xC0\xDA\xB8\xB7";

class ConversionTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    if (std::string(CLIPVANE_FFMPEG_DIR).empty()) {
      GTEST_SKIP() << "CLIPVANE_WINDOWS_DEPS was not given: there is no ffmpeg.exe to convert with";
    }
    ASSERT_TRUE(std::filesystem::exists(std::filesystem::u8path(FfmpegProgram())))
        << FfmpegProgram() << " is missing: the build copies it from CLIPVANE_WINDOWS_DEPS";
#endif
    app_.emplace();
  }

  // A dark grey 720x480 clip with sound and a subtitle, shown from 0.3 s to 1.3 s, beside it.
  MediaFacts MakeClip(const std::string& video, double seconds, const std::string& subtitle) {
    const std::string length = std::to_string(seconds);
    MakeVideo(video, "color=c=0x303030:size=720x480:rate=24000/1001:duration=" + length,
              "sine=frequency=440:sample_rate=44100:duration=" + length, "-c:v mpeg4 -q:v 5 -c:a pcm_s16le");
    NativeFileSystem().ReplaceWholeFile(video.substr(0, video.rfind('.')) + ".smi",
                                        "<SAMI>\r\n<BODY>\r\n<SYNC Start=300><P Class=KRCC>" + subtitle +
                                            "\r\n<SYNC Start=1300><P Class=KRCC>&nbsp;\r\n</BODY>\r\n</SAMI>\r\n");
    return PictureFacts(720, 480, 23.976);
  }
  // Runs the job, checks that it succeeded and left nothing in temp, and keeps its MP4
  // under `name`, so that the next run does not replace it.
  std::string Encode(const JobSettings& job, const std::string& name, AvsScriptWriter write_avs = nullptr) {
    const ToolAppDir::Run run = app_->BuildAndRun(video_, facts_, job, std::move(write_avs));
    const std::string log =
        app_->Work().Batch() + Separator(kNativePathStyle) + VideoBaseName(video_, kNativePathStyle);
    EXPECT_EQ(run.status, 0) << run.output << NativeFileSystem().ReadWholeFile(log + ".log").value_or("");
    EXPECT_EQ(FilesLeftIn(FsPathOf(app_->Work().Temp())), 0);
    std::filesystem::rename(FsPathOf(run.mp4), FsPathOf(sources_ / name));
    return sources_ / name;
  }
  // The program's own SSA writer and AviSynth script for the colour route, as the window's jobs write them.
  AvsScriptWriter ColourScripts(const JobSettings& job) {
    return [this, &job](const std::string& path, const std::string& job_name, const FoundSubtitle& subtitle,
                        const std::string& source, const SsaStyleMetrics& m) {
      WriteAvsScript(NativeFileSystem(), app_->Work(), app_->Work().Bin() + Separator(kNativePathStyle), path,
                     {subtitle, job.settings.subtitleclass},
                     SsaStyleFor(job.settings, job.preset, m.font_size, m.margin_v, m.play_res_y), colours_, source,
                     job_name);
    };
  }
  // The bottom band of a 480x320 picture, where the subtitles are.
  static std::vector<unsigned char> Bottom(const std::string& mp4, double seconds) {
    return FrameRegion(mp4, seconds, 0, 220, 480, 100);
  }
  TempFolder sources_;
  std::optional<ToolAppDir> app_;  // made once FFmpeg is known to be there
  std::string video_ = sources_ / (kName + ".avi");
  MediaFacts facts_;
  ColourTable colours_;
};

// White, without the colours of its font tags (the colour route draws those, below).
// (Which file a job copies, SAMI or SRT, and that a UTF-8 one without a byte-order mark
// is copied as its code page 949 twin is, on code page 949 too: tests/jobs.)
TEST_F(ConversionTest, ThePlainRouteMakesThePlannedMp4WithTheSubtitleBurnedInWithTheNamedFont) {
  facts_ = MakeClip(video_, 2, "<font color=\"#ff0000\">" + kKoreanCp949 + "</font> Subtitle");
  JobSettings job = PresetSettings();
  job.settings.needsubtitle = true;
  const std::string mp4 = Encode(job, "plain.mp4");
  EXPECT_NEAR(Probe(mp4).frame_rate, 23.976, 0.01);  // the formats of each device: tests/e2e, and on Windows below
  // Drawn while the subtitle is on, gone after.
  EXPECT_GT(CountPixels(Bottom(mp4, 0.8), IsWhite), 200);
  EXPECT_EQ(CountPixels(Bottom(mp4, 0.8), IsRed), 0);
  EXPECT_EQ(CountPixels(Bottom(mp4, 1.7), IsWhite), 0);
#ifndef _WIN32
  const std::string fonts = "/usr/share/fonts/truetype/nanum/";
  if (!std::filesystem::exists(fonts + "NanumMyeongjo.ttf")) GTEST_SKIP() << "fonts-nanum is not installed";
  job.fontsdir = fonts;
  job.settings.fontfile = "NanumMyeongjo.ttf";
  EXPECT_GT(MeanDifference(Bottom(Encode(job, "myeongjo.mp4"), 0.8), Bottom(mp4, 0.8)), 3.0);
#endif
}

// (An SRT file's colours on the colour route: the SSA writer's tests in tests/subtitles.)
TEST_F(ConversionTest, TheColourRouteDrawsTheSsaFileOfTheAviSynthScriptInTheChosenFace) {
  facts_ = MakeClip(video_, 2, "<font color=\"#ff0000\">" + kKoreanCp949 + "</font>");
  JobSettings job = PresetSettings();
  job.settings.needsubtitle = job.settings.colorsubtitle = true;
  job.preset.subtitlefontsize = 26;
  const AvsScriptWriter write_avs = ColourScripts(job);
  // The chosen face by its Korean name ("나눔명조"), found for a code page 949 subtitle.
  job.settings.fontface = Utf8ToAnsi("\xEB\x82\x98\xEB\x88\x94\xEB\xAA\x85\xEC\xA1\xB0");
  const std::string mp4 = Encode(job, "colour.mp4", write_avs);
  EXPECT_EQ(Probe(mp4).width, 480);
  EXPECT_GT(CountPixels(Bottom(mp4, 0.8), IsRed), 150);
  EXPECT_EQ(CountPixels(Bottom(mp4, 1.7), IsRed), 0);
  job.settings.fontface = Utf8ToAnsi("\xEB\x82\x98\xEB\x88\x94\xEA\xB3\xA0\xEB\x94\x95");  // "나눔고딕"
  // A face that is not found falls back to the same font for both: no difference at all.
  EXPECT_GT(MeanDifference(Bottom(Encode(job, "gothic.mp4", write_avs), 0.8), Bottom(mp4, 0.8)), 1.0);
}

// A drama with an English sound track, marked default, and a Korean one (440 and 880 Hz),
// as MediaInfo reads it: 자동 takes the Korean one, "english" the English one, on the
// plain route, on the sync route (whose first pass takes it) and on the colour route
// (whose AviSynth script opens the video).
TEST_F(ConversionTest, TheSoundTrackIsTheOneOfTheChosenLanguage) {
  const std::unique_ptr<MediaInfoLibrary> library =
      LoadMediaInfoLibrary(AppDirFromExecutable(ExecutablePath(), kNativePathStyle), NativeFileSystem());
  ASSERT_EQ(library->Problem(), MediaInfoProblem::kNone);
  video_ = sources_ / "drama.mkv";
  std::vector<std::string> make = Words(
      "-f lavfi -i color=c=0x303030:size=320x240:rate=25:duration=2 -f lavfi -i sine=frequency=440:duration=2 -f lavfi "
      "-i sine=frequency=880:duration=2 -map 0 -map 1 -map 2 -c:v mpeg4 -c:a aac -metadata:s:a:0 language=eng "
      "-metadata:s:a:1 language=kor -disposition:a:0 default -disposition:a:1 0");
  make.push_back(video_);
  RunFfmpeg(make);
  NativeFileSystem().ReplaceWholeFile(sources_ / "drama.smi",
                                      "<SAMI><BODY><SYNC Start=0><P Class=KRCC>" + kKoreanCp949 + "</SAMI>\r\n");
  facts_ = ParseMediaInfoReport(library->Inform(video_));
  ASSERT_EQ(facts_.audio_tracks.size(), 2u) << facts_.report;
  const std::tuple<const char*, bool, bool, int> cases[] = {{"", false, false, 880},
                                                            {"english", false, false, 440},
                                                            {"english", true, false, 440},
                                                            {"english", false, true, 440},
                                                            {"", true, true, 880}};
  int made = 0;
  for (const auto& [language, sync, colour, pitch] : cases) {
    JobSettings job = PresetSettings();
    job.settings.audiolanguage = language;
    job.settings.subtitlesync = sync;
    job.settings.needsubtitle = job.settings.colorsubtitle = colour;
    const std::string mp4 =
        Encode(job, "drama" + std::to_string(++made) + ".mp4", colour ? ColourScripts(job) : nullptr);
    EXPECT_NEAR(Pitch(mp4), pitch, 120) << language << sync << colour;
  }
}

// An ASS script of one red, green or blue line shown from 0.3 s to 1.3 s where its
// alignment puts it (8 top centre, 7 top left), on a 720x480 canvas.
std::string AssScript(const char* colour, int alignment) {
  return std::string("[Script Info]\r\nScriptType: v4.00+\r\nPlayResX: 720\r\nPlayResY: 480\r\n\r\n[V4+ Styles]\r\n") +
         "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, BackColour, Bold, Italic, "
         "Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, BorderStyle, Outline, Shadow, Alignment, MarginL, "
         "MarginR, MarginV, Encoding\r\nStyle: Default,Arial,64," +
         colour + "," + colour + ",&H00000000,&H00000000,-1,0,0,0,100,100,0,0,1,1,0," + std::to_string(alignment) +
         ",20,20,20,1\r\n\r\n[Events]\r\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, "
         "Text\r\nDialogue: 0,0:00:00.30,0:00:01.30,Default,,0,0,0,,\xED\x95\x9C\xEA\xB8\x80 HANGUL\r\n";
}

// A PGS stream of one green 200x60 box at (100, 100) of a 720x480 canvas, shown from
// 0.3 s to 1.3 s: a picture track, which FFmpeg cannot make from text.
std::string GreenBoxPgs() {
  std::string out, rle;
  for (int line = 0; line < 60; ++line) rle += std::string("\x00\xC0\xC8\x01\x00\x00", 6);  // 200 of colour 1
  const auto segment = [&out](char type, char tenths, const std::string& data) {            // at 9000 ticks a tenth
    const unsigned pts = 9000u * static_cast<unsigned>(tenths);
    out += std::string("PG") + char(pts >> 24) + char(pts >> 16) + char(pts >> 8) + char(pts) + std::string(4, '\0') +
           type + char(data.size() >> 8) + char(data.size()) + data;
  };
  const std::string canvas("\x02\xD0\x01\xE0\x10", 5), window("\x01\x00\x00\x64\x00\x64\x00\xC8\x00\x3C", 10);
  const std::size_t length = rle.size() + 4;
  segment('\x16', 3, canvas + std::string("\x00\x00\x80\x00\x00\x01\x00\x00\x00\x00\x00\x64\x00\x64", 14));
  segment('\x17', 3, window);
  segment('\x14', 3, std::string("\x00\x00\x01\x91\x22\x36\xFF", 7));  // green in Y Cr Cb
  segment('\x15', 3,
          std::string("\x00\x00\x00\xC0", 4) + char(length >> 16) + char(length >> 8) + char(length) +
              std::string("\x00\xC8\x00\x3C", 4) + rle);
  segment('\x80', 3, "");
  segment('\x16', 13, canvas + std::string("\x00\x01\x00\x00\x00\x00", 6));  // nothing shown
  segment('\x17', 13, window);
  segment('\x80', 13, "");
  return out;
}

// The tracks inside an MKV, as the encoder draws them from the video: 자동 the Korean
// ASS track in its own red at the top, English (ENCC) the SRT track in the plain
// route's white at the bottom, even with colours chosen, and a PGS picture track over
// the picture where its canvas puts it. (Which track each choice takes: tests/subtitles.)
TEST_F(ConversionTest, TheTracksInsideTheVideoAreDrawnByTheEncoder) {
  const std::string base = sources_ / "base.avi", mkv = sources_ / "tracks.mkv";
  MakeVideo(base, "color=c=0x303030:size=720x480:rate=25:duration=2", "sine=duration=2",
            "-c:v mpeg4 -q:v 5 -c:a pcm_s16le");
  FileSystem& files = NativeFileSystem();
  files.ReplaceWholeFile(sources_ / "en.srt", "1\r\n00:00:00,300 --> 00:00:01,300\r\nSUBTITLE\r\n");
  files.ReplaceWholeFile(sources_ / "ko.ass", AssScript("&H000000FF", 8));
  files.ReplaceWholeFile(sources_ / "box.sup", GreenBoxPgs());
  std::vector<std::string> mux{"-copyts"};
  for (const char* input : {"base.avi", "en.srt", "ko.ass", "box.sup"}) mux.insert(mux.end(), {"-i", sources_ / input});
  for (const char* track : {"0", "1", "2", "3"}) mux.insert(mux.end(), {"-map", track});
  mux.insert(mux.end(), {"-c", "copy", mkv});
  RunFfmpeg(mux);
  video_ = mkv;
  facts_ = PictureFacts(720, 480, 25);
  facts_.subtitle_tracks = {{0, "english", "utf-8", "", "", true, false},
                            {1, "korean", "ass", "", "", false, false},
                            {2, "japanese", "pgs", "", "", false, false}};
  JobSettings job = PresetSettings();
  job.settings.needsubtitle = job.settings.colorsubtitle = true;
  const std::string korean = Encode(job, "korean.mp4");
  const auto top = [](const std::string& mp4, double seconds) { return FrameRegion(mp4, seconds, 0, 0, 480, 100); };
  EXPECT_GT(CountPixels(top(korean, 0.8), IsRed), 150);
  EXPECT_EQ(CountPixels(Bottom(korean, 0.8), IsWhite), 0);
  EXPECT_EQ(CountPixels(top(korean, 1.7), IsRed), 0);
  job.settings.subtitleclass = "ENCC";
  const std::string english = Encode(job, "english.mp4");
  EXPECT_GT(CountPixels(Bottom(english, 0.8), IsWhite), 100);
  EXPECT_EQ(CountPixels(top(english, 0.8), IsRed), 0);
  job.settings.subtitleclass = "japanese";
  // The box scaled with the picture to 480x320: (67, 67), 133x40.
  const std::string box = Encode(job, "box.mp4");
  EXPECT_GT(CountPixels(FrameRegion(box, 0.8, 72, 72, 120, 30), IsGreen), 3000);
  EXPECT_EQ(CountPixels(FrameRegion(box, 1.7, 72, 72, 120, 30), IsGreen), 0);
}

// An ASS file beside the video keeps its own colour and place on both routes: blue,
// top left.
TEST_F(ConversionTest, AnAssFileBesideTheVideoIsDrawnWithItsOwnStylesOnBothRoutes) {
  video_ = sources_ / "styled.avi";
  MakeVideo(video_, "color=c=0x303030:size=720x480:rate=25:duration=2", "sine=duration=2",
            "-c:v mpeg4 -q:v 5 -c:a pcm_s16le");
  NativeFileSystem().ReplaceWholeFile(sources_ / "styled.ass", AssScript("&H00FF0000", 7));
  facts_ = PictureFacts(720, 480, 25);
  JobSettings job = PresetSettings();
  job.settings.needsubtitle = true;
  ColourTable colours;
  const AvsScriptWriter write_avs = [&](const std::string& path, const std::string& job_name,
                                        const FoundSubtitle& subtitle, const std::string& source,
                                        const SsaStyleMetrics& m) {
    WriteAvsScript(NativeFileSystem(), app_->Work(), "", path, {subtitle, ""},
                   SsaStyleFor(job.settings, job.preset, m.font_size, m.margin_v, m.play_res_y), colours, source,
                   job_name);
  };
  for (const bool colour : {false, true}) {
    job.settings.colorsubtitle = colour;
    const std::string mp4 = Encode(job, colour ? "colour.mp4" : "plain.mp4", write_avs);
    EXPECT_GT(CountPixels(FrameRegion(mp4, 0.8, 0, 0, 240, 100), IsBlue), 150) << colour;
    EXPECT_EQ(CountPixels(FrameRegion(mp4, 0.8, 360, 0, 120, 320), IsBlue), 0) << colour;
    EXPECT_EQ(CountPixels(Bottom(mp4, 0.8), IsWhite), 0) << colour;
  }
}

// A phone's high dynamic range clip (HLG, or PQ) is tone-mapped to a BT.709 MP4 on
// every device: as bright as FFmpeg's own tone mapping of it makes it, not the grey of
// its colours taken as they are.
TEST_F(ConversionTest, HdrClipsAreToneMappedToBt709OnEveryDevice) {
  if (!tools::HasFilter(FfmpegProgram(), "zscale")) GTEST_SKIP() << "this FFmpeg has no zscale filter to tone-map with";
  const auto luma = [](const std::vector<unsigned char>& rgb) {
    double sum = 0;
    for (std::size_t i = 0; i + 2 < rgb.size(); i += 3)
      sum += 0.2126 * rgb[i] + 0.7152 * rgb[i + 1] + 0.0722 * rgb[i + 2];
    return rgb.size() < 3 ? -1 : sum / static_cast<double>(rgb.size() / 3);
  };
  for (const std::string transfer : {"arib-std-b67", "smpte2084"}) {
    const std::string clip = sources_ / (transfer + ".mkv");
    MakeVideo(clip,
              "testsrc2=size=640x360:rate=25:duration=1,zscale=tin=bt709:pin=bt709:min=bt709:t=" + transfer +
                  ":p=2020:m=2020_ncl",
              "sine=duration=1",
              "-c:v libx264 -pix_fmt yuv420p10le -color_primaries bt2020 -color_trc " + transfer +
                  " -colorspace bt2020nc -c:a aac");
    // The picture's size on each device; the nano's frame adds black bars around it.
    for (const auto& [platform, width, height] : {std::tuple{0, 480, 270}, {1, 320, 180}, {2, 480, 270}}) {
      const ToolAppDir::Run run = app_->BuildAndRun(clip, PictureFacts(640, 360, 25), PresetSettings(1, platform));
      ASSERT_EQ(run.status, 0) << run.output;
      const auto colours =
          CaptureOutput({FfprobeProgram(), "-v", "error", "-select_streams", "v:0", "-show_entries",
                         "stream=color_space,color_transfer,color_primaries", "-of", "csv=p=0", AnsiToUtf8(run.mp4)});
      EXPECT_EQ(colours.value_or(""), "bt709,bt709,bt709\n") << transfer << " " << platform;
      // FFmpeg's own tone mapping of the source, at the picture's size.
      const std::string reference = sources_ / "reference.mkv";
      const MediaReport made = Probe(run.mp4);
      RunFfmpeg({"-y", "-i", clip, "-vf",
                 "zscale=t=linear:npl=100,format=gbrpf32le,zscale=p=bt709,tonemap=tonemap=hable:desat=0,"
                 "zscale=t=bt709:m=bt709:r=tv,format=yuv420p,scale=" +
                     std::to_string(width) + ":" + std::to_string(height),
                 "-an", "-c:v", "ffv1", reference});
      const double ours =
          luma(FrameRegion(run.mp4, 0.5, (made.width - width) / 2, (made.height - height) / 2, width, height));
      const double theirs = luma(FrameRegion(reference, 0.5, 0, 0, width, height));
      EXPECT_GT(theirs, 10);
      EXPECT_NEAR(ours, theirs, theirs * 0.05) << transfer << " on device " << platform;
    }
  }
}

#ifdef _WIN32
// A disk that fills while the MP4 is built in incoming, under Wine with the release's
// tools: the earlier MP4 stays and the log says why. (The same on Linux, and a source
// cut short, through the command line: tests/e2e; the check's judgement: tests/runs,
// JudgeResult.)
TEST_F(ConversionTest, AnEarlierMp4StaysWhenTheDiskFills) {
  facts_ = MakeClip(video_, 3, kKoreanCp949);
  const SmallDisk disk(app_->Work().Incoming(), "2m");
  if (!disk.Mounted()) GTEST_SKIP() << "a tmpfs can be mounted only as root";
  FileSystem& files = NativeFileSystem();
  const std::string mp4 = LoneJobTarget(video_, {app_->Work().Incoming()}, kNativePathStyle).output,
                    filler = app_->Work().Incoming() + "\\filler";
  files.ReplaceWholeFile(mp4, "the earlier MP4");
  disk.FillLeaving(filler, 8 * 1024);  // less than any MP4
  EXPECT_NE(app_->BuildAndRun(video_, facts_, PresetSettings()).status, 0);
  const std::string log = files.ReadWholeFile(app_->Work().Batch() + "\\" + kName + ".log").value_or("");
  EXPECT_NE(log.find("No space left"), std::string::npos) << log;
  EXPECT_EQ(files.ReadWholeFile(mp4), "the earlier MP4");
  files.RemoveFile(mp4);
  files.RemoveFile(filler);
}

// What tests/e2e/corpus_test.cpp converts on Linux, on the Windows release through the
// program's batch job script: a phone clip marked to be turned, as the real
// MediaInfo.dll reads it, on every device, and a clip without sound. The release's
// FFmpeg writes MPEG-4 Part 2 and H.264, which serve for the sources. (Which way the
// picture turns: tests/e2e; the turn that MediaInfo.dll reads: tests/media.)
TEST_F(ConversionTest, APhoneClipAndASilentOneConvertOnEveryDevice) {
  const std::unique_ptr<MediaInfoLibrary> library =
      LoadMediaInfoLibrary(AppDirFromExecutable(ExecutablePath(), kNativePathStyle), NativeFileSystem());
  ASSERT_EQ(library->Problem(), MediaInfoProblem::kNone) << "MediaInfo.dll is copied beside the tests with the deps";
  // Red above blue as the phone shows it, stored as its sensor saw it.
  const std::string stored = sources_ / "stored.mp4", phone = sources_ / "phone.mp4", silent = sources_ / "silent.mp4";
  MakeVideo(stored, "color=red:size=180x160:rate=30:duration=3,pad=180:320:0:0:blue,transpose=clock", "sine=duration=3",
            "-c:v mpeg4 -q:v 3 -c:a aac");
  RunFfmpeg({"-i", stored, "-c", "copy", "-metadata:s:v:0", "rotate=90", phone});
  RunFfmpeg({"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=3", "-c:v", "mpeg4", silent});
  for (const auto& [video, platform, width, height, formats] : {std::tuple{phone, 0, 480, 270, "mpeg4 Simple Profile"},
                                                                {phone, 1, 320, 240, "mpeg4 Simple Profile"},
                                                                {phone, 2, 180, 320, "h264 High"},
                                                                {silent, 0, 427, 320, "mpeg4 Simple Profile"}}) {
    const ToolAppDir::Run run =
        app_->BuildAndRun(video, ParseMediaInfoReport(library->Inform(video)), PresetSettings(1, platform));
    ASSERT_EQ(run.status, 0) << run.output;
    const TrackSummary tracks = ParseTrackSummary(library->InformTracks(run.mp4));
    EXPECT_EQ(
        Probe(run.mp4).Formats() + " " + std::to_string(tracks.video_tracks * 10 + tracks.audio_tracks),
        std::string(formats) + " " + std::to_string(width) + "x" + std::to_string(height) + ", aac LC 48000 2 11");
    EXPECT_NEAR(tracks.seconds, 3.0, 0.5) << video;
    // The release's own FFmpeg tells the check where the sound begins.
    const std::string log = NativeFileSystem().ReadWholeFile(app_->Work().Batch() + "\\phone.log").value_or("");
    if (video == phone) {
      EXPECT_NE(log.find("its sound begins 0.0"), std::string::npos) << log;
    }
  }
}

// The job reports its progress, ends its FFmpeg children when asked, removes its
// intermediates, keeps the earlier MP4 and says it stopped.
TEST_F(ConversionTest, AStoppedBatchJobEndsItsToolsRemovesItsIntermediatesAndKeepsTheEarlierMp4) {
  // "긴 영상 100%.avi": a name that the batch line naming the status file must carry.
  video_ = sources_ / Utf8ToAnsi(u8"긴 영상 100%.avi");
  MakeVideo(video_, "testsrc=size=640x480:rate=25:duration=120", "sine=frequency=440:duration=120",
            "-c:v mpeg4 -q:v 5 -c:a pcm_s16le");
  const JobBuild build = app_->Build(video_, PictureFacts(640, 480, 25), PresetSettings());
  FileSystem& files = NativeFileSystem();
  files.ReplaceWholeFile(build.files.output, "the earlier MP4");
  ChildProcesses script;
  ASSERT_TRUE(
      script.Start({"cmd.exe", "/d", "/c", AnsiToUtf8(build.files.script)}, {Discarded(), Discarded()}).has_value());
  // The encode says how far it is, how fast and how long it still needs.
  JobStatus seen;
  ASSERT_TRUE(Eventually([&] {
    seen = ReadJobStatus(files, build.files.record);
    return seen.state == JobState::kRunning && seen.percent > 0 && seen.fps > 0 && seen.seconds_left >= 0;
  })) << FormatJobStatus(seen);
  EXPECT_TRUE(JobRecord(files, build.files.record, kNativePathStyle).RequestStop());
  script.WaitAll();
  EXPECT_EQ(ReadJobStatus(files, build.files.record).state, JobState::kStopped);
  EXPECT_FALSE(StopRequested(files, build.files.record));  // used up by the job's failure steps
  EXPECT_EQ(FilesLeftIn(FsPathOf(app_->Work().Temp())), 0);
  EXPECT_EQ(files.FilesIn(app_->Work().Incoming()), std::vector<std::string>{build.files.output});
  EXPECT_EQ(files.ReadWholeFile(build.files.output), "the earlier MP4");
  // Nothing of the job runs on: no tool, no FFmpeg.
  EXPECT_TRUE(Eventually([&] {
    for (const ProcessEntry& entry : NativeProcessList().Snapshot())
      if (entry.command_line && entry.command_line->find(AnsiToUtf8(app_->Work().AppDir())) != std::string::npos)
        return false;
    return true;
  }));
}

#endif

}  // namespace
}  // namespace clipvane::testing
