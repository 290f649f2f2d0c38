#pragma once
#include <cstdint>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace clipvane::tools {

// One stream of an AVI file as its header list describes it.
struct AviStream {
  std::string type;    // "vids", "auds", ...
  std::string format;  // the stream format chunk: BITMAPINFOHEADER or WAVEFORMATEX
  std::uint32_t scale = 0, rate = 0;  // its clock: rate / scale units a second

  // The compression of a video stream ("DIVX"), or "" for other streams.
  std::string VideoFourcc() const;
  // The format tag of a sound stream and the codec data after its WAVEFORMATEX.
  std::uint16_t AudioTag() const;
  std::string AudioCodecData() const;
};

// Reads an AVI file front to back, the way it was written: the header list, then
// every chunk of the movie lists of the first RIFF and of any AVIX extensions. No
// index is needed, so a file whose index is missing reads the same.
class AviReader {
 public:
  // Reads the header; false, with the reason in `error`, when the file is not an AVI.
  bool Open(const std::string& path, std::string& error);
  const std::vector<AviStream>& Streams() const { return streams_; }
  // The first stream of the type, or -1.
  int FirstOf(const std::string& type) const;

  // Hands each data chunk of one stream to `take`, in file order, empty ones
  // included; stops early when `take` returns false. False when the file ends in
  // the middle of a chunk or cannot be read.
  using ChunkReader = std::function<bool(const unsigned char* payload, std::size_t size)>;
  bool ForEachChunk(int stream, const ChunkReader& take, std::string& error);

 private:
  bool ReadHeaderList(std::uint64_t end, std::string& error);

  std::string path_;
  std::ifstream in_;
  std::uint64_t size_ = 0;
  std::vector<AviStream> streams_;
  std::vector<std::pair<std::uint64_t, std::uint64_t>> movies_;  // start and end of each movie list's chunks
};

}  // namespace clipvane::tools
