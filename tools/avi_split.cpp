#include "avi_split.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "avi_file.h"
#include "aac_frames.h"
#include "tool_files.h"

namespace clipvane::tools {
namespace {

bool IsMpeg4Part2(std::string fourcc) {
  for (char& c : fourcc) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  static const char* const kTags[] = {"FMP4", "DIVX", "DX50", "XVID", "MP4V", "M4S2", "DIV6"};
  return std::any_of(std::begin(kTags), std::end(kTags), [&fourcc](const char* tag) { return fourcc == tag; });
}

constexpr std::uint16_t kAacTag = 0x00FF;
constexpr std::size_t kLongestAdtsFrame = 8191;

SplitResult Failed(const std::string& message) {
  SplitResult result;
  result.kind = SplitResult::Kind::kFailed;
  result.message = message;
  return result;
}

}  // namespace

SplitResult SplitAvi(const EncodeRequest& request, const std::string& written) {
  AviReader avi;
  std::string error;
  if (!avi.Open(request.input, error)) return {};
  const bool video = request.format == OutputFormat::kRawVideo;
  const int stream = avi.FirstOf(video ? "vids" : "auds");
  if (stream < 0) return {};
  const AviStream& header = avi.Streams()[static_cast<std::size_t>(stream)];
  std::optional<AacConfig> aac;
  if (video) {
    if (!IsMpeg4Part2(header.VideoFourcc())) return {};
  } else {
    if (header.AudioTag() != kAacTag) return {};
    aac = ParseAudioSpecificConfig(header.AudioCodecData());
    if (!aac) return {};
  }

  BlockWriter out(written);
  SplitResult result;
  result.kind = SplitResult::Kind::kDone;
  const bool read = avi.ForEachChunk(
      stream,
      [&](const unsigned char* payload, std::size_t size) {
        ++result.frames;
        // Empty chunks stand for frames that were dropped or repeated: raw streams
        // have nothing to show for them.
        if (size == 0) return true;
        if (aac) {
          if (size + 7 > kLongestAdtsFrame) {
            result = Failed("an AAC frame of " + std::to_string(size) + " bytes is too long for ADTS");
            return false;
          }
          const std::string frame_header = aac->AdtsHeader(size);
          out.Write(frame_header);
          result.bytes += frame_header.size();
        }
        out.Write(payload, size);
        result.bytes += size;
        return true;
      },
      error);
  const bool written_whole = out.Close();
  if (!read) return Failed(error);
  if (result.kind == SplitResult::Kind::kFailed) return result;
  if (!written_whole) return Failed("cannot write " + written + ": " + out.Error());
  if (aac) {
    result.seconds = result.frames * 1024.0 / aac->SampleRate();
  } else if (header.rate > 0) {
    result.seconds = result.frames * static_cast<double>(header.scale) / header.rate;
  }
  return result;
}

}  // namespace clipvane::tools
