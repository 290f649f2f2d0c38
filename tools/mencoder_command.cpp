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

}  // namespace

FfmpegCommand BuildFfmpegCommand(const EncodeRequest& request, const PreparedInputs& inputs) {
  FfmpegCommand command;
  std::vector<std::string>& argv = command.argv;
  const bool splits = request.format != OutputFormat::kAvi;
  // The splits' stderr is not redirected by the job scripts: only errors there.
  Append(argv, {inputs.ffmpeg, "-hide_banner", "-nostdin", "-y", "-nostats", "-loglevel", splits ? "error" : "info",
                "-progress", "pipe:1", "-stats_period", "0.5", "-i", inputs.media});

  if (request.format == OutputFormat::kRawVideo) {
    Append(argv, {"-map", "0:v:0", "-an", "-c:v", "copy", "-f", "m4v", request.output});
    return command;
  }
  if (request.format == OutputFormat::kRawAudio) {
    // ADTS carries no timestamps. AAC that was copied from one AVI into another reads
    // back with repeated ones (FFmpeg writes such a stream without its frame size),
    // so the packets are simply numbered rather than warned about one by one.
    Append(argv, {"-map", "0:a:0", "-vn", "-c:a", "copy", "-bsf:a", "setts=ts=N", "-f", "adts", request.output});
    return command;
  }

  Append(argv, {"-map", "0:v:0"});
  if (!request.no_sound) Append(argv, {"-map", "0:a:0?"});

  if (request.video == VideoCodec::kCopy) {
    Append(argv, {"-c:v", "copy"});
  } else {
    const auto [filters, size] = VideoFilters(request, inputs);
    Append(argv, {"-vf", filters});
    std::string encoder = "mpeg4";
    std::string fourcc = request.fourcc;
    if (request.video == VideoCodec::kXvid) {
      if (fourcc.empty()) fourcc = "XVID";
      // FFmpeg's Xvid wrapper refuses odd picture sizes; its own MPEG-4 Part 2
      // encoder writes the same kind of stream at exactly the planned size.
      if (!inputs.has_xvid) {
        command.notes.push_back("this FFmpeg has no Xvid encoder: MPEG-4 Part 2 through FFmpeg's own encoder");
      } else if (size.width % 2 == 0 && size.height % 2 == 0) {
        encoder = "libxvid";
      } else {
        command.notes.push_back("odd picture size " + std::to_string(size.width) + "x" + std::to_string(size.height) +
                                ": MPEG-4 Part 2 through FFmpeg's own encoder instead of Xvid");
      }
    } else if (fourcc.empty()) {
      fourcc = "FMP4";
    }
    Append(argv, {"-c:v", encoder, "-bf", "0", "-vtag", fourcc});
    if (encoder == "mpeg4") Append(argv, {"-g", "250"});
    if (request.video_bitrate > 0) Append(argv, {"-b:v", std::to_string(request.video_bitrate)});
    if (request.HasFilter(VideoFilter::Kind::kHardDup)) Append(argv, {"-fps_mode", "cfr"});
  }
  if (request.threads > 0) Append(argv, {"-threads", std::to_string(request.threads)});

  if (request.no_sound) {
    Append(argv, {"-an"});
  } else if (request.audio == AudioCodec::kCopy) {
    Append(argv, {"-c:a", "copy"});
  } else {
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
  Append(argv, {"-f", "avi", request.output});
  return command;
}

}  // namespace clipvane::tools
