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

#include <array>
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

class ConversionTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    if (std::string(CLIPVANE_FFMPEG_DIR).empty())
      GTEST_SKIP() << "CLIPVANE_WINDOWS_DEPS was not given: there is no ffmpeg.exe to convert with";
    ASSERT_TRUE(std::filesystem::exists(std::filesystem::u8path(FfmpegProgram())))
        << FfmpegProgram() << " is missing: the build copies it from CLIPVANE_WINDOWS_DEPS";
#endif
    ASSERT_EQ(media_info_->Problem(), MediaInfoProblem::kNone) << "the program's MediaInfo library is missing";
    app_.emplace();
  }

  // Runs the job, checks that it succeeded and left nothing in temp, and keeps its MP4
  // under `name`, so that the next run does not replace it.
  std::string Encode(const JobSettings& job, const std::string& name, AvsScriptWriter write_avs = nullptr) {
    const ToolAppDir::Run run = app_->BuildAndRun(video_, facts_, job, std::move(write_avs));
    EXPECT_EQ(run.status, 0) << run.output << run.log;
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
  // A subtitle of one colour in the 480x320 MP4 while it is on, 0.8 s in: at least `least`
  // pixels of the region (x, y, width, height), none outside it, none of the other
  // subtitles' colours; gone at 1.7 s.
  static void ExpectDrawn(const std::string& mp4, std::array<int, 4> region, bool (*colour)(int, int, int), int least) {
    const int inside = CountPixels(FrameRegion(mp4, 0.8, region[0], region[1], region[2], region[3]), colour);
    EXPECT_GT(inside, least) << mp4;
    const std::vector<unsigned char> shown = FrameRegion(mp4, 0.8, 0, 0, 480, 320);
    for (const auto test : {IsWhite, IsRed, IsBlue, IsGreen})
      EXPECT_EQ(CountPixels(shown, test), test == colour ? inside : 0) << mp4;
    EXPECT_EQ(CountPixels(FrameRegion(mp4, 1.7, 0, 0, 480, 320), colour), 0) << mp4;
  }
  // A dark grey 720x480 drama of two seconds with an English sound track, marked default,
  // and a Korean one (440 and 880 Hz), then the subtitle tracks of these files, at their
  // own times.
  MediaFacts MakeDrama(const std::string& mkv, const std::vector<std::string>& subtitles = {}) {
    std::vector<std::string> make = Words(
        "-copyts -f lavfi -i color=c=0x303030:size=720x480:rate=25:duration=2 -f lavfi -i "
        "sine=frequency=440:duration=2 -f lavfi -i sine=frequency=880:duration=2");
    for (const std::string& file : subtitles) make.insert(make.end(), {"-i", file});
    for (std::size_t input = 0; input < 3 + subtitles.size(); ++input)
      make.insert(make.end(), {"-map", std::to_string(input)});
    for (const std::string& word :
         Words("-c:v mpeg4 -q:v 5 -c:a aac -c:s copy -metadata:s:a:0 language=eng -metadata:s:a:1 language=kor "
               "-disposition:a:0 default -disposition:a:1 0 -metadata:s:s:0 language=eng -metadata:s:s:1 language=kor "
               "-metadata:s:s:2 language=jpn"))
      make.push_back(word);
    make.push_back(mkv);
    RunFfmpeg(make);
    return PictureFacts(720, 480, 25);
  }
  TempFolder sources_;
  // The program's MediaInfo library, found as the program finds it.
  const std::unique_ptr<MediaInfoLibrary> media_info_ =
      LoadMediaInfoLibrary(AppDirFromExecutable(ExecutablePath(), kNativePathStyle), NativeFileSystem());
  std::optional<ToolAppDir> app_;  // made once FFmpeg is known to be there
  std::string video_ = sources_ / (kName + ".avi");
  MediaFacts facts_;
  ColourTable colours_;
};

constexpr std::array<int, 4> kBottom{0, 220, 480, 100}, kTopLeft{0, 0, 300, 100};
// The samples: an ASS script of one blue line at the top left of a 720x480 canvas, and
// a PGS picture track of one green 200x60 box at (100, 100) of it, which FFmpeg cannot
// make from text; both shown from 0.3 s to 1.3 s.
const std::string kBlueAss = DataFile(CLIPVANE_TEST_DATA "blue_top_left.ass");
const std::string kGreenBoxPgs = DataFile(CLIPVANE_TEST_DATA "green_box.sup");

// The SAMI file beside the video: on the plain route white, without the colours of its
// font tags, in the named font file; on the colour route in those colours, in the face
// chosen by its Korean name. A font that is not found would fall back to the same one
// for both choices. (Which file a job copies, SAMI or SRT, and that a UTF-8 one without
// a byte-order mark is copied as its code page 949 twin is, on code page 949 too:
// tests/jobs; an SRT file's colours on the colour route: tests/subtitles.)
TEST_F(ConversionTest, TheSamiFileIsDrawnOnBothRoutesInTheChosenFont) {
  facts_ = MakeDrama(video_);
  // Beside it a SAMI file of "한글 자막" (Korean subtitle) in code page 949, as Korean
  // SAMI files are written, and "Subtitle", in red.
  NativeFileSystem().ReplaceWholeFile(
      sources_ / (kName + ".smi"),
      "<SAMI>\r\n<BODY>\r\n<SYNC Start=300><P Class=KRCC><font color=\"#ff0000\">\xC7\xD1\xB1\xDB \xC0\xDA\xB8\xB7 "
      "Subtitle</font>\r\n<SYNC Start=1300><P Class=KRCC>&nbsp;\r\n</BODY>\r\n</SAMI>\r\n");
  const auto bottom = [](const std::string& mp4) { return FrameRegion(mp4, 0.8, 0, 220, 480, 100); };
  JobSettings job = PresetSettings();
  job.settings.needsubtitle = true;
  const std::string plain = Encode(job, "plain.mp4");
  ExpectDrawn(plain, kBottom, IsWhite, 200);
#ifndef _WIN32
  job.fontsdir = "/usr/share/fonts/truetype/nanum/";
  job.settings.fontfile = "NanumMyeongjo.ttf";
  EXPECT_GT(MeanDifference(bottom(Encode(job, "myeongjo.mp4")), bottom(plain)), 3.0);
#endif
  job.settings.colorsubtitle = true;
  job.preset.subtitlefontsize = 26;
  job.settings.fontface = Utf8ToAnsi("\xEB\x82\x98\xEB\x88\x94\xEB\xAA\x85\xEC\xA1\xB0");  // "나눔명조"
  const std::string colour = Encode(job, "colour.mp4", ColourScripts(job));
  ExpectDrawn(colour, kBottom, IsRed, 150);
  job.settings.fontface = Utf8ToAnsi("\xEB\x82\x98\xEB\x88\x94\xEA\xB3\xA0\xEB\x94\x95");  // "나눔고딕"
  EXPECT_GT(MeanDifference(bottom(Encode(job, "gothic.mp4", ColourScripts(job))), bottom(colour)), 1.0);
}

// The drama as MediaInfo reads it: 자동 takes the Korean sound track, "english" the
// English one, on the plain route, on the sync route (whose first pass takes it) and on
// the colour route (whose AviSynth script opens the video). An ASS file beside it keeps
// its own colour and place on each. Of its subtitle tracks inside, the encoder draws from
// the video: 자동 the Korean ASS track in its own colour and place, English (ENCC) the
// SRT track in the plain route's white at the bottom, even with colours chosen, and a PGS
// picture track over the picture where its canvas puts it. (Which track each choice
// takes: tests/subtitles.)
TEST_F(ConversionTest, TheSoundTrackOfTheChosenLanguageAndTheSubtitlesBesideOrInsideTheVideo) {
  const std::string beside = sources_ / "drama.mkv", inside = sources_ / "tracks.mkv", srt = sources_ / "en.srt";
  MakeDrama(beside);
  std::filesystem::copy_file(FsPathOf(kBlueAss), FsPathOf(sources_ / "drama.ass"));
  NativeFileSystem().ReplaceWholeFile(srt, "1\r\n00:00:00,300 --> 00:00:01,300\r\nSUBTITLE\r\n");
  MakeDrama(inside, {srt, kBlueAss, kGreenBoxPgs});
  // The video, the sound's language, the sync and colour routes, the subtitle class; the
  // pitch heard; where the subtitle is drawn, in which colour, at least how much of it. The
  // box scaled with the picture to 480x320: (67, 67), 133x40.
  const std::tuple<std::string, const char*, bool, bool, const char*, int, std::array<int, 4>, bool (*)(int, int, int),
                   int>
      cases[] = {{beside, "", false, false, "", 880, kTopLeft, IsBlue, 150},
                 {beside, "english", false, false, "", 440, kTopLeft, IsBlue, 150},
                 {beside, "english", true, false, "", 440, kTopLeft, IsBlue, 150},
                 {beside, "english", false, true, "", 440, kTopLeft, IsBlue, 150},
                 {beside, "", true, true, "", 880, kTopLeft, IsBlue, 150},
                 {inside, "", false, true, "", 880, kTopLeft, IsBlue, 150},
                 {inside, "english", false, true, "ENCC", 440, kBottom, IsWhite, 100},
                 {inside, "", false, true, "japanese", 880, {60, 60, 148, 54}, IsGreen, 4000}};
  int made = 0;
  for (const auto& [video, language, sync, colour, subtitle_class, pitch, region, test, least] : cases) {
    video_ = video;
    facts_ = ParseMediaInfoReport(media_info_->Inform(video));
    ASSERT_EQ(facts_.audio_tracks.size(), 2u) << facts_.report;
    JobSettings job = PresetSettings();
    job.settings.audiolanguage = language;
    job.settings.subtitlesync = sync;
    job.settings.needsubtitle = true;
    job.settings.colorsubtitle = colour;
    job.settings.subtitleclass = subtitle_class;
    const std::string mp4 = Encode(job, std::to_string(++made) + ".mp4", ColourScripts(job));
    EXPECT_NEAR(Pitch(mp4), pitch, 120) << mp4;
    ExpectDrawn(mp4, region, test, least);
  }
}

// A phone's high dynamic range clip (HLG, or PQ) is tone-mapped to a BT.709 MP4 on
// every device: as bright as FFmpeg's own tone mapping of it makes it, not the grey of
// its colours taken as they are.
TEST_F(ConversionTest, HdrClipsAreToneMappedToBt709OnEveryDevice) {
  if (!tools::HasFilter(FfmpegProgram(), "zscale")) GTEST_SKIP() << "this FFmpeg has no zscale filter to tone-map with";
  // How far from black, on average per byte.
  const auto brightness = [](const auto& rgb) { return MeanDifference(rgb, std::vector<unsigned char>(rgb.size())); };
  for (const std::string transfer : {"arib-std-b67", "smpte2084"}) {
    const std::string clip = sources_ / (transfer + ".mkv"), reference = sources_ / (transfer + "-reference.mkv");
    // 8 bits, which the Windows build's x264 also writes: the tags make it HDR.
    MakeVideo(clip,
              "testsrc2=size=640x360:rate=25:duration=1,zscale=tin=bt709:pin=bt709:min=bt709:t=" + transfer +
                  ":p=2020:m=2020_ncl",
              "sine=duration=1",
              "-c:v libx264 -crf 10 -pix_fmt yuv420p -color_primaries bt2020 -color_trc " + transfer +
                  " -colorspace bt2020nc -c:a aac");
    // FFmpeg's own tone mapping of the source.
    RunFfmpeg({"-i", clip, "-vf",
               "zscale=t=linear:npl=100,format=gbrpf32le,zscale=p=bt709,tonemap=tonemap=hable:desat=0,"
               "zscale=t=bt709:m=bt709:r=tv,format=yuv420p",
               "-an", "-c:v", "libx264", "-crf", "10", reference});
    const double theirs = brightness(FrameRegion(reference, 0.5, 0, 0, 640, 360));
    EXPECT_GT(theirs, 10);
    // The picture's size on each device; the nano's frame adds black bars around it.
    for (const auto& [platform, width, height] : {std::tuple{0, 480, 270}, {1, 320, 180}, {2, 480, 270}}) {
      const ToolAppDir::Run run = app_->BuildAndRun(clip, PictureFacts(640, 360, 25), PresetSettings(1, platform));
      ASSERT_EQ(run.status, 0) << run.output;
      const MediaReport made = Probe(run.mp4);
      EXPECT_EQ(made.colours, "bt709,bt709,bt709") << transfer << " " << platform;
      const double ours =
          brightness(FrameRegion(run.mp4, 0.5, (made.width - width) / 2, (made.height - height) / 2, width, height));
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
  facts_ = MakeDrama(video_);
  const SmallDisk disk(app_->Work().Incoming(), "2m");
  if (!disk.Mounted()) GTEST_SKIP() << "a tmpfs can be mounted only as root";
  FileSystem& files = NativeFileSystem();
  const std::string mp4 = LoneJobTarget(video_, {app_->Work().Incoming()}, kNativePathStyle).output,
                    filler = app_->Work().Incoming() + "\\filler";
  files.ReplaceWholeFile(mp4, "the earlier MP4");
  disk.FillLeaving(filler, 8 * 1024);  // less than any MP4
  const ToolAppDir::Run run = app_->BuildAndRun(video_, facts_, PresetSettings());
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.log.find("No space left"), std::string::npos) << run.log;
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
  // Red above blue as the phone shows it, stored as its sensor saw it.
  const std::string stored = sources_ / "stored.mp4", phone = sources_ / "phone.mp4", silent = sources_ / "silent.mp4";
  MakeVideo(stored, "color=red:size=180x160:rate=30:duration=3,pad=180:320:0:0:blue,transpose=clock", "sine=duration=3",
            "-c:v mpeg4 -q:v 3 -c:a aac");
  RunFfmpeg({"-i", stored, "-c", "copy", "-metadata:s:v:0", "rotate=90", phone});
  RunFfmpeg({"-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=3", "-c:v", "mpeg4", silent});
  for (const auto& [video, platform, picture] : {std::tuple{phone, 0, "mpeg4 Simple Profile 480x270"},
                                                 {phone, 1, "mpeg4 Simple Profile 320x240"},
                                                 {phone, 2, "h264 High 180x320"},
                                                 {silent, 0, "mpeg4 Simple Profile 427x320"}}) {
    const ToolAppDir::Run run =
        app_->BuildAndRun(video, ParseMediaInfoReport(media_info_->Inform(video)), PresetSettings(1, platform));
    ASSERT_EQ(run.status, 0) << run.output;
    const TrackSummary tracks = ParseTrackSummary(media_info_->InformTracks(run.mp4));
    EXPECT_EQ(Probe(run.mp4).Formats() + " " + std::to_string(tracks.video_tracks * 10 + tracks.audio_tracks),
              std::string(picture) + ", aac LC 48000 2 11");
    EXPECT_NEAR(tracks.seconds, 3.0, 0.5) << video;
    // The release's own FFmpeg tells the check where the sound begins.
    if (video == phone) {
      EXPECT_NE(run.log.find("its sound begins 0.0"), std::string::npos) << run.log;
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
