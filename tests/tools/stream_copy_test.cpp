// The splits and muxes that the stand-ins do without starting FFmpeg: their results
// must be what FFmpeg's stream copies give, byte for byte or packet for packet; and
// their readers on the cases that short clips never reach: streams read in pieces of
// every size, B-pictures, AVI files past their first RIFF, the AAC that ADTS carries.
#include <gtest/gtest.h>

#include <fstream>

#include "aac_frames.h"
#include "avi_file.h"
#include "mp4_movie.h"
#include "mpeg4_frames.h"
#include "tool_files.h"
#include "tool_runs.h"

namespace clipvane::testing {
namespace {

void Ffmpeg(const std::string& options) { RunFfmpeg(Words(options)); }

// Sources made once for all cases.
class Sources {
 public:
  static const Sources& Get() {
    static const Sources sources;
    return sources;
  }
  std::string operator/(const std::string& name) const { return folder_ / name; }

 private:
  Sources() {
    const std::string picture = "testsrc2=size=320x240:rate=25:duration=2";
    const std::string tone = "sine=frequency=440:sample_rate=44100:duration=2";
    MakeVideo(folder_ / "divx.avi", picture, tone, "-c:v mpeg4 -bf 0 -vtag DIVX -c:a aac -ar 48000 -f avi");
    MakeVideo(folder_ / "xvid.avi", "testsrc2=size=320x240:rate=24000/1001:duration=2", tone,
              "-c:v libxvid -bf 0 -c:a aac -ac 1 -f avi");
    // Every fifth frame left out: the AVI keeps a place for each with an empty chunk.
    MakeVideo(folder_ / "gaps.avi", picture + ",select='not(eq(mod(n\\,5)\\,2))'", tone,
              "-fps_mode passthrough -c:v mpeg4 -c:a aac -f avi");
    MakeVideo(folder_ / "clip.mp4", picture, tone, "-c:v mpeg4 -c:a aac");
    Ffmpeg("-f lavfi -i " + picture + " -c:v mpeg4 -bf 2 -f m4v " + folder_ / "bframes.m4v");
    // The raw streams of the muxing cases, as FFmpeg splits them.
    for (const std::string name : {"divx", "xvid"}) {
      Ffmpeg("-i " + folder_ / (name + ".avi") + " -map 0:v -c copy -f m4v " + folder_ / (name + ".m4v"));
      Ffmpeg("-i " + folder_ / (name + ".avi") + " -map 0:a -c copy -f adts " + folder_ / (name + ".aac"));
    }
  }
  TempFolder folder_;
};

struct SplitCase {
  std::string label, source;
  bool video;
};

class SplitTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTest, WritesWhatFfmpegsStreamCopyWrites) {
  const SplitCase& c = GetParam();
  TempFolder folder;
  ToolAppDir app;
  const std::string source = Sources::Get() / c.source, ours = folder / "ours", theirs = folder / "theirs";
  std::vector<std::string> argv =
      Words((c.video ? "-ovc copy -nosound -of rawvideo -o " : "-ovc frameno -oac copy -of rawaudio -o ") + ours);
  argv.insert(argv.begin(), app.Bin("mencoder"));
  argv.push_back(source);
  const ProgramRun run = RunProgram(argv);
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(run.output.find("(100%)"), std::string::npos) << run.output;
  Ffmpeg("-i " + source + (c.video ? " -map 0:v:0 -c copy -f m4v " : " -map 0:a:0 -c copy -f adts ") + theirs);
  const std::string expected = tools::ReadWholeFile(theirs).value_or(""), split = tools::ReadWholeFile(ours).value_or("");
  EXPECT_GT(expected.size(), 1000u);
  EXPECT_TRUE(split == expected) << split.size() << " bytes against " << expected.size();
}

INSTANTIATE_TEST_SUITE_P(Table, SplitTest,
                         ::testing::Values(SplitCase{"DivxPicture", "divx.avi", true},
                                           SplitCase{"AacSound", "divx.avi", false},
                                           SplitCase{"MonoSound", "xvid.avi", false},
                                           SplitCase{"PictureWithEmptyChunks", "gaps.avi", true},
                                           // Not an AVI: FFmpeg splits it as before.
                                           SplitCase{"PictureOfAnMp4", "clip.mp4", true}),
                         [](const auto& test_info) { return test_info.param.label; });

struct MuxCase {
  std::string label;
  std::string first, second;  // the streams added, in order
  std::string rate;           // -rate= of the video stream
  int timescale, frame_ticks;  // the video track's clock
  std::string existing;       // ffmpeg options making the file the first stream goes into, or ""
};

class MuxTest : public ::testing::TestWithParam<MuxCase> {};

TEST_P(MuxTest, GivesThePacketsOfFfmpegsMux) {
  const MuxCase& c = GetParam();
  TempFolder folder;
  ToolAppDir app;
  const std::string mp4 = folder / "out.mp4", reference = folder / "reference.mp4";
  const auto is_video = [](const std::string& stream) { return stream.find(".m4v") != std::string::npos; };
  const auto add = [&](const std::string& stream) {
    std::vector<std::string> argv{app.Bin("mp4creator"), "-c", Sources::Get() / stream, mp4};
    if (is_video(stream)) argv.insert(argv.end() - 1, "-rate=" + c.rate);
    const ProgramRun run = RunProgram(argv);
    EXPECT_EQ(run.status, 0) << run.errors;
  };
  // FFmpeg stamps each frame at index / rate.
  const std::string ticks = std::to_string(c.frame_ticks), clock = std::to_string(c.timescale);
  const std::string stamps = " setts=ts=N*" + ticks + ":duration=" + ticks + ":time_base=1/" + clock +
                             " -video_track_timescale " + clock + " ";
  if (c.existing.empty()) {
    add(c.first);
  } else {
    Ffmpeg("-f m4v -i " + Sources::Get() / c.first + " -c copy -bsf:v" + stamps + c.existing + " " + mp4);
  }
  add(c.second);
  // FFmpeg muxing both streams at once.
  const auto input = [&](const std::string& stream) {
    return (is_video(stream) ? " -f m4v -i " : " -f aac -i ") + Sources::Get() / stream;
  };
  Ffmpeg(input(c.first) + input(c.second) + " -map 0 -map 1 -c copy -bsf:" + (is_video(c.first) ? "0" : "1") + stamps +
         reference);
  EXPECT_NE(PacketList(mp4).find("\n1,"), std::string::npos) << "one stream only";
  EXPECT_EQ(PacketDifference(mp4, reference), "");
  const MediaReport report = Probe(mp4);
  EXPECT_NEAR(report.frame_rate, double(c.timescale) / c.frame_ticks, 0.001);
  EXPECT_NEAR(report.duration, Probe(reference).duration, 0.05);
}

INSTANTIATE_TEST_SUITE_P(
    Table, MuxTest,
    ::testing::Values(MuxCase{"PictureThenSound", "divx.m4v", "divx.aac", "25", 90000, 3600, ""},
                      MuxCase{"SoundThenPicture", "divx.aac", "divx.m4v", "25", 90000, 3600, ""},
                      MuxCase{"FilmRateAndMonoSound", "xvid.m4v", "xvid.aac", "23.976", 89910, 3750, ""},
                      // Sound added to files that FFmpeg wrote: read here, and handed back
                      // to FFmpeg where this reader does not follow (fragments).
                      MuxCase{"SoundIntoAnFfmpegFile", "divx.m4v", "divx.aac", "25", 90000, 3600, "-f mp4"},
                      MuxCase{"SoundIntoAFragmentedFile", "divx.m4v", "divx.aac", "25", 90000, 3600,
                              "-movflags frag_keyframe+empty_moov -f mp4"}),
    [](const auto& test_info) { return test_info.param.label; });

const unsigned char* Data(const std::string& bytes) { return reinterpret_cast<const unsigned char*>(bytes.data()); }

TEST(Mpeg4FrameScanner, CutsTheSameFramesWhateverThePiecesAndLeavesReorderedPicturesToFfmpeg) {
  const std::string bytes = *tools::ReadWholeFile(Sources::Get() / "divx.m4v");
  // The headers, then each frame's offset, size and coding type.
  const auto scan = [&bytes](std::size_t piece) {
    tools::Mpeg4FrameScanner scanner;
    for (std::size_t at = 0; at < bytes.size(); at += piece) scanner.Feed(Data(bytes) + at, std::min(piece, bytes.size() - at));
    std::vector<std::string> frames{scanner.Headers()};
    for (const tools::VideoFrame& frame : scanner.Finish())
      frames.push_back(std::to_string(frame.offset) + "+" + std::to_string(frame.size) + "/" + std::to_string(frame.coding_type));
    return frames;
  };
  const std::vector<std::string> whole = scan(bytes.size());
  EXPECT_EQ(whole.size(), 51u);
  const auto layer = tools::ParseVideoObjectLayer(whole.front());
  EXPECT_EQ(layer ? layer->width * 1000 + layer->height : 0, 320240);
  for (const std::size_t piece : {1, 2, 3, 5, 7, 4096}) EXPECT_EQ(scan(piece), whole) << piece;
  std::string why_not;
  EXPECT_FALSE(tools::ReadRawMpeg4Video(Sources::Get() / "bframes.m4v", {25, 1}, why_not));
  EXPECT_NE(why_not.find("display order"), std::string::npos) << why_not;
}

TEST(AacConfig, ReadsWhatAdtsCanCarryFramesItBackTheSameAndTakesACrc) {
  // AudioSpecificConfig bytes, and the rate and channels read from them; 0: refused.
  const std::tuple<std::string, int, int> cases[] = {
      {"\x11\x90", 48000, 2}, {"\x11\xB8", 48000, 8},  // LC stereo, 7.1
      {std::string("\x2B\x10", 2), 0, 0},                // high efficiency
      {std::string("\x17\x80", 2), 0, 0},                // an explicit rate
      {std::string("\x11\x80", 2), 0, 0},                // channels given in the stream
      {"\x11", 0, 0}};
  for (const auto& [bytes, sample_rate, channels] : cases) {
    const auto config = tools::ParseAudioSpecificConfig(bytes);
    ASSERT_EQ(config.has_value(), sample_rate > 0) << sample_rate;
    if (!config) continue;
    EXPECT_EQ(config->SampleRate() * 10 + config->Channels(), sample_rate * 10 + channels);
    // The ADTS header of a 600-byte frame reads back as the same stream and size.
    const std::string header = config->AdtsHeader(600);
    const auto frame = tools::ParseAdtsHeader(Data(header), header.size());
    ASSERT_TRUE(frame);
    EXPECT_EQ(frame->header_size * 1000 + frame->frame_size, 7607u);
    EXPECT_EQ(frame->config.AudioSpecificConfig(), bytes);
  }
  const std::string plain = tools::AacConfig{}.AdtsHeader(100);
  std::string with_crc = plain, blocks = plain;
  with_crc[1] = static_cast<char>(with_crc[1] & ~1);  // protection present: a CRC follows
  ASSERT_TRUE(tools::ParseAdtsHeader(Data(with_crc), with_crc.size()));
  EXPECT_EQ(tools::ParseAdtsHeader(Data(with_crc), with_crc.size())->header_size, 9u);
  blocks[6] = static_cast<char>(blocks[6] | 1);  // several raw data blocks in a frame
  EXPECT_FALSE(tools::ParseAdtsHeader(Data(blocks), blocks.size()));
  EXPECT_FALSE(tools::ParseAdtsHeader(Data(plain), 6));
}

// An AVI file put together chunk by chunk.
std::string Le32(std::uint32_t value) {
  return {static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
          static_cast<char>(value >> 24)};
}
std::string Chunk(const std::string& id, const std::string& payload) {
  return id + Le32(static_cast<std::uint32_t>(payload.size())) + payload + std::string(payload.size() % 2, '\0');
}
std::string List(const std::string& type, const std::string& chunks) { return Chunk("LIST", type + chunks); }
std::string StreamList(const std::string& type, const std::string& format) {
  return List("strl", Chunk("strh", type + std::string(16, '\0') + Le32(1) + Le32(25) + std::string(28, '\0')) +
                          Chunk("strf", format));
}

class AviReaderTest : public ::testing::TestWithParam<bool> {};  // the sizes a writer to a pipe leaves: 0

TEST_P(AviReaderTest, FollowsTheChunksOfEveryRiffInOrder) {
  const bool pipe_sizes = GetParam();
  const std::string bitmap = Le32(40) + Le32(320) + Le32(240) + std::string(4, '\0') + "DIVX" + std::string(20, '\0');
  const std::string wave = std::string("\xFF\x00\x02\x00", 4) + Le32(48000) + std::string(8, '\0') +
                           std::string("\x02\x00", 2) + "\x11\x90";
  const std::string header = List("hdrl", Chunk("avih", std::string(56, '\0')) + StreamList("vids", bitmap) +
                                              StreamList("auds", wave));
  // Odd sizes are padded; 'rec ' groups, padding and index chunks are passed over.
  const std::string movie = List("movi", Chunk("00dc", "key") + Chunk("01wb", "aa") + Chunk("JUNK", "xxxx") +
                                             List("rec ", Chunk("00dc", "") + Chunk("01wb", "bb")) +
                                             Chunk("ix00", "index"));
  const std::string index = Chunk("idx1", std::string(16, '\0'));
  std::string first = "RIFF" + Le32(static_cast<std::uint32_t>(4 + header.size() + movie.size() + index.size())) +
                      "AVI " + header + movie + index;
  const std::string extension_movie = List("movi", Chunk("00dc", "later") + Chunk("01wb", "cc"));
  std::string extension = "RIFF" + Le32(static_cast<std::uint32_t>(4 + extension_movie.size())) + "AVIX" + extension_movie;
  if (pipe_sizes) {
    first.replace(4, 4, Le32(0));
    first.replace(12 + header.size() + 4, 4, Le32(0));
    extension.clear();  // nothing can follow a RIFF of unknown size
  }
  TempFolder folder;
  std::ofstream(folder / "made.avi", std::ios::binary) << first << extension;
  std::ofstream(folder / "wave.avi", std::ios::binary) << "RIFF" << Le32(4) << "WAVE";

  std::string error;
  EXPECT_FALSE(tools::AviReader().Open(folder / "wave.avi", error));
  EXPECT_NE(error.find("not an AVI"), std::string::npos) << error;
  tools::AviReader avi;
  ASSERT_TRUE(avi.Open(folder / "made.avi", error)) << error;
  ASSERT_EQ(avi.Streams().size(), 2u);
  EXPECT_EQ(avi.FirstOf("vids") * 10 + avi.FirstOf("auds"), 1);
  EXPECT_EQ(avi.Streams()[0].VideoFourcc(), "DIVX");
  EXPECT_EQ(avi.Streams()[1].AudioTag(), 0x00FF);
  EXPECT_EQ(avi.Streams()[1].AudioCodecData(), "\x11\x90");
  std::string found;
  for (int stream : {0, 1}) {
    const auto keep = [&found](const unsigned char* data, std::size_t size) {
      found.append(reinterpret_cast<const char*>(data), size).push_back(';');
      return true;
    };
    EXPECT_TRUE(avi.ForEachChunk(stream, keep, error)) << error;
  }
  EXPECT_EQ(found, pipe_sizes ? "key;;aa;bb;" : "key;;later;aa;bb;cc;");
}

INSTANTIATE_TEST_SUITE_P(WithAnExtensionOrWrittenToAPipe, AviReaderTest, ::testing::Bool());

TEST(BlockReader, PeeksAndSkipsAcrossItsBlocks) {
  TempFolder folder;
  std::string bytes(3 << 20, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 % 251);
  std::ofstream(folder / "blocks", std::ios::binary) << bytes;
  tools::BlockReader reader(folder / "blocks");
  std::size_t available = 0;
  // Steps that straddle the 1 MB blocks, a look further than a block, a jump back.
  for (const std::size_t step : {1000u, (1u << 20) - 999, 5u, 1500000u, 10u}) {
    if (step == 10u) reader.Seek(12345);
    const std::uint64_t at = reader.Position();
    const unsigned char* data = reader.Peek(step, available);
    ASSERT_GE(available, step);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), step), bytes.substr(at, step)) << at;
    reader.Skip(step);
  }
  reader.Seek(bytes.size() - 4);
  reader.Peek(10, available);
  EXPECT_EQ(available, 4u);
}

}  // namespace
}  // namespace clipvane::testing
