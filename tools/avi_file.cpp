#include "avi_file.h"

#include <algorithm>

#include "tool_files.h"

namespace clipvane::tools {
namespace {

std::uint32_t Le32(const char* bytes) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes);
  return b[0] | b[1] << 8 | b[2] << 16 | static_cast<std::uint32_t>(b[3]) << 24;
}

std::uint16_t Le16(const char* bytes) {
  const auto* b = reinterpret_cast<const unsigned char*>(bytes);
  return static_cast<std::uint16_t>(b[0] | b[1] << 8);
}

struct ChunkHeader {
  std::string id;
  std::uint64_t size = 0;
};

bool ReadHeader(std::ifstream& in, ChunkHeader& header) {
  char bytes[8];
  if (!in.read(bytes, sizeof bytes)) return false;
  header.id.assign(bytes, 4);
  header.size = Le32(bytes + 4);
  return true;
}

std::string ReadId(std::ifstream& in) {
  char bytes[4];
  return in.read(bytes, sizeof bytes) ? std::string(bytes, 4) : std::string();
}

// "01wb" belongs to stream 1; index and padding chunks belong to none.
int StreamOfChunk(const std::string& id) {
  if (id.size() != 4 || id[0] < '0' || id[0] > '9' || id[1] < '0' || id[1] > '9') return -1;
  const std::string kind = id.substr(2);
  if (kind != "dc" && kind != "db" && kind != "wb") return -1;
  return (id[0] - '0') * 10 + (id[1] - '0');
}

}  // namespace

std::string AviStream::VideoFourcc() const {
  // BITMAPINFOHEADER: biSize, biWidth, biHeight, biPlanes, biBitCount, biCompression.
  return type == "vids" && format.size() >= 20 ? format.substr(16, 4) : "";
}

std::uint16_t AviStream::AudioTag() const { return type == "auds" && format.size() >= 2 ? Le16(format.data()) : 0; }

std::string AviStream::AudioCodecData() const {
  // WAVEFORMATEX: 18 bytes, the last two counting the codec data that follows.
  if (type != "auds" || format.size() < 18) return "";
  const std::size_t length = std::min<std::size_t>(Le16(format.data() + 16), format.size() - 18);
  return format.substr(18, length);
}

bool AviReader::Open(const std::string& path, std::string& error) {
  path_ = path;
  in_.open(FsPath(path), std::ios::binary);
  if (!in_) {
    error = "cannot open " + path;
    return false;
  }
  in_.seekg(0, std::ios::end);
  size_ = static_cast<std::uint64_t>(in_.tellg());
  in_.seekg(0);
  // The first RIFF, then any AVIX extensions that follow it, each with its lists.
  std::uint64_t riff_start = 0;
  while (riff_start + 12 <= size_) {
    in_.seekg(static_cast<std::streamoff>(riff_start));
    ChunkHeader riff;
    const bool read = ReadHeader(in_, riff);
    if (!read || riff.id != "RIFF" || ReadId(in_) != (riff_start == 0 ? "AVI " : "AVIX")) {
      if (riff_start != 0) break;
      error = path + " is not an AVI file";
      return false;
    }
    // A size that runs past the end (a file written to a pipe) means "to the end".
    const std::uint64_t end = riff.size == 0 || riff_start + 8 + riff.size > size_ ? size_ : riff_start + 8 + riff.size;
    std::uint64_t at = riff_start + 12;
    while (at + 8 <= end) {
      in_.seekg(static_cast<std::streamoff>(at));
      ChunkHeader chunk;
      if (!ReadHeader(in_, chunk)) break;
      const std::uint64_t chunk_end = std::min(end, at + 8 + chunk.size + (chunk.size & 1));
      if (chunk.id == "LIST") {
        const std::string list = ReadId(in_);
        if (list == "hdrl" && !ReadHeaderList(chunk_end, error)) return false;
        if (list == "movi") movies_.emplace_back(at + 12, chunk.size == 0 ? end : chunk_end);
      }
      at = chunk_end;
    }
    riff_start = end + (end & 1);
  }
  if (streams_.empty()) {
    error = path + " has no stream header";
    return false;
  }
  in_.clear();
  return true;
}

bool AviReader::ReadHeaderList(std::uint64_t end, std::string& error) {
  std::uint64_t at = static_cast<std::uint64_t>(in_.tellg());
  while (at + 8 <= end) {
    in_.seekg(static_cast<std::streamoff>(at));
    ChunkHeader chunk;
    if (!ReadHeader(in_, chunk)) break;
    const std::uint64_t chunk_end = std::min(end, at + 8 + chunk.size + (chunk.size & 1));
    if (chunk.id == "LIST" && ReadId(in_) == "strl") {
      AviStream stream;
      std::uint64_t inner = at + 12;
      while (inner + 8 <= chunk_end) {
        in_.seekg(static_cast<std::streamoff>(inner));
        ChunkHeader part;
        if (!ReadHeader(in_, part)) break;
        std::string bytes(static_cast<std::size_t>(std::min<std::uint64_t>(part.size, chunk_end - inner - 8)), '\0');
        if (!in_.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) break;
        if (part.id == "strh" && bytes.size() >= 28) {
          stream.type = bytes.substr(0, 4);
          stream.scale = Le32(bytes.data() + 20);
          stream.rate = Le32(bytes.data() + 24);
        } else if (part.id == "strf") {
          stream.format = bytes;
        }
        inner += 8 + part.size + (part.size & 1);
      }
      if (stream.type.empty()) {
        error = "a stream of the AVI file has no header";
        return false;
      }
      streams_.push_back(stream);
    }
    at = chunk_end;
  }
  return true;
}

int AviReader::FirstOf(const std::string& type) const {
  for (std::size_t i = 0; i < streams_.size(); ++i)
    if (streams_[i].type == type) return static_cast<int>(i);
  return -1;
}

bool AviReader::ForEachChunk(int stream, const ChunkReader& take, std::string& error) {
  // Front to back in large blocks: the chunks of the other streams are read past
  // rather than sought over, which costs less than a seek for each.
  BlockReader reader(path_);
  for (const auto& [start, end] : movies_) {
    reader.Seek(start);
    while (reader.Position() + 8 <= end) {
      std::size_t available = 0;
      const unsigned char* header = reader.Peek(8, available);
      if (available < 8) break;
      const std::string id(reinterpret_cast<const char*>(header), 4);
      const std::uint64_t size = Le32(reinterpret_cast<const char*>(header) + 4);
      if (id == "LIST") {
        reader.Skip(12);  // a 'rec ' group: its chunks follow in line
        continue;
      }
      if (reader.Position() + 8 + size > size_) {
        error = "the AVI file ends inside a chunk";
        return false;
      }
      if (StreamOfChunk(id) == stream) {
        const unsigned char* chunk = reader.Peek(static_cast<std::size_t>(8 + size), available);
        if (available < 8 + size) {
          error = "cannot read the AVI file";
          return false;
        }
        if (!take(chunk + 8, static_cast<std::size_t>(size))) return true;
      }
      reader.Skip(static_cast<std::size_t>(8 + size + (size & 1)));
    }
  }
  return true;
}

}  // namespace clipvane::tools
