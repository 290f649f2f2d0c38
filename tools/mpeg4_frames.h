#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace clipvane::tools {

// MPEG-4 Part 2 video: a raw stream cut into the frames a decoder takes, as FFmpeg's
// parser cuts it. A frame runs from the end of the one before it (so the sequence
// headers go with the first picture after them) to the first start code after its
// picture's start code.
struct VideoFrame {
  std::uint64_t offset = 0;
  std::uint64_t size = 0;
  int coding_type = 0;  // 0 I, 1 P, 2 B, 3 S
};

class Mpeg4FrameScanner {
 public:
  void Feed(const unsigned char* data, std::size_t size);
  // The frames of the whole stream; call once, after the last Feed.
  std::vector<VideoFrame> Finish();
  // The headers before the first group or picture: the decoder's configuration.
  const std::string& Headers() const { return headers_; }

 private:
  void StartCode(std::uint64_t at, unsigned char code);

  std::uint32_t state_ = 0xFFFFFFFF;
  std::uint64_t position_ = 0;  // bytes fed so far
  bool headers_done_ = false;
  bool picture_seen_ = false;   // the current frame has its picture start code
  bool awaiting_type_ = false;  // the byte after a picture start code is next
  std::uint64_t frame_start_ = 0;
  int coding_type_ = 0;
  std::string headers_;
  std::vector<VideoFrame> frames_;
};

// What the video object layer header says of the picture.
struct VideoObjectLayer {
  int width = 0, height = 0;
  int aspect_width = 1, aspect_height = 1;  // the pixels' shape
};
std::optional<VideoObjectLayer> ParseVideoObjectLayer(const std::string& headers);

}  // namespace clipvane::tools
