#include "mpeg4_frames.h"

#include <algorithm>
#include <cstring>

namespace clipvane::tools {
namespace {

class BitReader {
 public:
  BitReader(const std::string& bytes, std::size_t start) : bytes_(bytes), bit_(start * 8) {}
  unsigned Read(int count) {
    unsigned value = 0;
    for (int i = 0; i < count; ++i, ++bit_) {
      const std::size_t byte = bit_ / 8;
      const unsigned bit = byte < bytes_.size() ? (static_cast<unsigned char>(bytes_[byte]) >> (7 - bit_ % 8)) & 1 : 0;
      value = value << 1 | bit;
    }
    return value;
  }
  bool Overrun() const { return bit_ > bytes_.size() * 8; }

 private:
  const std::string& bytes_;
  std::size_t bit_;
};

// The pixel shapes a video object layer names by number (ISO/IEC 14496-2, table 6-12).
constexpr int kAspects[][2] = {{1, 1}, {1, 1}, {12, 11}, {10, 11}, {16, 11}, {40, 33}};

}  // namespace

void Mpeg4FrameScanner::Feed(const unsigned char* data, std::size_t size) {
  if (size == 0) return;
  if (!headers_done_ && headers_.size() < (1u << 20)) headers_.append(reinterpret_cast<const char*>(data), size);
  if (awaiting_type_) {
    coding_type_ = data[0] >> 6;
    awaiting_type_ = false;
  }
  // `k` is the code byte that follows 00 00 01.
  const auto code_at = [&](std::size_t k) {
    StartCode(position_ + k - 3, data[k]);
    if (data[k] != 0xB6) return;
    if (k + 1 < size) {
      coding_type_ = data[k + 1] >> 6;
    } else {
      awaiting_type_ = true;
    }
  };
  // Start codes begun in the piece before, byte by byte; then the rest by looking
  // for each 01 byte, which is rare in coded pictures.
  std::uint32_t state = state_;
  for (std::size_t i = 0; i < size && i < 4; ++i) {
    state = state << 8 | data[i];
    if ((state & 0xFFFFFF00) == 0x100) code_at(i);
  }
  for (std::size_t from = 3; from < size;) {
    const void* found = std::memchr(data + from, 1, size - from);
    if (!found) break;
    const std::size_t j = static_cast<std::size_t>(static_cast<const unsigned char*>(found) - data);
    if (data[j - 1] == 0 && data[j - 2] == 0 && j + 1 < size) code_at(j + 1);
    from = j + 1;
  }
  if (size >= 4) {
    state = static_cast<std::uint32_t>(data[size - 4]) << 24 | data[size - 3] << 16 | data[size - 2] << 8 | data[size - 1];
  }
  state_ = state;
  position_ += size;
}

void Mpeg4FrameScanner::StartCode(std::uint64_t at, unsigned char code) {
  // A group of pictures or a picture ends the sequence headers.
  if (!headers_done_ && (code == 0xB3 || code == 0xB6)) {
    headers_.resize(static_cast<std::size_t>(std::min<std::uint64_t>(at, headers_.size())));
    headers_done_ = true;
  }
  if (picture_seen_ && code != 0xB7) {  // a slice start code stays inside its picture
    frames_.push_back({frame_start_, at - frame_start_, coding_type_});
    frame_start_ = at;
    picture_seen_ = false;
  }
  if (code == 0xB6) picture_seen_ = true;
}

std::vector<VideoFrame> Mpeg4FrameScanner::Finish() {
  if (picture_seen_) {
    frames_.push_back({frame_start_, position_ - frame_start_, coding_type_});
  } else if (!frames_.empty()) {
    frames_.back().size = position_ - frames_.back().offset;  // trailing headers stay with the last picture
  }
  if (!headers_done_) headers_.clear();
  return std::move(frames_);
}

std::optional<VideoObjectLayer> ParseVideoObjectLayer(const std::string& headers) {
  std::size_t at = 0;
  for (;; ++at) {
    at = headers.find(std::string("\0\0\1", 3), at);
    if (at == std::string::npos || at + 3 >= headers.size()) return std::nullopt;
    const unsigned char code = static_cast<unsigned char>(headers[at + 3]);
    if (code >= 0x20 && code <= 0x2F) break;
  }
  BitReader bits(headers, at + 4);
  bits.Read(1);  // random accessible
  bits.Read(8);  // object type
  unsigned verid = 1;
  if (bits.Read(1)) {
    verid = bits.Read(4);
    bits.Read(3);  // priority
  }
  VideoObjectLayer layer;
  const unsigned aspect = bits.Read(4);
  if (aspect == 15) {
    layer.aspect_width = static_cast<int>(bits.Read(8));
    layer.aspect_height = static_cast<int>(bits.Read(8));
  } else if (aspect >= 1 && aspect <= 5) {
    layer.aspect_width = kAspects[aspect][0];
    layer.aspect_height = kAspects[aspect][1];
  }
  if (bits.Read(1)) {  // control parameters
    bits.Read(3);      // chroma format, low delay
    if (bits.Read(1)) bits.Read(79);  // the buffer parameters with their markers
  }
  const unsigned shape = bits.Read(2);
  if (shape == 3 && verid != 1) bits.Read(4);
  if (shape != 0) return std::nullopt;  // only rectangular pictures have a size here
  bits.Read(1);
  const unsigned resolution = bits.Read(16);
  bits.Read(1);
  if (bits.Read(1)) {  // fixed rate: an increment as wide as the resolution needs
    int width = 1;
    while (width < 16 && (1u << width) < resolution) ++width;
    bits.Read(width);
  }
  bits.Read(1);
  layer.width = static_cast<int>(bits.Read(13));
  bits.Read(1);
  layer.height = static_cast<int>(bits.Read(13));
  if (bits.Overrun() || layer.width == 0 || layer.height == 0 || layer.aspect_width == 0 || layer.aspect_height == 0) {
    return std::nullopt;
  }
  return layer;
}

}  // namespace clipvane::tools
