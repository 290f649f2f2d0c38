#include "mp4_boxes.h"

#include <algorithm>

namespace clipvane::tools {
namespace {

bool IsOpenedContainer(const std::string& type) {
  static const char* const kContainers[] = {"moov", "trak", "mdia", "minf", "stbl"};
  return std::any_of(std::begin(kContainers), std::end(kContainers), [&type](const char* c) { return type == c; });
}

}  // namespace

Bytes& Bytes::U8(unsigned value) {
  bytes_ += static_cast<char>(value & 0xFF);
  return *this;
}
Bytes& Bytes::U16(unsigned value) { return U8(value >> 8).U8(value); }
Bytes& Bytes::U24(std::uint32_t value) { return U8(value >> 16).U16(value & 0xFFFF); }
Bytes& Bytes::U32(std::uint32_t value) { return U16(value >> 16).U16(value & 0xFFFF); }
Bytes& Bytes::U64(std::uint64_t value) {
  return U32(static_cast<std::uint32_t>(value >> 32)).U32(static_cast<std::uint32_t>(value));
}
Bytes& Bytes::Text(const std::string& text) {
  bytes_ += text;
  return *this;
}
Bytes& Bytes::Zeros(std::size_t count) {
  bytes_.append(count, '\0');
  return *this;
}
Bytes& Bytes::UnityMatrix() {
  return U32(0x00010000).U32(0).U32(0).U32(0).U32(0x00010000).U32(0).U32(0).U32(0).U32(0x40000000);
}

std::uint32_t Be32(const std::string& bytes, std::size_t at) {
  std::uint32_t value = 0;
  for (std::size_t i = 0; i < 4; ++i) value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
  return value;
}

std::uint64_t Be64(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint64_t>(Be32(bytes, at)) << 32 | Be32(bytes, at + 4);
}

void PutBe32(std::string& bytes, std::size_t at, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(value >> (24 - 8 * i));
}

void PutBe64(std::string& bytes, std::size_t at, std::uint64_t value) {
  PutBe32(bytes, at, static_cast<std::uint32_t>(value >> 32));
  PutBe32(bytes, at + 4, static_cast<std::uint32_t>(value));
}

Box* Box::Find(const std::string& child_type) {
  for (Box& child : children)
    if (child.type == child_type) return &child;
  return nullptr;
}

const Box* Box::Find(const std::string& child_type) const { return const_cast<Box*>(this)->Find(child_type); }

void Box::Remove(const std::string& child_type) {
  children.erase(std::remove_if(children.begin(), children.end(),
                                [&child_type](const Box& child) { return child.type == child_type; }),
                 children.end());
}

std::string Box::Serialize() const {
  std::string body = payload;
  if (container) {
    body.clear();
    for (const Box& child : children) body += child.Serialize();
  }
  return BoxHeader(type, body.size()) + body;
}

std::string BoxHeader(const std::string& type, std::uint64_t body_size) {
  Bytes header;
  if (body_size + 8 > 0xFFFFFFFFu) {
    header.U32(1).Text(type).U64(body_size + 16);
  } else {
    header.U32(static_cast<std::uint32_t>(body_size + 8)).Text(type);
  }
  return header.Str();
}

std::optional<std::vector<Box>> ParseBoxes(const std::string& bytes) {
  std::vector<Box> boxes;
  std::size_t at = 0;
  while (at + 8 <= bytes.size()) {
    std::uint64_t size = Be32(bytes, at);
    std::size_t header = 8;
    if (size == 1) {
      if (at + 16 > bytes.size()) return std::nullopt;
      size = Be64(bytes, at + 8);
      header = 16;
    } else if (size == 0) {
      size = bytes.size() - at;
    }
    if (size < header || size > bytes.size() - at) return std::nullopt;
    Box box;
    box.type = bytes.substr(at + 4, 4);
    std::string body = bytes.substr(at + header, static_cast<std::size_t>(size) - header);
    if (IsOpenedContainer(box.type)) {
      auto children = ParseBoxes(body);
      if (!children) return std::nullopt;
      box.children = std::move(*children);
      box.container = true;
    } else {
      box.payload = std::move(body);
    }
    boxes.push_back(std::move(box));
    at += static_cast<std::size_t>(size);
  }
  if (at != bytes.size()) return std::nullopt;
  return boxes;
}

std::string Descriptor(unsigned tag, const std::string& content) {
  const auto length = static_cast<std::uint32_t>(content.size());
  Bytes descriptor;
  descriptor.U8(tag)
      .U8(0x80 | ((length >> 21) & 0x7F))
      .U8(0x80 | ((length >> 14) & 0x7F))
      .U8(0x80 | ((length >> 7) & 0x7F))
      .U8(length & 0x7F);
  return descriptor.Str() + content;
}

}  // namespace clipvane::tools
