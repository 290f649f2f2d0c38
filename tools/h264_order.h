#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace clipvane::tools {

// A raw H.264 stream (Annex B) keeps no timestamps, and with B-frames its frames are
// shown in another order than they are stored: each frame's picture order count,
// read from its slice header, says where it goes. The count starts again at every
// IDR frame.

// One frame in stored order: its picture order count and whether it is a key frame.
struct H264Frame {
  int order_count = 0;
  bool key = false;
};

// For each frame in stored order, its place among all frames as they are shown: by
// order count within each stretch that a key frame with a count not above the
// stretch's begins, in stored order where counts are equal.
std::vector<std::int64_t> ShowingOrder(const std::vector<H264Frame>& frames);

// The frames of the raw stream at `path`, read through libavformat and libavcodec's
// H.264 parser. False, with the reason in `error`, when it cannot be read.
bool ReadH264Frames(const std::string& path, std::vector<H264Frame>& frames, std::string& error);

}  // namespace clipvane::tools
