#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace clipvane::tools {

// Big-endian fields appended to a byte string, as MP4 boxes hold them.
class Bytes {
 public:
  Bytes& U8(unsigned value);
  Bytes& U16(unsigned value);
  Bytes& U24(std::uint32_t value);
  Bytes& U32(std::uint32_t value);
  Bytes& U64(std::uint64_t value);
  Bytes& Text(const std::string& text);
  Bytes& Zeros(std::size_t count);
  // A version and flags word, as every full box starts.
  Bytes& Full(unsigned version, std::uint32_t flags) { return U8(version).U24(flags); }
  // The unity transformation of movie and track headers.
  Bytes& UnityMatrix();
  const std::string& Str() const { return bytes_; }

 private:
  std::string bytes_;
};

std::uint32_t Be32(const std::string& bytes, std::size_t at);
std::uint64_t Be64(const std::string& bytes, std::size_t at);
void PutBe32(std::string& bytes, std::size_t at, std::uint32_t value);
void PutBe64(std::string& bytes, std::size_t at, std::uint64_t value);

// The size and type that open a box of `body_size` bytes; a large size when the
// box does not fit 32 bits.
std::string BoxHeader(const std::string& type, std::uint64_t body_size);

// An MP4 box: a leaf keeps its bytes, a container its boxes. Only the containers on
// the way to a sample table are opened; everything else is kept as it was read.
struct Box {
  std::string type;
  std::string payload;
  std::vector<Box> children;
  bool container = false;

  static Box Leaf(const std::string& type, std::string payload) { return {type, std::move(payload), {}, false}; }
  // A leaf whose payload starts with a full box's version and flags.
  static Box FullLeaf(const std::string& type, unsigned version, std::uint32_t flags, const std::string& rest) {
    return Leaf(type, Bytes().Full(version, flags).Str() + rest);
  }
  static Box Container(const std::string& type, std::vector<Box> children) {
    return {type, "", std::move(children), true};
  }
  Box* Find(const std::string& child_type);
  const Box* Find(const std::string& child_type) const;
  void Remove(const std::string& child_type);
  std::string Serialize() const;
};

// The boxes in `bytes`; nothing when a size does not fit.
std::optional<std::vector<Box>> ParseBoxes(const std::string& bytes);

// An MPEG-4 descriptor (ES, decoder configuration, decoder-specific or SL), its
// length written in four bytes as is usual in MP4 files.
std::string Descriptor(unsigned tag, const std::string& content);

}  // namespace clipvane::tools
