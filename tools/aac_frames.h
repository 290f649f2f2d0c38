#pragma once
#include <cstddef>
#include <optional>
#include <string>

namespace clipvane::tools {

// AAC as the MP4 and AVI files describe it (an AudioSpecificConfig) and as a raw
// ADTS stream frames it. Only what fits an ADTS header is taken: AAC Main, LC, SSR
// or LTP at a listed sample rate, with a channel configuration of 1 to 7.
struct AacConfig {
  int object_type = 2;  // 2: low complexity
  int rate_index = 3;   // 3: 48 kHz
  int channel_configuration = 2;

  int SampleRate() const;
  int Channels() const;
  std::string AudioSpecificConfig() const;  // the two bytes
  std::string AdtsHeader(std::size_t payload_size) const;
};

std::optional<AacConfig> ParseAudioSpecificConfig(const std::string& bytes);

// One ADTS frame header at the start of `bytes`: the stream's configuration, and
// the header and whole frame sizes. Nothing for a header this reader does not take
// (no sync word, more than one raw data block, a configuration ADTS cannot carry).
struct AdtsFrame {
  AacConfig config;
  std::size_t header_size = 7;
  std::size_t frame_size = 0;
};
std::optional<AdtsFrame> ParseAdtsHeader(const unsigned char* bytes, std::size_t available);

}  // namespace clipvane::tools
