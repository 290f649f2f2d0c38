// A Windows program linked with the dependency folder's static FFmpeg: it encodes a
// few frames with libavcodec, writes them as an MP4 with libavformat (moov first),
// and reads the file back.
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;
constexpr int kFrames = 5;

struct CodecFree {
  void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameFree {
  void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketFree {
  void operator()(AVPacket* p) const { av_packet_free(&p); }
};

// Encodes grey MPEG-4 frames and muxes them into `path` with +faststart.
void WriteMp4(const std::string& path) {
  const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_MPEG4);
  ASSERT_NE(codec, nullptr);
  std::unique_ptr<AVCodecContext, CodecFree> encoder(avcodec_alloc_context3(codec));
  encoder->width = kWidth;
  encoder->height = kHeight;
  encoder->pix_fmt = AV_PIX_FMT_YUV420P;
  encoder->time_base = {1, 25};
  encoder->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  ASSERT_EQ(avcodec_open2(encoder.get(), codec, nullptr), 0);

  AVFormatContext* raw = nullptr;
  ASSERT_GE(avformat_alloc_output_context2(&raw, nullptr, "mp4", path.c_str()), 0);
  std::unique_ptr<AVFormatContext, decltype(&avformat_free_context)> output(raw, avformat_free_context);
  AVStream* stream = avformat_new_stream(output.get(), nullptr);
  ASSERT_EQ(avcodec_parameters_from_context(stream->codecpar, encoder.get()), 0);
  stream->time_base = encoder->time_base;
  ASSERT_GE(avio_open(&output->pb, path.c_str(), AVIO_FLAG_WRITE), 0);
  AVDictionary* options = nullptr;
  av_dict_set(&options, "movflags", "+faststart", 0);
  ASSERT_GE(avformat_write_header(output.get(), &options), 0);
  av_dict_free(&options);

  std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
  frame->format = AV_PIX_FMT_YUV420P;
  frame->width = kWidth;
  frame->height = kHeight;
  ASSERT_EQ(av_frame_get_buffer(frame.get(), 0), 0);
  std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
  auto drain = [&] {
    while (avcodec_receive_packet(encoder.get(), packet.get()) == 0) {
      av_packet_rescale_ts(packet.get(), encoder->time_base, stream->time_base);
      packet->stream_index = stream->index;
      ASSERT_EQ(av_interleaved_write_frame(output.get(), packet.get()), 0);
    }
  };
  for (int i = 0; i < kFrames; ++i) {
    ASSERT_EQ(av_frame_make_writable(frame.get()), 0);
    for (int plane = 0; plane < 3; ++plane) {
      const int rows = plane == 0 ? kHeight : kHeight / 2;
      for (int y = 0; y < rows; ++y) std::fill_n(frame->data[plane] + y * frame->linesize[plane], frame->linesize[plane], 128);
    }
    frame->pts = i;
    ASSERT_EQ(avcodec_send_frame(encoder.get(), frame.get()), 0);
    drain();
  }
  ASSERT_EQ(avcodec_send_frame(encoder.get(), nullptr), 0);
  drain();
  ASSERT_EQ(av_write_trailer(output.get()), 0);
  avio_closep(&output->pb);
}

TEST(FfmpegLinkTest, WritesAnMp4WithMoovFirstAndReadsItBack) {
  const std::string path =
      (std::filesystem::temp_directory_path() / "clipvane_ffmpeg_link_test.mp4").string();
  WriteMp4(path);
  if (HasFatalFailure()) return;

  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  in.close();
  ASSERT_NE(bytes.find("moov"), std::string::npos);
  EXPECT_LT(bytes.find("moov"), bytes.find("mdat"));

  AVFormatContext* input = nullptr;
  ASSERT_EQ(avformat_open_input(&input, path.c_str(), nullptr, nullptr), 0);
  ASSERT_GE(avformat_find_stream_info(input, nullptr), 0);
  ASSERT_EQ(input->nb_streams, 1u);
  const AVCodecParameters* video = input->streams[0]->codecpar;
  EXPECT_EQ(video->codec_id, AV_CODEC_ID_MPEG4);
  EXPECT_EQ(video->width, kWidth);
  EXPECT_EQ(video->height, kHeight);
  int packets = 0;
  AVPacket* packet = av_packet_alloc();
  while (av_read_frame(input, packet) == 0) {
    ++packets;
    av_packet_unref(packet);
  }
  av_packet_free(&packet);
  avformat_close_input(&input);
  EXPECT_EQ(packets, kFrames);
  std::filesystem::remove(path);
}

}  // namespace
