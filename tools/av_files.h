#pragma once
#include <memory>
#include <string>

extern "C" {
#include <libavformat/avformat.h>
}

namespace clipvane::tools {

// The stand-ins copy streams between containers through libavformat in their own
// process: starting FFmpeg for a copy would cost more than the copy on a short clip.
// These hold its contexts for the span of one copy. Paths are UTF-8 text, which
// libavformat's file protocol takes on every platform; they are always handed to
// that protocol, so that a name such as "clip:1.m4v" is never read as another one.

// libavformat's words for an error code.
std::string AvErrorText(int code);

struct PacketDeleter {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
using Packet = std::unique_ptr<AVPacket, PacketDeleter>;
Packet NewPacket();

// A container opened for reading with its streams described. `format` forces a
// demuxer ("m4v", "aac") for raw streams, which carry nothing to probe by.
class InputFile {
 public:
  InputFile() = default;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile();
  // False, with the reason in `error`, when it cannot be opened or read. With
  // `header_may_do`, streams that the container's header already describes whole are
  // not read ahead to learn more: a copy needs no more.
  bool Open(const std::string& path, const char* format, std::string& error, bool header_may_do = false);
  AVFormatContext* Context() const { return context_; }
  // The next packet; AVERROR_EOF at the end.
  int Read(AVPacket& packet) { return av_read_frame(context_, &packet); }
  // The first stream of the kind, or -1.
  int FirstStream(AVMediaType type) const;
  // Reads every other stream past unread.
  void ReadOnly(int stream);

 private:
  AVFormatContext* context_ = nullptr;
};

// A file written through the system's own calls, so that a failed write keeps the
// system's reason ("No space left on device") instead of what the C library below
// libavformat makes of it.
class SystemFile;

// A container written to a new file. A file left unfinished is removed, so that a
// failed copy leaves nothing under the name it was given.
class OutputFile {
 public:
  OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  ~OutputFile();
  bool Create(const std::string& path, const char* format, std::string& error);
  // A stream that takes the packets of `source` as they are, counted in `time_base`.
  AVStream* CopyOf(const AVStream& source, AVRational time_base);
  // Writes the header; `options` are the muxer's ("movflags=+faststart").
  bool Start(const char* options, std::string& error);
  // Takes the packet, whose timestamps count in its stream's time base as given to
  // CopyOf; the muxer may count in another, which this converts to.
  bool Write(AVPacket& packet, AVRational time_base, std::string& error);
  bool Finish(std::string& error);

 private:
  std::string Failure(int status) const;

  std::string path_;
  std::unique_ptr<SystemFile> file_;
  AVFormatContext* context_ = nullptr;
  bool finished_ = false;
};

}  // namespace clipvane::tools
