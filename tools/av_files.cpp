#include "av_files.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

#include <filesystem>
#include <system_error>

#include "tool_files.h"

namespace clipvane::tools {
namespace {

std::string FileUrl(const std::string& path) { return "file:" + path; }

// Large blocks: one call to the system per quarter megabyte.
constexpr int kBlock = 256 * 1024;

// Whether the container's header gave all that a stream copy of the stream needs. AAC
// also needs its decoder set-up, which the raw stream's frame headers are made from.
bool Described(const AVStream& stream) {
  const AVCodecParameters& codec = *stream.codecpar;
  if (codec.codec_id == AV_CODEC_ID_NONE) return false;
  switch (codec.codec_type) {
    case AVMEDIA_TYPE_VIDEO: return codec.width > 0 && codec.height > 0;
    case AVMEDIA_TYPE_AUDIO:
      return codec.sample_rate > 0 && codec.ch_layout.nb_channels > 0 &&
             (codec.codec_id != AV_CODEC_ID_AAC || codec.extradata_size > 0);
    default: return true;
  }
}

}  // namespace

class SystemFile {
 public:
  explicit SystemFile(const std::string& path) {
#ifdef _WIN32
    // Readable meanwhile: the fast-start pass reads the file back through its name.
    handle_ = CreateFileW(FsPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) Fail();
#else
    fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd_ < 0) Fail();
#endif
  }
  ~SystemFile() { Close(); }
  SystemFile(const SystemFile&) = delete;
  SystemFile& operator=(const SystemFile&) = delete;

  bool IsOpen() const {
#ifdef _WIN32
    return handle_ != INVALID_HANDLE_VALUE;
#else
    return fd_ >= 0;
#endif
  }
  // False when closing found a failure (or one came before).
  bool Close() {
#ifdef _WIN32
    if (IsOpen() && !CloseHandle(handle_)) Fail();
    handle_ = INVALID_HANDLE_VALUE;
#else
    if (IsOpen() && ::close(fd_) != 0) Fail();
    fd_ = -1;
#endif
    return error_.empty();
  }
  const std::string& Error() const { return error_; }

  static int Write(void* opaque, uint8_t* data, int size) {
    auto& file = *static_cast<SystemFile*>(opaque);
    int done = 0;
    while (done < size) {
#ifdef _WIN32
      DWORD written = 0;
      if (!WriteFile(file.handle_, data + done, static_cast<DWORD>(size - done), &written, nullptr) || written == 0)
        return file.Fail();
#else
      const ssize_t written = ::write(file.fd_, data + done, static_cast<std::size_t>(size - done));
      if (written < 0 && errno == EINTR) continue;
      if (written <= 0) return file.Fail();
#endif
      done += static_cast<int>(written);
    }
    return done;
  }

  static int64_t Seek(void* opaque, int64_t offset, int whence) {
    auto& file = *static_cast<SystemFile*>(opaque);
#ifdef _WIN32
    LARGE_INTEGER position;
    if (whence == AVSEEK_SIZE) return GetFileSizeEx(file.handle_, &position) ? position.QuadPart : file.Fail();
    LARGE_INTEGER distance;
    distance.QuadPart = offset;
    const DWORD method = whence == SEEK_CUR ? FILE_CURRENT : whence == SEEK_END ? FILE_END : FILE_BEGIN;
    return SetFilePointerEx(file.handle_, distance, &position, method) ? position.QuadPart : file.Fail();
#else
    if (whence == AVSEEK_SIZE) {
      const off_t here = ::lseek(file.fd_, 0, SEEK_CUR);
      const off_t end = ::lseek(file.fd_, 0, SEEK_END);
      if (here < 0 || end < 0 || ::lseek(file.fd_, here, SEEK_SET) < 0) return file.Fail();
      return end;
    }
    const off_t position = ::lseek(file.fd_, offset, whence);
    return position < 0 ? file.Fail() : position;
#endif
  }

 private:
  // Keeps the first failure's reason, worded alike on both systems; an error code for
  // libavformat.
  int Fail() {
#ifdef _WIN32
    const DWORD code = GetLastError();
    if (error_.empty())
      error_ = code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL
                   ? std::string("No space left on device")
                   : std::system_category().message(static_cast<int>(code));
#else
    const int code = errno;
    if (error_.empty()) error_ = std::strerror(code);
#endif
    return AVERROR(EIO);
  }

#ifdef _WIN32
  HANDLE handle_ = INVALID_HANDLE_VALUE;
#else
  int fd_ = -1;
#endif
  std::string error_;
};

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

bool InputFile::Open(const std::string& path, const char* format, std::string& error, bool header_may_do) {
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
  bool described = header_may_do && status >= 0;
  for (unsigned i = 0; described && i < context_->nb_streams; ++i) described = Described(*context_->streams[i]);
  // Reading ahead decodes the first frames of every stream, much of a short copy's time.
  if (status >= 0 && !described) status = avformat_find_stream_info(context_, nullptr);
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

OutputFile::OutputFile() = default;

OutputFile::~OutputFile() {
  if (context_) {
    if (context_->pb) av_freep(&context_->pb->buffer);
    avio_context_free(&context_->pb);
    avformat_free_context(context_);
  }
  file_.reset();
  if (!finished_ && !path_.empty()) {
    std::error_code ignored;
    std::filesystem::remove(FsPath(path_), ignored);
  }
}

bool OutputFile::Create(const std::string& path, const char* format, std::string& error) {
  path_ = path;
  int status = avformat_alloc_output_context2(&context_, nullptr, format, FileUrl(path).c_str());
  if (status >= 0) {
    file_ = std::make_unique<SystemFile>(path);
    if (!file_->IsOpen()) {
      error = "cannot write " + path + ": " + file_->Error();
      return false;
    }
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBlock));
    if (buffer)
      context_->pb = avio_alloc_context(buffer, kBlock, 1, file_.get(), nullptr, SystemFile::Write, SystemFile::Seek);
    if (!context_->pb) av_free(buffer);
    if (!context_->pb) throw std::bad_alloc();
    // Otherwise the muxer empties the buffer after every packet: tens of thousands of
    // half-kilobyte writes for a film's sound.
    context_->flush_packets = 0;
  }
  if (status < 0) {
    error = Failure(status);
    return false;
  }
  return true;
}

// The system's reason when the file failed, libavformat's otherwise.
std::string OutputFile::Failure(int status) const {
  const std::string system = file_ ? file_->Error() : std::string();
  return "cannot write " + path_ + ": " + (system.empty() ? AvErrorText(status) : system);
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
    error = Failure(status);
    return false;
  }
  return true;
}

bool OutputFile::Write(AVPacket& packet, AVRational time_base, std::string& error) {
  av_packet_rescale_ts(&packet, time_base, context_->streams[packet.stream_index]->time_base);
  packet.pos = -1;
  const int status = av_interleaved_write_frame(context_, &packet);
  if (status < 0) {
    error = Failure(status);
    return false;
  }
  return true;
}

bool OutputFile::Finish(std::string& error) {
  int status = av_write_trailer(context_);
  avio_flush(context_->pb);
  if (status >= 0 && context_->pb->error < 0) status = context_->pb->error;
  if (!file_->Close() && status >= 0) status = AVERROR(EIO);
  if (status < 0) {
    error = Failure(status);
    return false;
  }
  finished_ = true;
  return true;
}

}  // namespace clipvane::tools
