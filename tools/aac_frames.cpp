#include "aac_frames.h"

namespace clipvane::tools {
namespace {

constexpr int kSampleRates[] = {96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050, 16000, 12000, 11025, 8000, 7350};
constexpr int kRateCount = sizeof kSampleRates / sizeof kSampleRates[0];

bool Fits(int object_type, int rate_index, int channel_configuration) {
  // ADTS has two bits for the object type less one.
  return object_type >= 1 && object_type <= 4 && rate_index >= 0 && rate_index < kRateCount &&
         channel_configuration >= 1 && channel_configuration <= 7;
}

}  // namespace

int AacConfig::SampleRate() const { return rate_index >= 0 && rate_index < kRateCount ? kSampleRates[rate_index] : 0; }

int AacConfig::Channels() const { return channel_configuration == 7 ? 8 : channel_configuration; }

std::string AacConfig::AudioSpecificConfig() const {
  const unsigned bits = static_cast<unsigned>(object_type << 11 | rate_index << 7 | channel_configuration << 3);
  return {static_cast<char>(bits >> 8), static_cast<char>(bits & 0xFF)};
}

std::string AacConfig::AdtsHeader(std::size_t payload_size) const {
  const std::size_t length = payload_size + 7;
  // Sync word, MPEG-4, no CRC; the buffer fullness of a variable rate stream.
  const unsigned char header[7] = {
      0xFF,
      0xF1,
      static_cast<unsigned char>((object_type - 1) << 6 | rate_index << 2 | channel_configuration >> 2),
      static_cast<unsigned char>((channel_configuration & 3) << 6 | (length >> 11)),
      static_cast<unsigned char>((length >> 3) & 0xFF),
      static_cast<unsigned char>((length & 7) << 5 | 0x1F),
      0xFC};
  return std::string(reinterpret_cast<const char*>(header), sizeof header);
}

std::optional<AacConfig> ParseAudioSpecificConfig(const std::string& bytes) {
  if (bytes.size() < 2) return std::nullopt;
  // Five bits of object type, four of rate index, four of channel configuration.
  const auto b0 = static_cast<unsigned char>(bytes[0]), b1 = static_cast<unsigned char>(bytes[1]);
  AacConfig config;
  config.object_type = b0 >> 3;
  config.rate_index = (b0 & 7) << 1 | b1 >> 7;
  config.channel_configuration = (b1 >> 3) & 0xF;
  if (!Fits(config.object_type, config.rate_index, config.channel_configuration)) return std::nullopt;
  return config;
}

std::optional<AdtsFrame> ParseAdtsHeader(const unsigned char* b, std::size_t available) {
  if (available < 7 || b[0] != 0xFF || (b[1] & 0xF6) != 0xF0) return std::nullopt;
  AdtsFrame frame;
  frame.header_size = (b[1] & 1) ? 7 : 9;  // a CRC follows unless protection is absent
  frame.config.object_type = (b[2] >> 6) + 1;
  frame.config.rate_index = (b[2] >> 2) & 0xF;
  frame.config.channel_configuration = (b[2] & 1) << 2 | b[3] >> 6;
  frame.frame_size = static_cast<std::size_t>((b[3] & 3) << 11 | b[4] << 3 | b[5] >> 5);
  const int raw_data_blocks = b[6] & 3;
  if (raw_data_blocks != 0 || frame.frame_size <= frame.header_size ||
      !Fits(frame.config.object_type, frame.config.rate_index, frame.config.channel_configuration)) {
    return std::nullopt;
  }
  return frame;
}

}  // namespace clipvane::tools
