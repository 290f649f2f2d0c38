#include "mencoder_command.h"

#include <cmath>
#include <utility>

namespace clipvane::tools {
namespace {

// FFmpeg's SAMI reader writes its subtitles for a 384 x 288 script canvas, which
// libass then scales to the picture; style values are given in that canvas.
constexpr double kSamiCanvasHeight = 288;

struct Size {
  int width = 0, height = 0;
};

const char* ScalerFlags(int sws) {
  static const char* const kFlags[] = {"fast_bilinear", "bilinear", "bicubic", "experimental",
                                       "neighbor",      "area",     "bicublin", "gauss",
                                       "sinc",          "lanczos",  "spline"};
  return kFlags[sws];
}

std::string Centred(int offset, const char* expression) {
  return offset >= 0 ? std::to_string(offset) : expression;
}

std::string SubtitleFilter(const SubtitleOptions& options, const PreparedInputs& inputs, Size frame) {
  const double height = frame.height > 0 ? frame.height : 320;
  const double width = frame.width > 0 ? frame.width : height * 1.5;
  // The text height is a share of the picture diagonal, as the -subfont-text-scale
  // default of proportional scaling has it; the bottom of the text sits at -subpos
  // percent of the height.
  const double font_pixels = options.text_scale / 100.0 * std::sqrt(width * width + height * height);
  const double to_canvas = kSamiCanvasHeight / height;
  std::string style = "Alignment=2,BorderStyle=1,Shadow=0";
  style += ",FontSize=" + std::to_string(std::lround(font_pixels * to_canvas));
  style += ",Outline=" + std::to_string(std::lround(options.outline * to_canvas));
  // -subfont-blur has no style field in libass: the outline edge stays sharp.
  style += ",MarginV=" + std::to_string(std::lround((100 - options.position) / 100.0 * kSamiCanvasHeight));
  if (!inputs.font_family.empty()) style += ",FontName=" + inputs.font_family;
  std::string filter = "subtitles=filename=" + EscapeFilterValue(inputs.sami);
  if (!inputs.fonts_dir.empty()) filter += ":fontsdir=" + EscapeFilterValue(inputs.fonts_dir);
  return filter + ":force_style=" + EscapeFilterValue(style);
}

// The video filter chain in command-line order, and the picture size it ends with.
std::pair<std::string, Size> VideoFilters(const EncodeRequest& request, const PreparedInputs& inputs) {
  std::vector<std::string> chain;
  Size size{inputs.facts.width, inputs.facts.height};
  // TextSub draws on the source picture, before anything else happens to it.
  if (!inputs.ssa.empty()) {
    chain.push_back("ass=filename=" + EscapeFilterValue(inputs.ssa) +
                    (inputs.fonts_dir.empty() ? "" : ":fontsdir=" + EscapeFilterValue(inputs.fonts_dir)));
  }
  if (request.output_rate && request.output_rate->num > 0) chain.push_back("fps=" + request.output_rate->Text());
  bool subtitles_drawn = false;
  for (const VideoFilter& filter : request.filters) {
    switch (filter.kind) {
      case VideoFilter::Kind::kCrop:
        chain.push_back("crop=w=" + std::to_string(filter.width) + ":h=" + std::to_string(filter.height) +
                        ":x=" + Centred(filter.x, "(in_w-out_w)/2") + ":y=" + Centred(filter.y, "(in_h-out_h)/2"));
        size = {filter.width, filter.height};
        break;
      case VideoFilter::Kind::kScale:
        chain.push_back("scale=w=" + std::to_string(filter.width) + ":h=" + std::to_string(filter.height) +
                        ":flags=" + ScalerFlags(request.scaler));
        size = {filter.width, filter.height};
        break;
      case VideoFilter::Kind::kExpand:
        // A frame as large as the picture adds no border; leaving the pad out also
        // keeps odd sizes, which the pad filter would round down.
        if (filter.width != size.width || filter.height != size.height) {
          chain.push_back("pad=w=" + std::to_string(filter.width) + ":h=" + std::to_string(filter.height) +
                          ":x=" + Centred(filter.x, "(ow-iw)/2") + ":y=" + Centred(filter.y, "(oh-ih)/2") +
                          ":color=black");
          size = {filter.width, filter.height};
        }
        if (filter.draw_subtitles && request.subtitles && !subtitles_drawn) {
          chain.push_back(SubtitleFilter(*request.subtitles, inputs, size));
          subtitles_drawn = true;
        }
        break;
      case VideoFilter::Kind::kRotate: {
        // Same numbering as the transpose filter: 1 clockwise, 2 counter-clockwise;
        // 4 to 7 turn only portrait pictures.
        const bool portrait_only = filter.rotation >= 4;
        chain.push_back("transpose=dir=" + std::to_string(filter.rotation % 4) +
                        (portrait_only ? ":passthrough=landscape" : ""));
        if (!portrait_only || size.height > size.width) std::swap(size.width, size.height);
        break;
      }
      case VideoFilter::Kind::kHardDup:
        break;  // constant frame rate output, set below
      case VideoFilter::Kind::kDenoise:
        chain.push_back(filter.denoise_parameters.empty() ? "hqdn3d" : "hqdn3d=" + filter.denoise_parameters);
        break;
    }
  }
  if (request.subtitles && !subtitles_drawn) chain.push_back(SubtitleFilter(*request.subtitles, inputs, size));
  // The players show pixels square, as the stand-in's AVI has no aspect of its own.
  chain.push_back("setsar=1");
  std::string joined;
  for (const std::string& filter : chain) joined += (joined.empty() ? "" : ",") + filter;
  return {joined, size};
}

void Append(std::vector<std::string>& argv, std::initializer_list<std::string> args) {
  argv.insert(argv.end(), args);
}

// The picture's filters and encoder options, and the tag the AVI gives it. The AAC
// encoder stamps its first packet before zero, and an AVI's sound has no time
// stamps to move; so the file's timeline is left as it is (-avoid_negative_ts
// disabled) rather than shifted for it, which would leave a hole after the first
// picture.
struct VideoEncode {
  std::vector<std::string> args;
  std::string fourcc;
};

VideoEncode VideoEncodeOptions(const EncodeRequest& request, const PreparedInputs& inputs,
                               std::vector<std::string>& notes) {
  VideoEncode encode;
  std::vector<std::string>& args = encode.args;
  const auto [filters, size] = VideoFilters(request, inputs);
  Append(args, {"-vf", filters});
  std::string encoder = "mpeg4";
  encode.fourcc = request.fourcc;
  if (request.video == VideoCodec::kXvid) {
    if (encode.fourcc.empty()) encode.fourcc = "XVID";
    // FFmpeg's Xvid wrapper refuses odd picture sizes; its own MPEG-4 Part 2
    // encoder writes the same kind of stream at exactly the planned size.
    if (!inputs.has_xvid) {
      notes.push_back("this FFmpeg has no Xvid encoder: MPEG-4 Part 2 through FFmpeg's own encoder");
    } else if (size.width % 2 == 0 && size.height % 2 == 0) {
      encoder = "libxvid";
    } else {
      notes.push_back("odd picture size " + std::to_string(size.width) + "x" + std::to_string(size.height) +
                      ": MPEG-4 Part 2 through FFmpeg's own encoder instead of Xvid");
    }
  } else if (encode.fourcc.empty()) {
    encode.fourcc = "FMP4";
  }
  Append(args, {"-c:v", encoder, "-bf", "0"});
  if (encoder == "mpeg4") Append(args, {"-g", "250"});
  if (request.video_bitrate > 0) Append(args, {"-b:v", std::to_string(request.video_bitrate)});
  if (request.HasFilter(VideoFilter::Kind::kHardDup)) Append(args, {"-fps_mode", "cfr"});
  if (request.threads > 0) Append(args, {"-threads", std::to_string(request.threads)});
  return encode;
}

void AppendAudioEncode(std::vector<std::string>& argv, const EncodeRequest& request) {
  Append(argv, {"-c:a", "aac", "-profile:a", "aac_low"});
  if (request.audio_bitrate > 0) Append(argv, {"-b:a", std::to_string(request.audio_bitrate)});
  if (request.sample_rate > 0) Append(argv, {"-ar", std::to_string(request.sample_rate)});
  std::string audio_filters;
  // Without -mc 0, sound is stretched or squeezed to its timestamps as the
  // encoder's own A-V correction would.
  if (request.sync_correction) audio_filters = "aresample=async=1";
  if (request.normalise_volume) audio_filters += std::string(audio_filters.empty() ? "" : ",") + "dynaudnorm";
  if (!audio_filters.empty()) Append(argv, {"-af", audio_filters});
}

}  // namespace

FfmpegCommand BuildFfmpegCommand(const EncodeRequest& request, const PreparedInputs& inputs, EncoderLayout layout) {
  FfmpegCommand command;
  const auto start = [&inputs](const std::string& loglevel, bool reports) {
    std::vector<std::string> argv{inputs.ffmpeg, "-hide_banner", "-nostdin", "-y", "-nostats", "-loglevel", loglevel};
    if (reports) Append(argv, {"-progress", "pipe:1", "-stats_period", "0.5"});
    return argv;
  };

  const bool encodes_video = request.EncodesVideo();
  const bool encodes_audio = !request.no_sound && request.audio == AudioCodec::kAac;
  if (layout == EncoderLayout::kSideBySide && encodes_video && encodes_audio) {
    const VideoEncode video = VideoEncodeOptions(request, inputs, command.notes);
    std::vector<std::string> picture = start("warning", false);
    Append(picture, {"-i", inputs.media, "-map", "0:v:0"});
    picture.insert(picture.end(), video.args.begin(), video.args.end());
    Append(picture, {"-an", "-f", "avi", "pipe:1"});

    std::vector<std::string> sound = start("info", true);
    // The sound's source comes first, so that its length is the one reported.
    Append(sound, {"-i", inputs.media, "-thread_queue_size", "64", "-f", "avi", "-i", "pipe:0", "-map", "1:v:0",
                   "-map", "0:a:0?", "-c:v", "copy", "-vtag", video.fourcc});
    AppendAudioEncode(sound, request);
    Append(sound, {"-avoid_negative_ts", "disabled", "-f", "avi", inputs.output});
    command.children = {picture, sound};
    return command;
  }

  std::vector<std::string> argv = start("info", true);
  Append(argv, {"-i", inputs.media, "-map", "0:v:0"});
  if (!request.no_sound) Append(argv, {"-map", "0:a:0?"});
  if (request.video == VideoCodec::kCopy) {
    Append(argv, {"-c:v", "copy"});
    if (request.threads > 0) Append(argv, {"-threads", std::to_string(request.threads)});
  } else {
    const VideoEncode video = VideoEncodeOptions(request, inputs, command.notes);
    argv.insert(argv.end(), video.args.begin(), video.args.end());
    Append(argv, {"-vtag", video.fourcc, "-avoid_negative_ts", "disabled"});
  }
  if (request.no_sound) {
    Append(argv, {"-an"});
  } else if (request.audio == AudioCodec::kCopy) {
    Append(argv, {"-c:a", "copy"});
  } else {
    AppendAudioEncode(argv, request);
  }
  Append(argv, {"-f", "avi", inputs.output});
  command.children.push_back(argv);
  return command;
}

}  // namespace clipvane::tools
