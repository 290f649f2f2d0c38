// The readers behind the splits and muxes, on the cases that short clips never
// reach: streams read in pieces of every size, AVI files past their first RIFF,
// and the AAC configurations ADTS can carry.
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

using tools::AacConfig;

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A raw MPEG-4 Part 2 stream from FFmpeg: sequence headers again at every key
// frame, and B-pictures when asked for.
std::string RawMpeg4(const TempFolder& folder, const std::string& name, int b_frames) {
  const std::string path = folder / name;
  const ProgramRun run = RunProgram({FfmpegProgram(), "-v", "error", "-nostdin", "-y", "-f", "lavfi", "-i",
                                     "testsrc2=size=320x240:rate=25:duration=2", "-c:v", "mpeg4", "-g", "12", "-bf",
                                     std::to_string(b_frames), "-f", "m4v", path});
  EXPECT_EQ(run.status, 0) << run.errors;
  return path;
}

std::vector<tools::VideoFrame> Scan(const std::string& bytes, std::size_t piece, std::string* headers = nullptr) {
  tools::Mpeg4FrameScanner scanner;
  for (std::size_t at = 0; at < bytes.size(); at += piece) {
    scanner.Feed(reinterpret_cast<const unsigned char*>(bytes.data()) + at, std::min(piece, bytes.size() - at));
  }
  if (headers) *headers = scanner.Headers();
  return scanner.Finish();
}

class FrameScannerTest : public ::testing::TestWithParam<std::size_t> {};

TEST_P(FrameScannerTest, CutsTheSameFramesWhateverThePieces) {
  TempFolder folder;
  const std::string bytes = ReadBytes(RawMpeg4(folder, "p.m4v", 0));
  std::string whole_headers, headers;
  const std::vector<tools::VideoFrame> whole = Scan(bytes, bytes.size(), &whole_headers);
  const std::vector<tools::VideoFrame> pieces = Scan(bytes, GetParam(), &headers);
  ASSERT_EQ(whole.size(), 50u);  // two seconds at 25 frames a second
  ASSERT_EQ(pieces.size(), whole.size());
  std::uint64_t next = 0;
  for (std::size_t i = 0; i < whole.size(); ++i) {
    EXPECT_EQ(pieces[i].offset, whole[i].offset) << i;
    EXPECT_EQ(pieces[i].size, whole[i].size) << i;
    EXPECT_EQ(pieces[i].coding_type, whole[i].coding_type) << i;
    EXPECT_EQ(whole[i].offset, next) << "frames follow one another";
    next = whole[i].offset + whole[i].size;
    EXPECT_EQ(whole[i].coding_type, i % 12 == 0 ? 0 : 1) << i;  // I every twelfth, P between
  }
  EXPECT_EQ(next, bytes.size());
  EXPECT_EQ(headers, whole_headers);
  const auto layer = tools::ParseVideoObjectLayer(headers);
  ASSERT_TRUE(layer);
  EXPECT_EQ(layer->width, 320);
  EXPECT_EQ(layer->height, 240);
}

INSTANTIATE_TEST_SUITE_P(Pieces, FrameScannerTest, ::testing::Values(1, 2, 3, 4, 5, 7, 4096));

TEST(RawMpeg4Video, LeavesReorderedPicturesToFfmpeg) {
  TempFolder folder;
  std::string why_not;
  EXPECT_FALSE(tools::ReadRawMpeg4Video(RawMpeg4(folder, "b.m4v", 2), {25, 1}, why_not));
  EXPECT_NE(why_not.find("display order"), std::string::npos) << why_not;
  const auto track = tools::ReadRawMpeg4Video(RawMpeg4(folder, "p.m4v", 0), {2997, 125}, why_not);
  ASSERT_TRUE(track);
  EXPECT_EQ(track->samples.size(), 50u);
  EXPECT_EQ(track->timescale, 89910u);  // 2997 frames in 125 s, 30 ticks a frame
  EXPECT_EQ(track->sample_duration, 3750u);
  EXPECT_EQ(track->sync_samples, (std::vector<std::uint32_t>{1, 13, 25, 37, 49}));
}

struct AacCase {
  std::string label;
  std::string config;  // AudioSpecificConfig bytes
  bool taken;
  int sample_rate, channels;
};

class AacConfigTest : public ::testing::TestWithParam<AacCase> {};

TEST_P(AacConfigTest, ReadsWhatAdtsCanCarryAndFramesItBackTheSame) {
  const AacCase& c = GetParam();
  const auto config = tools::ParseAudioSpecificConfig(c.config);
  ASSERT_EQ(config.has_value(), c.taken);
  if (!config) return;
  EXPECT_EQ(config->SampleRate(), c.sample_rate);
  EXPECT_EQ(config->Channels(), c.channels);
  EXPECT_EQ(config->AudioSpecificConfig(), c.config);
  // The ADTS header of a 600-byte frame reads back as the same stream and size.
  const std::string header = config->AdtsHeader(600);
  const auto frame = tools::ParseAdtsHeader(reinterpret_cast<const unsigned char*>(header.data()), header.size());
  ASSERT_TRUE(frame);
  EXPECT_EQ(frame->header_size, 7u);
  EXPECT_EQ(frame->frame_size, 607u);
  EXPECT_EQ(frame->config.AudioSpecificConfig(), c.config);
}

INSTANTIATE_TEST_SUITE_P(
    Table, AacConfigTest,
    ::testing::Values(AacCase{"LowComplexity48kStereo", "\x11\x90", true, 48000, 2},
                      AacCase{"LowComplexity44kMono", std::string("\x12\x08", 2), true, 44100, 1},
                      AacCase{"SevenPointOne", "\x11\xB8", true, 48000, 8},
                      AacCase{"HighEfficiencyIsRefused", std::string("\x2B\x10", 2), false, 0, 0},
                      AacCase{"ExplicitRateIsRefused", std::string("\x17\x80", 2), false, 0, 0},
                      AacCase{"ChannelsInTheStreamAreRefused", std::string("\x11\x80", 2), false, 0, 0},
                      AacCase{"TooShort", "\x11", false, 0, 0}),
    [](const auto& test_info) { return test_info.param.label; });

TEST(AdtsHeader, TakesACrcAndRefusesSeveralBlocksInAFrame) {
  const std::string plain = AacConfig{}.AdtsHeader(100);
  std::string with_crc = plain;
  with_crc[1] = static_cast<char>(with_crc[1] & ~1);  // protection present: a CRC follows
  const auto* bytes = reinterpret_cast<const unsigned char*>(with_crc.data());
  ASSERT_TRUE(tools::ParseAdtsHeader(bytes, with_crc.size()));
  EXPECT_EQ(tools::ParseAdtsHeader(bytes, with_crc.size())->header_size, 9u);
  std::string blocks = plain;
  blocks[6] = static_cast<char>(blocks[6] | 1);
  EXPECT_FALSE(tools::ParseAdtsHeader(reinterpret_cast<const unsigned char*>(blocks.data()), blocks.size()));
  EXPECT_FALSE(tools::ParseAdtsHeader(reinterpret_cast<const unsigned char*>(plain.data()), 6));
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
  std::string header = type + std::string(16, '\0') + Le32(1) + Le32(25) + std::string(28, '\0');
  return List("strl", Chunk("strh", header) + Chunk("strf", format));
}

struct AviCase {
  std::string label;
  bool pipe_sizes;  // the sizes a writer to a pipe leaves: 0 for the RIFF and the movie list
};

class AviReaderTest : public ::testing::TestWithParam<AviCase> {};

TEST_P(AviReaderTest, FollowsTheChunksOfEveryRiffInOrder) {
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
  if (GetParam().pipe_sizes) {
    first.replace(4, 4, Le32(0));
    first.replace(12 + header.size() + 4, 4, Le32(0));
    extension.clear();  // nothing can follow a RIFF of unknown size
  }
  TempFolder folder;
  const std::string path = folder / "made.avi";
  std::ofstream(path, std::ios::binary) << first << extension;

  tools::AviReader avi;
  std::string error;
  ASSERT_TRUE(avi.Open(path, error)) << error;
  ASSERT_EQ(avi.Streams().size(), 2u);
  EXPECT_EQ(avi.FirstOf("vids"), 0);
  EXPECT_EQ(avi.FirstOf("auds"), 1);
  EXPECT_EQ(avi.Streams()[0].VideoFourcc(), "DIVX");
  EXPECT_EQ(avi.Streams()[1].AudioTag(), 0x00FF);
  EXPECT_EQ(avi.Streams()[1].AudioCodecData(), "\x11\x90");
  const auto chunks = [&](int stream) {
    std::vector<std::string> found;
    EXPECT_TRUE(avi.ForEachChunk(
        stream,
        [&found](const unsigned char* data, std::size_t size) {
          found.emplace_back(reinterpret_cast<const char*>(data), size);
          return true;
        },
        error))
        << error;
    return found;
  };
  const bool extended = !GetParam().pipe_sizes;
  std::vector<std::string> video{"key", ""}, sound{"aa", "bb"};
  if (extended) {
    video.push_back("later");
    sound.push_back("cc");
  }
  EXPECT_EQ(chunks(0), video);
  EXPECT_EQ(chunks(1), sound);
}

INSTANTIATE_TEST_SUITE_P(Table, AviReaderTest,
                         ::testing::Values(AviCase{"WithAnExtension", false}, AviCase{"WrittenToAPipe", true}),
                         [](const auto& test_info) { return test_info.param.label; });

TEST(AviReader, RefusesWhatIsNotAnAvi) {
  TempFolder folder;
  std::ofstream(folder / "wave.avi", std::ios::binary) << "RIFF" << Le32(4) << "WAVE";
  tools::AviReader avi;
  std::string error;
  EXPECT_FALSE(avi.Open(folder / "wave.avi", error));
  EXPECT_NE(error.find("not an AVI"), std::string::npos) << error;
}

TEST(BlockReader, PeeksAndSkipsAcrossItsBlocks) {
  TempFolder folder;
  std::string bytes(3 << 20, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 % 251);
  std::ofstream(folder / "blocks", std::ios::binary) << bytes;
  tools::BlockReader reader(folder / "blocks");
  std::size_t available = 0;
  // Steps that straddle the 1 MB blocks, a look further than a block, a jump back.
  for (const std::size_t step : {1000u, (1u << 20) - 999, 5u, 1500000u}) {
    const std::uint64_t at = reader.Position();
    const unsigned char* data = reader.Peek(step, available);
    ASSERT_GE(available, step);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), step), bytes.substr(at, step)) << at;
    reader.Skip(step);
  }
  reader.Seek(12345);
  const unsigned char* data = reader.Peek(10, available);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(data), 10), bytes.substr(12345, 10));
  reader.Seek(bytes.size() - 4);
  reader.Peek(10, available);
  EXPECT_EQ(available, 4u);
}

}  // namespace
}  // namespace clipvane::testing
