#pragma once
#include <cstdint>
#include <string>

namespace clipvane::tools {

// The encoder's splits of its AVI file into raw streams: the first video stream as
// raw MPEG-4 Part 2 or H.264 (-of rawvideo), or the first sound stream as AAC framed
// as ADTS (-of rawaudio), copied as they are.
struct SplitResult {
  bool done = false;
  std::string error;  // why not, when not done
  long frames = 0;
  double seconds = 0;
  std::uint64_t bytes = 0;
};

SplitResult SplitStream(const std::string& input, bool video, const std::string& written);

}  // namespace clipvane::tools
