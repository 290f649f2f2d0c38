// The stand-ins called directly: what they write, what they refuse, and the encoder
// they pick. (How a planned picture fits each device's frame: tests/jobs, PlanGeometry;
// that the stand-ins draw it so, on every device: the conversions here and in tests/e2e.)
// Then the splits and muxes that the stand-ins copy in-process: their results must be
// what FFmpeg's own stream copies give, byte for byte or packet for packet, and every
// MP4 must have its movie box before the media data.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>

#include "av_probe.h"
#include "ffmpeg_log.h"
#include "h264_order.h"
#include "mencoder_command.h"
#include "mencoder_inputs.h"
#include "tool_files.h"
#include "tool_runs.h"

namespace clipvane::testing {
namespace {

void Ffmpeg(const std::string& options) { RunFfmpeg(Words(options)); }

// A source in the folder of those made once for all cases.
std::string Source(const std::string& name) {
  static const TempFolder folder;
  static const bool made = [] {
    const std::string picture = "testsrc2=size=320x240:rate=25:duration=2";
    const std::string tone = "sine=frequency=440:sample_rate=44100:duration=2";
    MakeVideo(folder / "divx.avi", picture, tone, "-c:v mpeg4 -bf 0 -vtag DIVX -c:a aac -ar 48000 -f avi");
    MakeVideo(folder / "xvid.avi", "testsrc2=size=320x240:rate=24000/1001:duration=2", tone,
              "-c:v libxvid -bf 0 -c:a aac -ac 1 -f avi");
    // Every fifth frame left out: the AVI keeps a place for each with an empty chunk.
    MakeVideo(folder / "gaps.avi", picture + ",select='not(eq(mod(n\\,5)\\,2))'", tone,
              "-fps_mode passthrough -c:v mpeg4 -c:a aac -f avi");
    // With B-frames, stored in another order than they are shown.
    MakeVideo(folder / "h264.avi", picture, tone, "-c:v libx264 -preset ultrafast -bf 2 -c:a aac -f avi");
    MakeVideo(folder / "pcm.avi", picture, tone, "-c:v mpeg4 -c:a pcm_s16le -f avi");
    // As phones write them: turned a quarter, and a silent portrait clip.
    MakeVideo(folder / "upright.mp4", picture, tone, "-c:v libx264 -c:a aac -f mp4");
    Ffmpeg("-i " + folder / "upright.mp4" + " -c copy -metadata:s:v:0 rotate=90 " + folder / "turned.mp4");
    Ffmpeg("-f lavfi -i testsrc2=size=240x320:rate=30:duration=1.5 -c:v libx264 -f mov " + folder / "silent.mov");
    // The raw streams of the muxing cases, as FFmpeg splits them.
    // A Matroska file whose sound starts a second before its picture.
    Ffmpeg("-itsoffset 1 -i " + folder / "divx.avi" + " -i " + folder / "pcm.avi" + " -map 0:v -map 1:a -c copy " +
           folder / "early.mkv");
    for (const std::string codec : {"divx", "xvid"})
      Ffmpeg("-i " + folder / (codec + ".avi") + " -map 0:v -c copy -f m4v " + folder / (codec + ".m4v") +
             " -map 0:a -c copy -f adts " + folder / (codec + ".aac"));
    return true;
  }();
  return made ? folder / name : "";
}

// The encoder writes an AVI with its four-character code and AAC sound, picture and
// sound encoded side by side into the very packets of one ffmpeg command doing both.
// Either stand-in names what it refuses and fails, leaving nothing half-written.
TEST(ToolCommandLine, WritesAnAviWithTheEncodersFourccAndAacAndNamesWhatItRefuses) {
  TempFolder folder, refused;
  ToolAppDir app;
  const std::string source = Source("upright.mp4");
  for (const auto& [tag, video_options] :
       {std::pair{"XVID",
                  "-ovc xvid -xvidencopts bitrate=900:max_bframes=0:nogmc:noqpel -xvidopts deblock-chroma "
                  "-vf-add hqdn3d -sws 10"},
        std::pair{"DIVX", "-ovc lavc -lavcopts vcodec=mpeg4 -lavcopts vbitrate=700 -ffourcc DIVX"}}) {
    const std::string avi = folder / "out.avi";
    std::vector<std::string> argv{app.Bin("mencoder"), "-noodml", source, "-o", avi};
    for (const std::string& word : Words(std::string("-oac faac -faacopts br=128:mpeg=4:object=2 -af volnorm -srate "
                                                     "48000 -vf-add harddup -ofps 25 -lavcopts threads=2 ") +
                                         video_options))
      argv.push_back(word);
    const ProgramRun run = RunProgram(argv);
    ASSERT_EQ(run.status, 0) << run.errors;
    const MediaReport report = Probe(avi);
    EXPECT_EQ(report.video_codec + " " + report.video_tag + " " + report.audio_codec + " " +
                  std::to_string(report.sample_rate),
              std::string("mpeg4 ") + tag + " aac 48000");
    const tools::ParsedRequest parsed = tools::ParseMencoderCommandLine({argv.begin() + 2, argv.end()});
    tools::PreparedInputs inputs;
    inputs.ffmpeg = FfmpegProgram();
    inputs.media = source;
    inputs.facts = tools::ProbeSourceHere(source).value_or(tools::SourceFacts{});  // as the encoder knows it
    inputs.output = folder / "one.avi";
    const auto one = tools::BuildFfmpegCommand(parsed.request, inputs, tools::EncoderLayout::kOneCommand);
    ASSERT_EQ(one.children.size(), 1u);
    ASSERT_EQ(RunProgram(one.children.front()).status, 0);
    EXPECT_NE(PacketList(avi).find("\n1,"), std::string::npos) << "no sound";
    EXPECT_EQ(PacketList(avi), PacketList(inputs.output)) << tag;  // the line above: not empty
  }
  // The encoder's arguments come after a plain encode of the source to x.avi.
  const std::tuple<std::string, std::vector<std::string>, std::string> cases[] = {
      {"mencoder", {"-frobnicate"}, "unknown option -frobnicate"},
      {"mencoder", {"-vf-add", "eq2=1.2"}, "unknown video filter 'eq2'"},
      {"mencoder", {"-lavcopts", "vcodec=h264"}, "vcodec=h264"},
      {"mencoder", {"-oac", "mp3lame"}, "-oac mp3lame"},
      {"mencoder", {"-xvidencopts", "bitrate=900:gmc"}, "'gmc'"},
      {"mencoder", {"-af", "volume=5"}, "'volume=5'"},
      {"mencoder", {"-mc", "0.5"}, "-mc 0.5"},
      {"mencoder", {"-ofps"}, "-ofps needs a value"},
      {"mencoder", {"-aid", "ko"}, "-aid needs a whole number"},
      {"mencoder", {"other.avi"}, "more than one input file"},
      {"mencoder", {"-of", "rawvideo"}, "-of rawvideo"},
      // The picture's encode fails, and FFmpeg's own words say why.
      {"mencoder", {"-vf-add", "crop=2000:2000"}, "mencoder: cause: [Parsed_crop_0] Invalid too big"},
      {"mencoder", {"-x264encopts", "crf=23:bframes=3"}, "'bframes=3'"},
      {"mencoder", {"-x264encopts", "level=7"}, "no H.264 level 7"},
      {"mp4creator", {"-hint", "x.mp4"}, "unknown option -hint"},
      {"mp4creator", {"-c", "x.mp3", "x.mp4"}, "cannot tell"},
      {"mp4creator", {"-c", "x.m4v", "-rate=5000", "x.mp4"}, "-rate needs a frame rate of 0.01 to 1000"}};
  for (const auto& [tool, args, message] : cases) {
    std::vector<std::string> argv{app.Bin(tool)};
    if (tool == "mencoder")
      argv = {argv[0], "-ovc", "lavc", "-lavcopts", "vcodec=mpeg4", "-oac", "faac", source, "-o", refused / "x.avi"};
    argv.insert(argv.end(), args.begin(), args.end());
    const ProgramRun run = RunProgram(argv);
    EXPECT_NE(run.status, 0) << message;
    EXPECT_NE(run.errors.find(message), std::string::npos) << run.errors;
    EXPECT_TRUE(std::filesystem::is_empty(refused.Path())) << "nothing beside or under the output's name";
  }
}

TEST(XvidEncoder, FallsBackToFFmpegsOwnMpeg4AtAnOddSizeOrWithoutXvidAndSaysSo) {
  for (const auto& [width, has_xvid, encoder] :
       {std::tuple{480, true, "libxvid"}, {427, true, "mpeg4"}, {480, false, "mpeg4"}}) {
    const tools::ParsedRequest parsed =
        tools::ParseMencoderCommandLine({"in.avi", "-oac", "faac", "-ovc", "xvid", "-vf-add",
                                         "scale=" + std::to_string(width) + ":320", "-o", "out.avi"});
    ASSERT_EQ(parsed.error, "");
    tools::PreparedInputs inputs;
    inputs.has_xvid = has_xvid;
    const tools::FfmpegCommand command = tools::BuildFfmpegCommand(parsed.request, inputs);
    // The children's arguments in start order: the picture's encoder comes first.
    std::vector<std::string> argv;
    for (const auto& child : command.children) argv.insert(argv.end(), child.begin(), child.end());
    const auto codec = std::find(argv.begin(), argv.end(), "-c:v");
    EXPECT_EQ(codec < argv.end() - 1 ? codec[1] : "none", encoder) << width << has_xvid;
    // Either way the stream is tagged as Xvid, and a fallback is said in the log.
    EXPECT_NE(std::find(argv.begin(), argv.end(), "XVID"), argv.end());
    EXPECT_EQ(command.notes.size(), std::string(encoder) == "mpeg4" ? 1u : 0u);
  }
  EXPECT_TRUE(tools::HasEncoder(FfmpegProgram(), "mpeg4"));
  EXPECT_FALSE(tools::HasEncoder(FfmpegProgram(), "no_such_encoder"));
  EXPECT_FALSE(tools::HasEncoder("clipvane-no-such-ffmpeg", "mpeg4"));
}

// A failure's cause is the line of FFmpeg's errors that a user can act on, or its root,
// never what FFmpeg says as it gives up because of it.
TEST(FfmpegLog, NamesTheCauseAmongFfmpegsErrorsAndKeepsTheLogAsFfmpegWritesIt) {
  const std::pair<std::string, std::string> cases[] = {
      // Damage the decoder lived with, then the failure.
      {"[h264 @ 0x1] [error] error while decoding MB 3 4\n[AVFilterGraph @ 0x2] [error] No such filter: 'zscale'\n"
       "[fatal] Error initializing complex filters.\n",
       "[AVFilterGraph] No such filter: 'zscale'"},
      {"[mp4 @ 0x3] [error] av_interleaved_write_frame(): No space left on device\n[warning] late frame\n"
       "[error] Error writing trailer: Invalid argument\n",
       "[mp4] av_interleaved_write_frame(): No space left on device"},
      {"[fatal] Conversion failed!\n", "Conversion failed!"},
      {"[info] all went well\n[warning] but slowly", ""}};
  for (const auto& [stderr_text, cause] : cases) {
    std::ostringstream log;
    tools::FfmpegLog ffmpeg(log);
    auto first = ffmpeg.Reader(), second = ffmpeg.Reader();
    // Two children's pieces, cut mid-line.
    first(stderr_text.substr(0, stderr_text.size() / 2));
    second("[info] Stream #0:0 -> #0:0 (copy)\n");
    first(stderr_text.substr(stderr_text.size() / 2));
    ffmpeg.Finish();
    EXPECT_EQ(ffmpeg.Cause(), cause);
    EXPECT_EQ(log.str().find("[error]"), std::string::npos) << log.str();
    EXPECT_NE(log.str().find("Stream #0:0 -> #0:0 (copy)\n"), std::string::npos) << log.str();
  }
}

// Every picture leaves the chain in BT.709: tone-mapped, converted, or as it was; an
// FFmpeg without zscale converts only the colours, and says so. (HLG and PQ clips with
// their BT.2020 matrix, tone-mapped for real: the conversions' HDR test.)
TEST(ToBt709, ToneMapsHdrConvertsOtherColoursAndLeavesBt709AndTheUnknownAsTheyAre) {
  // The source's transfer, matrix and height (16:9), whether FFmpeg has zscale; how the
  // first filter begins ("": none), the last filter, how many notes the log takes.
  const std::tuple<std::string, std::string, int, bool, std::string, std::string, std::size_t> cases[] = {
      {"smpte2084", "", 1080, true, "zscale=tin=smpte2084:pin=2020:min=2020_ncl:t=linear", "", 0},
      {"smpte2084", "bt2020nc", 1080, false, "scale=in_color_matrix=bt2020:out_color_matrix=bt709", "", 1},
      {"bt709", "bt709", 1080, true, "", "", 0},
      {"", "", 1080, true, "", "", 0},
      {"", "", 480, true, "", "scale=in_color_matrix=bt601:out_color_matrix=bt709", 0},
      {"smpte170m", "smpte170m", 1080, true, "", "scale=in_color_matrix=bt601:out_color_matrix=bt709", 0},
      {"", "", 0, true, "", "", 0}};
  for (const auto& [transfer, matrix, height, has_zscale, first, last, notes] : cases) {
    tools::SourceFacts source;
    source.transfer = transfer, source.matrix = matrix, source.height = height, source.width = height * 16 / 9;
    std::vector<std::string> said;
    const tools::ColourFilters filters = tools::ToBt709(source, has_zscale, said);
    const std::string what = transfer + " " + std::to_string(height);
    EXPECT_EQ(filters.first.substr(0, first.empty() ? std::string::npos : first.size()), first) << what;
    EXPECT_EQ(filters.last, last) << what;
    EXPECT_EQ(said.size(), notes) << what;
  }
}

// The splits give what FFmpeg's stream copy writes, byte for byte (a picture with empty
// chunks too), and the H.264 ones muxed show the pictures in their order from the start,
// with the sound. Sound that is not AAC is refused, leaving nothing.
TEST(SplitAndMux, SplitsAsFfmpegDoesAndShowsH264PicturesInTheirOrderFromTheStart) {
  TempFolder folder;
  ToolAppDir app;
  // The source, the raw stream FFmpeg writes (m4v, h264 or adts), what the stand-in says
  // when it cannot split ("" when it can); the refusal first, while the folder is empty.
  const std::tuple<std::string, std::string, std::string> cases[] = {{"pcm.avi", "adts", "is pcm_s16le, not aac"},
                                                                     {"divx.avi", "m4v", ""},
                                                                     {"gaps.avi", "m4v", ""},
                                                                     {"h264.avi", "h264", ""},
                                                                     {"h264.avi", "adts", ""}};
  for (const auto& [name, format, refusal] : cases) {
    const bool video = format != "adts";
    const std::string ours = folder / (name + (video ? "." + format : ".aac")), theirs = folder / "theirs";
    const ProgramRun run =
        RunProgram(Words(app.Bin("mencoder") +
                         (video ? " -ovc copy -nosound -of rawvideo -o " : " -ovc frameno -oac copy -of rawaudio -o ") +
                         ours + " " + Source(name)));
    if (!refusal.empty()) {
      EXPECT_TRUE(run.status != 0 && run.errors.find(refusal) != std::string::npos) << run.errors;
      EXPECT_TRUE(std::filesystem::is_empty(folder.Path())) << "a failed split leaves nothing";
      continue;
    }
    ASSERT_EQ(run.status, 0) << run.errors;
    EXPECT_NE(run.output.find("(100%)"), std::string::npos) << run.output;
    Ffmpeg("-i " + Source(name) + (video ? " -map 0:v:0" : " -map 0:a:0") + " -c copy -f " + format + " " + theirs);
    const std::string expected = tools::ReadWholeFile(theirs).value_or("");
    EXPECT_GT(expected.size(), 1000u);
    EXPECT_TRUE(tools::ReadWholeFile(ours) == expected) << ours << " is not the bytes of FFmpeg's split";
  }
  const std::string mp4 = folder / "out.mp4";
  ASSERT_EQ(RunProgram({app.Bin("mp4creator"), "-c", folder / "h264.avi.h264", "-rate=25", mp4}).status, 0);
  ASSERT_EQ(RunProgram({app.Bin("mp4creator"), "-c", folder / "h264.avi.aac", mp4}).status, 0);
  // Decoded in stored order, the pictures come out stamped one frame apart from 0,
  // which they do only where each packet carries the time its picture is shown.
  std::string stamps;
  for (int frame = 0; frame < 50; ++frame) stamps += std::to_string(frame * 3600) + "\n";
  EXPECT_EQ(RunProgram({FfprobeProgram(), "-v", "error", "-select_streams", "v", "-show_entries", "frame=pts", "-of",
                        "default=nw=1:nk=1", mp4})
                .output,
            stamps);
  const MediaReport report = Probe(mp4);
  EXPECT_EQ(report.video_codec + " " + report.audio_codec, "h264 aac");
  EXPECT_NEAR(report.video_start, report.audio_start, 0.001);
}

// Either stream added first, each result gives the packets of FFmpeg's own mux of both,
// with the movie box before the media data; a stream that cannot be added leaves the
// file as it was, and nothing beside it.
TEST(Mux, GivesThePacketsOfFfmpegsMuxWithTheMovieBoxFirst) {
  ToolAppDir app;
  // The streams added, in order; -rate= of the video stream, and its track's clock and
  // frame length in ticks; ffmpeg options making the file the first stream goes into, or "".
  const std::tuple<std::string, std::string, std::string, std::string, std::string, std::string> cases[] = {
      {"divx.m4v", "divx.aac", "25", "90000", "3600", ""},
      {"divx.aac", "divx.m4v", "25", "90000", "3600", ""},
      {"xvid.m4v", "xvid.aac", "23.976", "89910", "3750", ""},  // a film's rate, and mono sound
      // Sound added to files that FFmpeg wrote, one with its movie box last, one in fragments.
      {"divx.m4v", "divx.aac", "25", "90000", "3600", "-f mp4"},
      {"divx.m4v", "divx.aac", "25", "90000", "3600", "-movflags frag_keyframe+empty_moov -f mp4"}};
  for (const auto& [first, second, rate, clock, ticks, existing] : cases) {
    const std::string what = first + " " + second + " " + existing;
    TempFolder folder;
    const std::string mp4 = folder / "out.mp4", reference = folder / "reference.mp4";
    const auto is_video = [](const std::string& stream) { return stream.find(".m4v") != std::string::npos; };
    const auto add = [&](const std::string& stream) {
      std::vector<std::string> argv{app.Bin("mp4creator"), "-c", Source(stream), mp4};
      if (is_video(stream)) argv.insert(argv.end() - 1, "-rate=" + rate);
      const ProgramRun run = RunProgram(argv);
      EXPECT_EQ(run.status, 0) << what << run.errors;
    };
    // FFmpeg stamps each frame at index / rate.
    const std::string stamps = " setts=ts=N*" + ticks + ":duration=" + ticks + ":time_base=1/" + clock +
                               " -video_track_timescale " + clock + " ";
    if (existing.empty()) add(first);
    else Ffmpeg("-i " + Source(first) + " -c copy -bsf:v" + stamps + existing + " " + mp4);
    add(second);
    // FFmpeg muxing both streams at once.
    Ffmpeg("-i " + Source(first) + " -i " + Source(second) +
           " -map 0 -map 1 -c copy -bsf:" + (is_video(first) ? "0" : "1") + stamps + reference);
    EXPECT_NE(PacketList(mp4).find("\n1,"), std::string::npos) << what << ": one stream only";
    EXPECT_EQ(PacketList(mp4), PacketList(reference)) << what;  // the line above: not empty
    const MediaReport report = Probe(mp4);
    EXPECT_TRUE(report.moov_first) << what;  // fast start: a player reads it before any media data
    EXPECT_NEAR(report.duration, Probe(reference).duration, 0.05) << what;

    const auto before = tools::ReadWholeFile(mp4);
    const std::string broken = folder.WriteFile("broken.aac", "this is not ADTS sound");
    EXPECT_NE(RunProgram({app.Bin("mp4creator"), "-c", broken, mp4}).status, 0);
    EXPECT_TRUE(tools::ReadWholeFile(mp4) == before) << what;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 3) << "out, reference, broken";
  }
}

// The in-process probe says what ffprobe says, or leaves the file to it.
TEST(SourceProbe, TellsWhatFfprobeTells) {
  for (const std::string name : {"divx.avi", "h264.avi", "turned.mp4", "silent.mov"}) {
    const std::optional<tools::SourceFacts> here = tools::ProbeSourceHere(Source(name));
    ASSERT_TRUE(here) << name;
    const tools::SourceFacts there = tools::ProbeSource(Source(name));
    EXPECT_EQ(std::tie(here->width, here->height, here->turned, here->video_codec, here->has_audio),
              std::tie(there.width, there.height, there.turned, there.video_codec, there.has_audio))
        << name;
    EXPECT_NEAR(here->picture_lead, there.picture_lead, 0.001) << name;
    EXPECT_NEAR(here->duration, there.duration, 0.001) << name;
    EXPECT_GT(here->duration, 1.4) << name;
  }
  EXPECT_TRUE(tools::ProbeSourceHere(Source("turned.mp4"))->turned);
  EXPECT_FALSE(tools::ProbeSourceHere(Source("silent.mov"))->has_audio);
  EXPECT_FALSE(tools::ProbeSourceHere(Source("divx.m4v") + ".none"));
  // Where this build reads no Matroska, the file is ffprobe's, never a raw picture
  // stream's without sound; either way the picture starts a second in.
  const tools::SourceFacts there = tools::ProbeSource(Source("early.mkv"));
  for (const tools::SourceFacts& facts : {tools::ProbeSourceHere(Source("early.mkv")).value_or(there), there}) {
    EXPECT_TRUE(facts.has_audio);
    EXPECT_NEAR(facts.picture_lead, 1, 0.01);
  }
}

// Stored order to showing order by the picture order counts: counts starting again at
// an IDR frame, and a key frame that goes on counting (a recovery point) or repeats its
// count. (B-frames after the frame they come before: a real H.264 picture, above.)
TEST(ShowingOrder, PlacesEachFrameByItsCountWithinItsStretch) {
  const std::pair<std::vector<tools::H264Frame>, std::vector<std::int64_t>> cases[] = {
      {{{0, true}, {4, false}, {2, false}, {0, true}, {2, false}}, {0, 2, 1, 3, 4}},
      {{{0, true}, {6, false}, {2, false}, {4, false}, {12, true}, {8, false}, {10, false}}, {0, 3, 1, 2, 6, 4, 5}},
      {{{0, true}, {0, true}, {4, false}, {2, false}}, {0, 1, 3, 2}},
      {{}, {}}};
  for (const auto& [frames, places] : cases) EXPECT_EQ(tools::ShowingOrder(frames), places);
}

}  // namespace
}  // namespace clipvane::testing
