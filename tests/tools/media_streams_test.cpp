// The readers behind the splits and muxes, on the cases that short clips never
// reach: streams read in pieces of every size, B-pictures, AVI files past their first
// RIFF, and the AAC configurations ADTS can carry. What they give for ordinary clips
// is compared with FFmpeg in stream_copy_test.cpp.
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

const unsigned char* Data(const std::string& bytes) { return reinterpret_cast<const unsigned char*>(bytes.data()); }

// A raw MPEG-4 Part 2 stream of 50 frames from FFmpeg, with B-pictures when asked for.
std::string RawMpeg4(const TempFolder& folder, int b_frames) {
  const std::string path = folder / ("b" + std::to_string(b_frames) + ".m4v");
  RunFfmpeg({"-f", "lavfi", "-i", "testsrc2=size=320x240:rate=25:duration=2", "-c:v", "mpeg4", "-g", "12", "-bf",
             std::to_string(b_frames), "-f", "m4v", path});
  return path;
}

TEST(Mpeg4FrameScanner, CutsTheSameFramesWhateverThePiecesAndLeavesReorderedPicturesToFfmpeg) {
  TempFolder folder;
  const std::string bytes = *tools::ReadWholeFile(RawMpeg4(folder, 0));
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
  EXPECT_FALSE(tools::ReadRawMpeg4Video(RawMpeg4(folder, 2), {25, 1}, why_not));
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
