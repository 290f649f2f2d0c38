#pragma once
#include <cstdint>
#include <string>

#include "mencoder_options.h"

namespace clipvane::tools {

// The encoder's splits of an AVI file into a raw stream, carried out by reading the
// file here instead of starting FFmpeg, which on short clips costs more than the
// copying: the MPEG-4 Part 2 video as it is, or the AAC sound framed as ADTS.
// Streams of any other kind, and files this reader does not follow, are declined
// and left to FFmpeg.
struct SplitResult {
  enum class Kind { kDone, kFailed, kDeclined };
  Kind kind = Kind::kDeclined;
  std::string message;  // why it failed
  long frames = 0;
  double seconds = 0;
  std::uint64_t bytes = 0;
};

// Writes the stream that `request` asks for (-of rawvideo or -of rawaudio) to `written`.
SplitResult SplitAvi(const EncodeRequest& request, const std::string& written);

}  // namespace clipvane::tools
