// Whole conversions through the command-line front end: real job and run scripts run
// by sh, the stand-in tools over FFmpeg, the real probe and the waiting command's check.
// First what a hostile user tries: names of every kind, a disk that fills, a source cut
// short; each time nothing good is lost and what is said is true. (Rows refused before
// any job runs: tests/cli; clearing what ended jobs leave in temp: tests/runs,
// RemoveLeftovers.) Then the videos people have today, made by FFmpeg at test time
// (three seconds each, small pictures), each converted in a fresh program folder:
// every result must be MPEG-4 video inside the device's frame with AAC-LC sound at
// 48 kHz, one track of each, as long as its source, in step with its sound; phone clips
// and portrait ones turned the right way on each device.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "e2e/e2e_fixture.h"
#include "platform/file_system.h"

namespace clipvane {
namespace {

using namespace clipvane::testing;

// A video whose name is code page 949 bytes (as unpacked from a Korean archive)
// converts like any other and gets an MP4 of its own name's bytes, and so does the
// longest name whose MP4 a folder can hold. (A name that would break out of its quotes:
// tests/jobs, QuotePath, and a real job in tests/tools/conversion_test.cpp.)
TEST_F(CliEncodeTest, EncodesSelectedVideosOfAnyNameAndTheListInQueuesThatEndWithThePowerAction) {
  const std::string korean = "\xC7\xD1\xB1\xDB";  // "한글" in code page 949
  const std::string longest = std::string(251, 'n');
  ASSERT_EQ(Cli({"add", MakeVideo(korean + ".avi"), MakeVideo(longest + ".avi")}), 0) << err.str();
  ASSERT_EQ(Cli({"encode", "1", "2", "--wait"}), 0) << err.str() << out.str();
  EXPECT_NE(out.str().find("\twritten " + app / "incoming/" + longest + ".mp4"), std::string::npos) << out.str();
  EXPECT_TRUE(std::filesystem::is_regular_file(app / ("incoming/" + korean + ".mp4")));
  EXPECT_EQ(FilesLeftIn(app / "temp"), 0);  // the jobs deleted their intermediates

  ASSERT_EQ(Cli({"encode-all", "--queues", "2", "--after", "shutdown", "--wait"}), 0) << err.str() << out.str();
  EXPECT_EQ(app.Read("power.log"), "shutdown\nshutdown\n");  // each queue's last line
  // Of the two queues' ends, one powers off; and none once every job was stopped, even
  // after the last one ended.
  if (OtherEncodersRun()) GTEST_SKIP() << "other encoders run on this machine";
  EXPECT_EQ(PowerActionAtQueueEnds(2, true), (std::vector<std::string>{"sleep 10000", "power off", "sleep 10000"}));
  ASSERT_EQ(Cli({"encode-all", "--queues", "2", "--after", "shutdown", "--wait"}), 0) << err.str();
  EXPECT_EQ(Cli({"stop", "--all"}), 0);
  ExpectSaid("the run's power action is held back");
  EXPECT_EQ(PowerActionAtQueueEnds(2, true), (std::vector<std::string>{"sleep 10000", "sleep 10000"}));
}

// Phone clips all named IMG_0001 from two folders convert to two MP4s in the folder the
// user chose, and clearing the encoded rows and converting one again never touches the
// other's MP4; with the subfolders kept, each lands at its place under the folder added.
TEST_F(CliEncodeTest, ClipsOfOneNameConvertToMp4sOfTheirOwnInTheFolderChosen) {
  const std::string mp4s = videos_ / "mp4s";
  std::filesystem::create_directories(videos_ / "DCIM/100APPLE");
  std::filesystem::create_directories(videos_ / "DCIM/101APPLE");
  const std::string first = MakeVideo("DCIM/100APPLE/IMG_0001.MOV", "160x120");
  const std::string second = MakeVideo("DCIM/101APPLE/IMG_0001.MOV", "176x144");
  ASSERT_EQ(Cli({"settings", "outputfolder=" + mp4s}), 0) << err.str();
  ASSERT_EQ(Cli({"add", first, second}), 0) << err.str();
  ASSERT_EQ(Cli({"encode", "1", "2", "--wait"}), 0) << err.str() << out.str();
  const auto read = [](const std::string& path) { return NativeFileSystem().ReadWholeFile(path).value_or("-"); };
  const std::string other = read(mp4s + "/IMG_0001 (2).mp4");
  EXPECT_NE(other, "-");
  EXPECT_EQ(read(mp4s + "/.sources/IMG_0001 (2).mp4.txt"), second + "\n");
  ASSERT_EQ(Cli({"clear-encoded"}), 0);
  ASSERT_EQ(Cli({"add", first}), 0);
  ASSERT_EQ(Cli({"encode", "1", "--wait"}), 0) << err.str() << out.str();
  EXPECT_NE(out.str().find("\twritten " + mp4s + "/IMG_0001.mp4"), std::string::npos) << out.str();
  EXPECT_EQ(read(mp4s + "/IMG_0001 (2).mp4"), other);  // byte for byte
  // A job whose MP4 name another video took meanwhile (as another list may not know)
  // leaves that MP4 as it was.
  ASSERT_EQ(Cli({"make-scripts"}), 0) << err.str();
  const std::string note = mp4s + "/.sources/IMG_0001.mp4.txt", mine = read(mp4s + "/IMG_0001.mp4");
  NativeFileSystem().ReplaceWholeFile(note, "/elsewhere/IMG_0001.MOV\n");
  EXPECT_NE(RunProgram({"sh", app / "batch/IMG_0001.sh"}).status, 0);
  EXPECT_EQ(read(mp4s + "/IMG_0001.mp4"), mine);
  EXPECT_NE(read(app / "batch/IMG_0001.log").find("was made from another video"), std::string::npos);
  NativeFileSystem().ReplaceWholeFile(note, first + "\n");
  ASSERT_EQ(Cli({"clear-encoded"}), 0);
  ASSERT_EQ(Cli({"settings", "keepsubfolders=1"}), 0);
  ASSERT_EQ(Cli({"add", videos_ / "DCIM"}), 0) << err.str();
  ASSERT_EQ(Cli({"encode-all", "--wait"}), 0) << err.str() << out.str();
  for (const char* place : {"/DCIM/100APPLE/IMG_0001.mp4", "/DCIM/101APPLE/IMG_0001.mp4"})
    EXPECT_TRUE(std::filesystem::is_regular_file(mp4s + place)) << place;
  EXPECT_EQ(FilesLeftIn(app / "temp"), 0);
}

// A source cut short (a download not finished) encodes into a short MP4, which the
// check holds against the video's length; and incoming on a disk of its own that
// fills while the MP4 is built there. Either way the good MP4 stays byte for byte,
// still its row's, with the cause said.
TEST_F(CliEncodeTest, AnIncompleteSourceOrAFullDiskNeverReplacesAGoodMp4) {
  const SmallDisk disk(app / "incoming", "2m");
  const std::string video = MakeVideo("film.avi", "320x240", 3);
  ASSERT_EQ(Cli({"add", video}), 0);
  ASSERT_EQ(Cli({"encode", "1", "--wait"}), 0) << err.str();
  const std::string earlier = app.Read("incoming/film.mp4");
  std::filesystem::resize_file(video, std::filesystem::file_size(video) * 2 / 5);
  EXPECT_TRUE(Says({"encode", "1", "--wait"}, 1,
                   "film.avi: no MP4 was written; mp4creator: the MP4 is not as long as the video"));
  EXPECT_EQ(app.Read("incoming/film.mp4"), earlier);
  EXPECT_EQ(Cli({"refresh"}), 0);
  EXPECT_EQ(out.str(), "1\t*\tfilm\t-\tfilm.mp4\n");

  if (!disk.Mounted()) GTEST_SKIP() << "a tmpfs can be mounted only as root";
  MakeVideo("film.avi", "320x240", 3);
  disk.FillLeaving(app / "incoming/filler", 64 * 1024);
  EXPECT_TRUE(Says({"encode", "1", "--wait"}, 1, "No space left"));
  EXPECT_EQ(app.Read("incoming/film.mp4"), earlier);
  EXPECT_EQ(NativeFileSystem().FilesIn(app / "incoming"),
            (std::vector<std::string>{app / "incoming/filler", app / "incoming/film.mp4"}));
  EXPECT_EQ(FilesLeftIn(app / "temp"), 0);
}

// What FFmpeg's detectors, given in `options` with the file, first say after each key;
// -1 for a key they never say.
std::vector<double> Detected(const std::string& options, const std::vector<std::string>& keys) {
  std::vector<std::string> args = Words("-nostdin " + options + " -f null -");
  args.insert(args.begin(), FfmpegProgram());
  const std::string said = RunProgram(args).errors;
  std::vector<double> found;
  for (const std::string& key : keys) {
    const std::size_t at = said.find(key);
    found.push_back(at == std::string::npos ? -1 : std::atof(said.c_str() + at + key.size()));
  }
  return found;
}

// What the check holds an MP4 against is what was converted: sound that starts 2 s
// after its picture keeps its 2 s of silence; recordings joined end to end (transport
// and program streams) convert whole; a subtitle or a second sound track that runs past
// the picture does not make it longer. An MP4 of the same streams whose sound lost its
// silence is refused, with the reason in the log.
TEST_F(CliEncodeTest, EachVideoConvertsWhatItPlaysAndTheCheckHoldsTheMp4ToItsSoundsStart) {
  const TempFolder made;
  const std::string picture = "testsrc2=size=160x120:rate=25:duration=";
  const auto ffmpeg = [](const std::string& options) { RunFfmpeg(Words(options)); };
  ffmpeg("-f lavfi -i " + picture + "4 -itsoffset 2 -f lavfi -i sine=frequency=440:duration=2 -c:v mpeg4 -c:a aac " +
         videos_ / "late.mkv");
  for (const std::string part : {"1", "2"}) {
    ffmpeg("-f lavfi -i " + picture + "3 -f lavfi -i sine=frequency=" + part +
           "00:duration=3 -c:v mpeg2video -c:a mp2 " + made / ("part" + part + ".ts"));
    ffmpeg("-i " + made / ("part" + part + ".ts") + " -c copy -f vob " + made / ("part" + part + ".mpg"));
  }
  for (const std::string kind : {".ts", ".mpg"}) {
    std::ofstream joined(videos_ / ("joined" + kind), std::ios::binary);
    for (const std::string part : {"1", "2", "1"})
      joined << std::ifstream(made / ("part" + part + kind), std::ios::binary).rdbuf();
  }
  NativeFileSystem().ReplaceWholeFile(made / "long.srt", "1\n00:00:01,000 --> 00:01:00,000\nlong\n");
  ffmpeg("-f lavfi -i " + picture + "3 -f lavfi -i sine=duration=3 -i " + made / "long.srt" +
         " -map 0 -map 1 -map 2 -c:v mpeg4 -c:a aac -c:s srt " + videos_ / "subtitled.mkv");
  ffmpeg("-f lavfi -i " + picture + "3 -f lavfi -i sine=duration=3 -f lavfi -i sine=frequency=800:duration=20 " +
         "-map 0 -map 1 -map 2 -c:v mpeg4 -c:a aac " + videos_ / "two_sounds.mkv");
  const std::pair<std::string, double> videos[] = {
      {"late.mkv", 4}, {"joined.ts", 9}, {"joined.mpg", 9}, {"subtitled.mkv", 3}, {"two_sounds.mkv", 3}};
  std::vector<std::string> add{"add"};
  for (const auto& [name, seconds] : videos) add.push_back(videos_ / name);
  ASSERT_EQ(Cli(add), 0) << err.str();
  ASSERT_EQ(Cli({"encode-all", "--wait"}), 0) << out.str() << err.str();
  for (const auto& [name, seconds] : videos) {
    EXPECT_NE(out.str().find(videos_ / name + "\twritten "), std::string::npos) << name << "\n" << out.str();
    EXPECT_NEAR(Probe(app / ("incoming/" + name.substr(0, name.rfind('.')) + ".mp4")).duration, seconds, 0.2) << name;
  }
  const std::string late = app / "incoming/late.mp4";
  EXPECT_NEAR(Detected("-i " + late + " -map 0:a:0 -af silencedetect=n=-40dB:d=0.3", {"silence_end: "})[0], 2.0, 0.06);
  EXPECT_NE(app.Read("batch/late.log").find("its sound begins 2.0"), std::string::npos) << app.Read("batch/late.log");

  // The same picture, and the same sound without its silence.
  const auto tool = [this](const std::string& name, std::vector<std::string> args) {
    args.insert(args.begin(), app / ("bin/" + name));
    return RunProgram(args);
  };
  ASSERT_EQ(tool("mencoder", {"-ovc", "copy", "-nosound", "-of", "rawvideo", "-o", made / "late.m4v", late}).status, 0);
  ffmpeg("-i " + videos_ / "late.mkv" + " -map 0:a -c:a aac -ar 48000 -ac 2 -f adts " + made / "late.aac");
  const std::string unsynced = made / "unsynced.mp4";
  ASSERT_EQ(tool("mp4creator", {"-c", made / "late.m4v", "-rate=25", unsynced}).status, 0);
  ASSERT_EQ(tool("mp4creator", {"-c", made / "late.aac", unsynced}).status, 0);
  const ProgramRun check = tool("mp4creator", {"-check", videos_ / "late.mkv", unsynced, made / "late.mp4"});
  EXPECT_EQ(check.status, 1);
  EXPECT_NE(check.errors.find("the MP4's sound does not begin where the video's does"), std::string::npos)
      << check.errors;
  EXPECT_FALSE(std::filesystem::exists(made / "late.mp4"));
  // The second sound track, when the job converted that one.
  const ProgramRun second = tool("mp4creator", {"-check", "-aid", "1", videos_ / "two_sounds.mkv",
                                                app / "incoming/two_sounds.mp4", made / "two_sounds.mp4"});
  EXPECT_NE(second.errors.find("what was converted of the video 20."), std::string::npos) << second.errors;
}

// A source: its name, its picture and sound as lavfi sources (no sound when empty),
// FFmpeg's options, and the display rotation a phone writes (or empty).
struct Source {
  std::string name, video, audio, options, rotate;
};

// Red above blue, as a phone held upright shows it; stored as the sensor saw it for
// the rotated ones.
const std::string kUpright = "color=red:size=180x160:rate=30:duration=3,pad=180:320:0:0:blue";
const std::string kSine = "sine=frequency=440:duration=3", kH264 = "-c:v libx264 -c:a aac";

// One source for each way into the stand-ins: a turn a phone marks (each way), a
// portrait picture, no sound, a varying rate, a picture FFmpeg decodes of another
// codec and depth (VP9 or ProRes take the same way), VP9 in RGB (4:4:4, whose stored
// render size MediaInfo gives as an "original" size of tens of thousands of pixels),
// sound to mix down and resample,
// interlaced MPEG-2 in a transport stream, an odd size, and one to hear picture and
// sound in step.
const Source kSources[] = {
    {"phone90.mp4", kUpright + ",transpose=clock", kSine, kH264, "90"},
    {"phone270.mp4", kUpright + ",transpose=cclock", kSine, kH264, "270"},
    {"portrait.mov", kUpright, kSine, kH264, ""},
    {"phone180.mp4", "color=red:size=320x80:rate=30:duration=3,pad=320:160:0:80:blue", kSine, kH264, "180"},
    {"silent.mp4", "testsrc2=size=320x240:rate=30:duration=3", "", "-c:v libx264", ""},
    {"vfr.mp4", "testsrc2=size=320x240:rate=30:duration=3,select='lt(n,30)+not(mod(n,2))'", kSine,
     "-fps_mode vfr " + kH264, ""},
    {"hevc10.mkv", "testsrc2=size=320x240:rate=25:duration=3", kSine,
     "-c:v libx265 -pix_fmt yuv420p10le -x265-params log-level=error -c:a aac", ""},
    {"surround.mp4", "testsrc2=size=320x240:rate=25:duration=3",
     "sine=frequency=440:duration=3,pan=5.1|c0=c0|c1=c0|c2=c0|c3=c0|c4=c0|c5=c0", kH264, ""},
    {"interlaced.ts", "testsrc2=size=320x240:rate=30000/1001:duration=3,tinterlace=4", kSine,
     "-c:v mpeg2video -flags +ilme+ildct -c:a mp2 -f mpegts", ""},
    {"odd.avi", "testsrc2=size=321x241:rate=25:duration=3", kSine, "-c:v mpeg4 -c:a mp3", ""},
    // A flash one second in, with a click then.
    {"flash.avi", "color=black:size=320x240:rate=25:duration=3,drawbox=color=white:t=fill:enable='between(t,1,1.03)'",
     "aevalsrc='if(between(t,1,1.01),0.8*sin(2*PI*1000*t),0)':s=44100:d=3", "-c:v mpeg4 -q:v 3 -c:a pcm_s16le", ""},
    {"rgb.webm", "testsrc2=size=320x240:rate=25:duration=3", kSine,
     "-c:v libvpx-vp9 -pix_fmt gbrp -deadline realtime -cpu-used 8 -c:a libopus", ""},
};
// The sources shown portrait: the first three.
constexpr std::size_t kPortraitRows = 3;

// The share of a region's pixels, one second in, that pass the colour test; the region
// in hundredths of the picture's width and height.
double ShareOf(const std::string& mp4, bool (*colour)(int r, int g, int b), int left, int right, int top, int bottom) {
  const MediaReport r = Probe(mp4);
  const auto rgb = FrameRegion(mp4, 1, r.width * left / 100, r.height * top / 100, r.width * (right - left) / 100,
                               r.height * (bottom - top) / 100);
  return rgb.empty() ? 0 : 3.0 * CountPixels(rgb, colour) / static_cast<double>(rgb.size());
}

// The flash's MP4: picture and sound start together, and the click stays with the
// flash, as FFmpeg's black and silence detectors find them.
void ExpectInStep(const std::string& mp4) {
  const MediaReport r = Probe(mp4);
  EXPECT_NEAR(r.audio_start, r.video_start, 0.04);
  const std::vector<double> ends = Detected(
      "-copyts -i " + mp4 + " -vf blackdetect=d=0.5 -af silencedetect=n=-30dB:d=0.5", {"black_end:", "silence_end: "});
  EXPECT_NEAR(ends[0], 1.0, 0.05);
  EXPECT_NEAR(ends[1], ends[0], 0.04);
}

class CorpusTest : public CliEncodeTest {
 protected:
  static void SetUpTestSuite() {
    sources_ = std::make_unique<TempFolder>();
    for (const auto& [name, video, audio, options, rotate] : kSources) {
      const std::string made = *sources_ / ("made-" + name), path = *sources_ / name;
      testing::MakeVideo(rotate.empty() ? path : made, video, audio, options);
      // FFmpeg writes a phone's rotation mark only when it copies the picture.
      if (!rotate.empty()) RunFfmpeg({"-i", made, "-c", "copy", "-metadata:s:v:0", "rotate=" + rotate, path});
    }
  }
  static void TearDownTestSuite() { sources_.reset(); }

  // Adds the sources of these indexes, in order.
  void Add(const std::vector<std::size_t>& indexes) {
    std::vector<std::string> add{"add"};
    for (std::size_t index : indexes) add.push_back(*sources_ / kSources[index].name);
    ASSERT_EQ(Cli(add), 0) << err.str();
  }

  // Each source's result, checked; the frame is the device's for the settings.
  void ExpectConverted(const std::string& label, const std::vector<std::size_t>& indexes, int frame_width,
                       int frame_height) {
    for (std::size_t row : indexes) {
      const std::string name = kSources[row].name, source = *sources_ / name;
      const std::string what = label + " " + name;
      EXPECT_NE(out.str().find(source + "\twritten "), std::string::npos) << what << "\n" << out.str() << err.str();
      const std::string mp4 = app / ("incoming/" + name.substr(0, name.rfind('.')) + ".mp4");
      const MediaReport r = Probe(mp4);
      // MPEG-4 Part 2 and AAC-LC stereo at 48 kHz, one track each.
      EXPECT_EQ(std::to_string(r.streams) + " " + r.Formats(), "2 mpeg4 Simple Profile " + std::to_string(r.width) +
                                                                   "x" + std::to_string(r.height) + ", aac LC 48000 2")
          << what;
      EXPECT_TRUE(r.width > 0 && r.width <= frame_width && r.height > 0 && r.height <= frame_height) << what;
      EXPECT_NEAR(r.duration, 3.0, 0.5) << what;
      if (row < kPortraitRows) {  // turned counter-clockwise: red left, blue right
        EXPECT_GT(ShareOf(mp4, IsRed, 5, 20, 40, 60), 0.8) << what;
        EXPECT_GT(ShareOf(mp4, IsBlue, 80, 95, 40, 60), 0.8) << what;
      }
    }
  }

  static inline std::unique_ptr<TempFolder> sources_;
};

TEST_F(CorpusTest, AFreshProgramFolderTakesTodaysVideosAndConvertsEachWithTheDefaultSettings) {
  std::vector<std::size_t> all(std::size(kSources));
  for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
  Add(all);
  ASSERT_EQ(Cli({"encode-all", "--queues", "2", "--wait"}), 0) << out.str() << err.str();
  ExpectConverted("default", all, 480, 320);
  // Half a turn leaves the picture as wide as it was, upright: red above blue.
  EXPECT_GT(ShareOf(app / "incoming/phone180.mp4", IsRed, 40, 60, 10, 30), 0.8);
  EXPECT_GT(ShareOf(app / "incoming/phone180.mp4", IsBlue, 40, 60, 70, 90), 0.8);
  ExpectInStep(app / "incoming/flash.mp4");
}

// Turned to fit: padded on the nano, cropped into touch's 640 frame. (How every fit
// plans the picture: tests/jobs, PlanGeometry.) The sync routes' first pass copies the
// picture into an AVI, which keeps no turn and holds no HEVC: such a picture goes in
// encoded, upright, and its sound stays in step.
TEST_F(CorpusTest, TurnedClipsFitTheNanoTheWideFrameAndTheSyncRoutesWithHevcInStep) {
  Add({0, 1, 2, 6, 10});
  // The settings, the rows encoded and their sources, the device's frame.
  const std::tuple<std::string, std::string, std::vector<std::size_t>, int, int> runs[] = {
      {"platform=1 display=0", "1 2 3", {0, 1, 2}, 320, 240},
      {"platform=0 display=3", "1 2 3", {0, 1, 2}, 640, 320},
      {"display=0 subtitlesync=1 audiosync=1", "1 4 5", {0, 6, 10}, 480, 320}};
  for (const auto& [settings, rows, sources, width, height] : runs) {
    ASSERT_EQ(Cli(Words("settings " + settings)), 0) << err.str();
    ASSERT_EQ(Cli(Words("encode " + rows + " --wait")), 0) << settings << out.str() << err.str();
    ExpectConverted(settings, sources, width, height);
  }
  ExpectInStep(app / "incoming/flash.mp4");
}

// The phone takes each shape at its size in H.264 High within level 4.0, fast start,
// AAC-LC at 48 kHz and 160 kbit/s, at a constant frame rate. (The cap of 60 frames a
// second is the plan's: tests/jobs, OutputFrameRate.)
TEST_F(CorpusTest, ThePhoneTakesEachShapeAtItsSizeInH264) {
  // The name of a source, the lavfi picture it is made of (empty for the corpus's),
  // and what the phone makes of it.
  const std::tuple<std::string, std::string, std::string, double, double> shapes[] = {
      {"hd.mp4", "testsrc2=size=1920x1080:rate=30:duration=1", "1280x720", 30, 1},
      {"phone90.mp4", "", "180x320", 30, 3},
      {"vfr.mp4", "", "320x240", 30, 3},  // 30 and 15 frames a second: 30, constant
      {"hevc10.mkv", "", "320x240", 25, 3}};
  std::vector<std::string> add{"add"};
  for (const auto& [name, video, size, rate, seconds] : shapes) {
    add.push_back(*sources_ / name);
    if (!video.empty()) testing::MakeVideo(add.back(), video, kSine);
  }
  ASSERT_EQ(Cli(add), 0) << err.str();
  Cli({"settings", "platform=2"});
  ASSERT_EQ(Cli({"encode-all", "--wait"}), 0) << out.str() << err.str();
  for (const auto& [name, video, size, rate, seconds] : shapes) {
    const MediaReport r = Probe(app / ("incoming/" + name.substr(0, name.rfind('.')) + ".mp4"));
    EXPECT_EQ(std::to_string(r.streams) + " " + r.Formats(), "2 h264 High " + size + ", aac LC 48000 2");
    // Constant: the average rate is the rate.
    EXPECT_EQ(r.base_rate, rate) << name;
    EXPECT_NEAR(r.frame_rate, rate, 0.001) << name;
    EXPECT_LE(r.level, 40) << name;
    EXPECT_NEAR(r.audio_bit_rate, 160000, 20000) << name;
    EXPECT_NEAR(r.duration, seconds, 0.2) << name;
    EXPECT_TRUE(r.moov_first) << name;
  }
  // Upright as the phone shows it, not turned: red above blue.
  EXPECT_GT(ShareOf(app / "incoming/phone90.mp4", IsRed, 40, 60, 10, 30), 0.8);
  EXPECT_GT(ShareOf(app / "incoming/phone90.mp4", IsBlue, 40, 60, 70, 90), 0.8);
}

}  // namespace
}  // namespace clipvane
