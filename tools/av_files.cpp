#include "av_files.h"

#include <filesystem>

#include "tool_files.h"

namespace clipvane::tools {
namespace {

std::string FileUrl(const std::string& path) { return "file:" + path; }

}  // namespace

std::string AvErrorText(int code) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_strerror(code, text, sizeof text);
  return text;
}

Packet NewPacket() {
  Packet packet(av_packet_alloc());
  if (!packet) throw std::bad_alloc();
  return packet;
}

InputFile::~InputFile() { avformat_close_input(&context_); }

bool InputFile::Open(const std::string& path, const char* format, std::string& error) {
  const AVInputFormat* forced = format ? av_find_input_format(format) : nullptr;
  if (format && !forced) {
    error = "this build reads no " + std::string(format) + " streams";
    return false;
  }
  AVDictionary* options = nullptr;
  // A raw stream is read in pieces of this size and cut into frames by the parser;
  // the default of 1 KB costs a call for every kilobyte.
  if (forced) av_dict_set(&options, "raw_packet_size", "262144", 0);
  int status = avformat_open_input(&context_, FileUrl(path).c_str(), forced, &options);
  av_dict_free(&options);
  if (status >= 0) status = avformat_find_stream_info(context_, nullptr);
  if (status < 0) {
    error = "cannot read " + path + ": " + AvErrorText(status);
    return false;
  }
  return true;
}

int InputFile::FirstStream(AVMediaType type) const {
  for (unsigned i = 0; i < context_->nb_streams; ++i)
    if (context_->streams[i]->codecpar->codec_type == type) return static_cast<int>(i);
  return -1;
}

void InputFile::ReadOnly(int stream) {
  for (unsigned i = 0; i < context_->nb_streams; ++i)
    if (static_cast<int>(i) != stream) context_->streams[i]->discard = AVDISCARD_ALL;
}

OutputFile::~OutputFile() {
  if (!context_) return;
  if (context_->pb) avio_closep(&context_->pb);
  avformat_free_context(context_);
  if (!finished_) {
    std::error_code ignored;
    std::filesystem::remove(FsPath(path_), ignored);
  }
}

bool OutputFile::Create(const std::string& path, const char* format, std::string& error) {
  path_ = path;
  int status = avformat_alloc_output_context2(&context_, nullptr, format, FileUrl(path).c_str());
  if (status >= 0) status = avio_open(&context_->pb, FileUrl(path).c_str(), AVIO_FLAG_WRITE);
  if (status < 0) {
    error = "cannot write " + path + ": " + AvErrorText(status);
    return false;
  }
  return true;
}

AVStream* OutputFile::CopyOf(const AVStream& source, AVRational time_base) {
  AVStream* stream = avformat_new_stream(context_, nullptr);
  if (!stream || avcodec_parameters_copy(stream->codecpar, source.codecpar) < 0) throw std::bad_alloc();
  // The tag is the source container's; the muxer chooses its own.
  stream->codecpar->codec_tag = 0;
  stream->time_base = time_base;
  stream->avg_frame_rate = source.avg_frame_rate;
  stream->disposition = source.disposition;
  av_dict_copy(&stream->metadata, source.metadata, 0);
  return stream;
}

bool OutputFile::Start(const char* options, std::string& error) {
  AVDictionary* dictionary = nullptr;
  if (options) av_dict_parse_string(&dictionary, options, "=", ":", 0);
  const int status = avformat_write_header(context_, &dictionary);
  av_dict_free(&dictionary);
  if (status < 0) {
    error = "cannot write " + path_ + ": " + AvErrorText(status);
    return false;
  }
  return true;
}

bool OutputFile::Write(AVPacket& packet, AVRational time_base, std::string& error) {
  av_packet_rescale_ts(&packet, time_base, context_->streams[packet.stream_index]->time_base);
  packet.pos = -1;
  const int status = av_interleaved_write_frame(context_, &packet);
  if (status < 0) {
    error = "cannot write " + path_ + ": " + AvErrorText(status);
    return false;
  }
  return true;
}

bool OutputFile::Finish(std::string& error) {
  int status = av_write_trailer(context_);
  if (status >= 0 && context_->pb->error < 0) status = context_->pb->error;
  const int closed = avio_closep(&context_->pb);
  if (status >= 0) status = closed;
  if (status < 0) {
    error = "cannot write " + path_ + ": " + AvErrorText(status);
    return false;
  }
  finished_ = true;
  return true;
}

}  // namespace clipvane::tools
