#include "mencoder_command.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <utility>

namespace clipvane::tools {
namespace {

// FFmpeg's SAMI and SRT readers write their subtitles for a 384 x 288 script canvas, which
// libass then scales to the picture; style values are given in that canvas.
constexpr double kSamiCanvasHeight = 288;

struct Size {
  int width = 0, height = 0;
};

const char* ScalerFlags(int sws) {
  static const char* const kFlags[] = {"fast_bilinear", "bilinear", "bicubic", "experimental", "neighbor", "area",
                                       "bicublin",      "gauss",    "sinc",    "lanczos",      "spline"};
  return kFlags[sws];
}

std::string Centred(int offset, const char* expression) { return offset >= 0 ? std::to_string(offset) : expression; }

std::string SubtitleFilter(const SubtitleOptions& options, const PreparedInputs& inputs, Size frame) {
  std::string filter = "subtitles=filename=" + EscapeFilterValue(inputs.subtitles);
  if (inputs.subtitle_track >= 0) filter += ":si=" + std::to_string(inputs.subtitle_track);
  if (!inputs.fonts_dir.empty()) filter += ":fontsdir=" + EscapeFilterValue(inputs.fonts_dir);
  // An ASS script's styles are its author's: fonts, colours and places stand.
  if (inputs.subtitles_styled)
    return inputs.styled_font.empty() ? filter
                                      : filter + ":force_style=" + EscapeFilterValue("FontName=" + inputs.styled_font);
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
  return filter + ":force_style=" + EscapeFilterValue(style);
}

// Whether a rotate filter after `index` turns a picture of this size by a quarter.
bool TurnFollows(const std::vector<VideoFilter>& filters, std::size_t index, Size size) {
  for (std::size_t later = index + 1; later < filters.size(); ++later) {
    if (filters[later].kind != VideoFilter::Kind::kRotate) continue;
    // 4 to 7 turn only a portrait picture.
    return filters[later].rotation < 4 || size.height > size.width;
  }
  return false;
}

// The frame an expand gives a picture. The job scripts give the nano's 320 x 240
// frame as the device shows it, also for a portrait picture that is turned only
// after the expand: a frame that holds the picture only the other way round is meant
// for it that way round, and the turn then makes it the device's. Like the encoder's
// own expand, the frame never cuts into the picture.
Size ExpandedFrame(const VideoFilter& expand, Size picture, bool turn_follows) {
  Size frame{expand.width, expand.height};
  const auto holds = [&picture](Size f) { return f.width >= picture.width && f.height >= picture.height; };
  if (turn_follows && !holds(frame) && holds({frame.height, frame.width})) std::swap(frame.width, frame.height);
  return {std::max(frame.width, picture.width), std::max(frame.height, picture.height)};
}

// The video filter chain in command-line order, and the picture size it ends with.
std::pair<std::string, Size> VideoFilters(const EncodeRequest& request, const PreparedInputs& inputs,
                                          std::vector<std::string>& notes) {
  std::vector<std::string> chain;
  Size size{inputs.facts.width, inputs.facts.height};
  // Subtitles are drawn in the colours of the picture they end up in.
  const ColourFilters colours = ToBt709(inputs.facts, inputs.has_zscale, notes);
  if (!colours.first.empty()) chain.push_back(colours.first);
  // TextSub draws on the source picture, before anything else happens to it.
  if (!inputs.ssa.empty()) {
    chain.push_back("ass=filename=" + EscapeFilterValue(inputs.ssa) +
                    (inputs.fonts_dir.empty() ? "" : ":fontsdir=" + EscapeFilterValue(inputs.fonts_dir)));
  }
  if (request.output_rate && request.output_rate->num > 0) chain.push_back("fps=" + request.output_rate->Text());
  bool subtitles_drawn = false;
  for (std::size_t index = 0; index < request.filters.size(); ++index) {
    const VideoFilter& filter = request.filters[index];
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
      case VideoFilter::Kind::kExpand: {
        const Size frame = ExpandedFrame(filter, size, TurnFollows(request.filters, index, size));
        // A frame as large as the picture adds no border; leaving the pad out also
        // keeps odd sizes, which the pad filter would round down.
        if (frame.width != size.width || frame.height != size.height) {
          chain.push_back("pad=w=" + std::to_string(frame.width) + ":h=" + std::to_string(frame.height) + ":x=" +
                          Centred(filter.x, "(ow-iw)/2") + ":y=" + Centred(filter.y, "(oh-ih)/2") + ":color=black");
          size = frame;
        }
        if (filter.draw_subtitles && request.subtitles && !subtitles_drawn && !inputs.subtitles.empty()) {
          chain.push_back(SubtitleFilter(*request.subtitles, inputs, size));
          subtitles_drawn = true;
        }
        break;
      }
      case VideoFilter::Kind::kRotate: {
        // Same numbering as the transpose filter: 1 clockwise, 2 counter-clockwise;
        // 4 to 7 turn only portrait pictures.
        const bool portrait_only = filter.rotation >= 4;
        chain.push_back("transpose=dir=" + std::to_string(filter.rotation % 4) +
                        (portrait_only ? ":passthrough=landscape" : ""));
        if (!portrait_only || size.height > size.width) std::swap(size.width, size.height);
        break;
      }
      case VideoFilter::Kind::kHardDup: break;  // constant frame rate output, set below
      case VideoFilter::Kind::kDenoise:
        chain.push_back(filter.denoise_parameters.empty() ? "hqdn3d" : "hqdn3d=" + filter.denoise_parameters);
        break;
    }
  }
  if (request.subtitles && !subtitles_drawn && !inputs.subtitles.empty())
    chain.push_back(SubtitleFilter(*request.subtitles, inputs, size));
  if (!colours.last.empty()) chain.push_back(colours.last);
  // The AVI begins with the first picture, whose sound is aligned to it (SoundFilters);
  // left where it was, a picture that starts after the sound would be held still from
  // the file's start. Only now, so that subtitles are timed on the source's own clock.
  chain.push_back("setpts=PTS-STARTPTS");
  // The players show pixels square, as the stand-in's AVI has no aspect of its own.
  chain.push_back("setsar=1");
  std::string joined;
  for (const std::string& filter : chain) joined += (joined.empty() ? "" : ",") + filter;
  return {joined, size};
}

void Append(std::vector<std::string>& argv, std::initializer_list<std::string> args) { argv.insert(argv.end(), args); }

// Whether the source's picture goes into an AVI as it is: stored as it is shown, in a
// codec that an AVI carries and FFmpeg reads back from one. An unknown codec is tried.
bool AviTakesAsItIs(const SourceFacts& facts) {
  static const char* const kCarried[] = {"mpeg4",      "msmpeg4v1",  "msmpeg4v2", "msmpeg4v3", "h264",
                                         "mpeg1video", "mpeg2video", "mjpeg",     "wmv1",      "wmv2",
                                         "h263",       "flv1",       "rawvideo",  "dvvideo"};
  // An AVI keeps no colours: the next encode would take a high dynamic range picture for
  // an ordinary one.
  if (facts.turned || facts.Hdr()) return false;
  return facts.video_codec.empty() ||
         std::find(std::begin(kCarried), std::end(kCarried), facts.video_codec) != std::end(kCarried);
}

// The picture's filters and encoder options, and the tag the AVI gives it. The AAC
// encoder stamps its first packet before zero, and an AVI's sound has no time
// stamps to move; so the file's timeline is left as it is (-avoid_negative_ts
// disabled) rather than shifted for it, which would leave a hole after the first
// picture.
struct VideoEncode {
  std::string map = "0:v:0";  // the picture encoded: the source's, or the filter graph's
  std::vector<std::string> args;
  std::string fourcc;
  Size size;
};

VideoEncode VideoEncodeOptions(const EncodeRequest& request, const PreparedInputs& inputs,
                               std::vector<std::string>& notes) {
  VideoEncode encode;
  std::vector<std::string>& args = encode.args;
  const auto [filters, size] = VideoFilters(request, inputs, notes);
  encode.size = size;
  const auto filter_args = [&encode, &inputs](const std::string& chain) -> std::vector<std::string> {
    if (inputs.picture_subtitle_track < 0) return {"-vf", chain};
    // A picture track is drawn on the source's picture, as the encoder's own subtitles
    // are, before crop and scale; its canvas (a DVB track's 720 x 576) is stretched
    // over the whole picture, as a player shows it.
    encode.map = "[picture]";
    const std::string track = "[0:s:" + std::to_string(inputs.picture_subtitle_track) + "]";
    return {"-filter_complex", track + "[0:v:0]scale2ref=w=main_w:h=main_h[track][source];" +
                                   "[source][track]overlay=eof_action=pass," + chain + "[picture]"};
  };
  if (request.video == VideoCodec::kX264) {
    // 8-bit 4:2:0 whatever the source, as the profiles the players decode take it.
    for (const std::string& arg : filter_args(filters + ",format=yuv420p")) args.push_back(arg);
    Append(args, {"-c:v", "libx264"});
    // Said in the stream itself, which the MP4 then keeps.
    Append(args, {"-color_primaries", "bt709", "-color_trc", "bt709", "-colorspace", "bt709"});
    encode.fourcc = request.fourcc.empty() ? "H264" : request.fourcc;
    const X264Options& x264 = request.x264;
    if (!x264.preset.empty()) Append(args, {"-preset", x264.preset});
    if (x264.crf > 0) {
      char crf[32];
      std::snprintf(crf, sizeof crf, "%g", x264.crf);
      Append(args, {"-crf", crf});
    }
    if (!x264.profile.empty()) Append(args, {"-profile:v", x264.profile});
    if (x264.level > 0)
      Append(args, {"-level:v", std::to_string(x264.level / 10) + "." + std::to_string(x264.level % 10)});
    if (x264.vbv_maxrate > 0) Append(args, {"-maxrate", std::to_string(x264.vbv_maxrate) + "k"});
    if (x264.vbv_bufsize > 0) Append(args, {"-bufsize", std::to_string(x264.vbv_bufsize) + "k"});
    if (request.video_bitrate > 0) Append(args, {"-b:v", std::to_string(request.video_bitrate)});
    // x264 picks its own threads for the machine; -lavcopts threads is lavc's.
    if (request.HasFilter(VideoFilter::Kind::kHardDup)) Append(args, {"-fps_mode", "cfr"});
    return encode;
  }
  for (const std::string& arg : filter_args(filters)) args.push_back(arg);
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

// The sound aligned to the first picture, which the AVI begins with: the raw streams
// that the MP4 is made of keep no timestamps, so the sound's own first sample must be
// the one heard with the first picture. Sound from before the first picture is cut
// off; sound that starts after it gets silence before it, as long as the source's
// sound waits. Both on FFmpeg's timeline of the file, in the decoded sound's own
// timestamps, so that an encoder's priming samples, which the decoder drops, count
// for nothing. Without -mc 0 the sound is also stretched or squeezed to its
// timestamps later on, as the encoder's own A-V correction would; with it only the
// start is aligned (a day is more than any film's drift).
std::string SoundFilters(const EncodeRequest& request, double picture_lead) {
  std::string filters;
  if (picture_lead > 0) {
    char lead[32];
    std::snprintf(lead, sizeof lead, "%.6f", picture_lead);
    filters = std::string("atrim=start=") + lead + ",asetpts=PTS-" + lead + "/TB,";
  }
  filters += "aresample=async=1:first_pts=0";
  if (!request.sync_correction) filters += ":min_hard_comp=86400";
  if (request.normalise_volume) filters += ",dynaudnorm";
  return filters;
}

// The sound the AVI gets: the source's chosen track (-aid, the first unless told), or silence as long as the source
// for one without sound (screen recordings, timelapses), so that every MP4 has the
// sound track that the players and the check of a finished job expect.
// Whether it is silence, which needs no filter of the source's sound.
bool AppendSound(std::vector<std::string>& argv, const EncodeRequest& request, const PreparedInputs& inputs) {
  if (inputs.facts.has_audio || !request.EncodesAudio()) {
    Append(argv, {"-map", "0:a:" + std::to_string(request.audio_track) + "?"});
    return false;
  }
  const int rate = request.sample_rate > 0 ? request.sample_rate : 48000;
  std::string silence = "anullsrc=r=" + std::to_string(rate) + ":cl=stereo";
  if (inputs.facts.duration > 0) silence += ":d=" + std::to_string(inputs.facts.duration);
  Append(argv, {"-filter_complex", silence + "[silence]", "-map", "[silence]"});
  // Of unknown length, the silence ends with the picture.
  if (inputs.facts.duration <= 0) Append(argv, {"-shortest"});
  return true;
}

void AppendAudioEncode(std::vector<std::string>& argv, const EncodeRequest& request, const PreparedInputs& inputs,
                       bool silence) {
  // Stereo, as the players take it: 5.1 is mixed down and mono spread to both sides.
  Append(argv, {"-c:a", "aac", "-profile:a", "aac_low", "-ac", "2"});
  if (request.audio_bitrate > 0) Append(argv, {"-b:a", std::to_string(request.audio_bitrate)});
  if (request.sample_rate > 0) Append(argv, {"-ar", std::to_string(request.sample_rate)});
  if (silence) return;
  Append(argv, {"-af", SoundFilters(request, inputs.facts.picture_lead)});
}

}  // namespace

ColourFilters ToBt709(const SourceFacts& facts, bool has_zscale, std::vector<std::string>& notes) {
  if (facts.Hdr()) {
    // What the file leaves unsaid is what phones write with PQ and HLG.
    const std::string primaries = facts.primaries.empty() || facts.primaries == "bt2020" ? "2020" : facts.primaries;
    const std::string matrix = facts.matrix.empty() || facts.matrix == "bt2020nc" ? "2020_ncl"
                               : facts.matrix == "bt2020c"                        ? "2020_cl"
                                                                                  : facts.matrix;
    if (!has_zscale) {
      notes.push_back("this FFmpeg has no zscale filter, which tone mapping needs: the " + facts.transfer +
                      " picture is only converted to BT.709 colours and will look paler than it should");
      return {"scale=in_color_matrix=bt2020:out_color_matrix=bt709:in_range=auto:out_range=tv", ""};
    }
    // Linear light at a 100-nit SDR white, BT.709 primaries, Hable's curve, then
    // BT.709's transfer and matrix in TV range: the usual tone mapping of FFmpeg's filters.
    return {"zscale=tin=" + facts.transfer + ":pin=" + primaries + ":min=" + matrix +
                ":t=linear:npl=100,format=gbrpf32le,zscale=p=bt709,tonemap=tonemap=hable:desat=0,"
                "zscale=t=bt709:m=bt709:r=tv,format=yuv420p",
            ""};
  }
  // The matrix a file leaves unsaid is the one players take for its size; of a file
  // the probe could not read, nothing is known, and nothing is converted.
  std::string matrix = facts.matrix;
  if (matrix.empty() && facts.height <= 0) return {};
  if (matrix.empty()) matrix = facts.height >= 720 || facts.width >= 1280 ? "bt709" : "bt601";
  if (matrix == "bt470bg" || matrix == "smpte170m") matrix = "bt601";
  if (matrix == "bt2020nc" || matrix == "bt2020c") matrix = "bt2020";
  static const char* const kConvertible[] = {"bt601", "bt2020", "fcc", "smpte240m"};
  if (std::find(std::begin(kConvertible), std::end(kConvertible), matrix) == std::end(kConvertible)) return {};
  return {"", "scale=in_color_matrix=" + matrix + ":out_color_matrix=bt709"};
}

FfmpegCommand BuildFfmpegCommand(const EncodeRequest& request, const PreparedInputs& inputs, EncoderLayout layout) {
  FfmpegCommand command;
  const auto start = [&inputs](const std::string& loglevel, bool reports) {
    // Each line tagged with its level, so that the encoder can tell FFmpeg's errors,
    // which name a failure's cause, from its chatter (tools/ffmpeg_log.h).
    std::vector<std::string> argv{inputs.ffmpeg, "-hide_banner", "-nostdin",         "-y",
                                  "-nostats",    "-loglevel",    "level+" + loglevel};
    if (reports) Append(argv, {"-progress", "pipe:1", "-stats_period", "0.5"});
    return argv;
  };

  const bool encodes_video = request.EncodesVideo();
  if (layout == EncoderLayout::kSideBySide && encodes_video && request.EncodesAudio()) {
    const VideoEncode video = VideoEncodeOptions(request, inputs, command.notes);
    command.picture = {video.size.width, video.size.height};
    std::vector<std::string> picture = start("warning", false);
    // A picture of standard definition or less is decoded on one thread: the encoder
    // and the sound's process fill the cores, and decoding frames side by side then
    // costs more in handing them over than it gains (a tenth of a 60-second clip's
    // time). A larger picture needs all the threads its decoder can use.
    const int pixels = inputs.facts.width * inputs.facts.height;
    if (pixels > 0 && pixels <= 720 * 576) Append(picture, {"-threads", "1"});
    Append(picture, {"-i", inputs.media, "-map", video.map});
    picture.insert(picture.end(), video.args.begin(), video.args.end());
    Append(picture, {"-an", "-f", "avi", "pipe:1"});

    std::vector<std::string> sound = start("info", true);
    // The sound's source comes first, so that its length is the one reported.
    Append(sound, {"-i", inputs.media, "-thread_queue_size", "64", "-f", "avi", "-i", "pipe:0", "-map", "1:v:0"});
    const bool silence = AppendSound(sound, request, inputs);
    Append(sound, {"-c:v", "copy", "-vtag", video.fourcc});
    AppendAudioEncode(sound, request, inputs, silence);
    Append(sound, {"-avoid_negative_ts", "disabled", "-f", "avi", inputs.output});
    command.children = {picture, sound};
    return command;
  }

  std::vector<std::string> argv = start("info", true);
  const std::optional<VideoEncode> video =
      encodes_video ? std::optional<VideoEncode>(VideoEncodeOptions(request, inputs, command.notes)) : std::nullopt;
  Append(argv, {"-i", inputs.media, "-map", video ? video->map : "0:v:0"});
  const bool silence = !request.no_sound && AppendSound(argv, request, inputs);
  if (request.video == VideoCodec::kCopy && !AviTakesAsItIs(inputs.facts)) {
    // A phone's turned picture or an HEVC or VP9 one: the next encode of the AVI must
    // find the picture as it is shown, so it is encoded upright, as well as MPEG-4 Part 2
    // encodes.
    command.notes.push_back("the picture (" + inputs.facts.video_codec + (inputs.facts.turned ? ", turned" : "") +
                            (inputs.facts.Hdr() ? ", high dynamic range" : "") +
                            ") cannot be copied into an AVI as it is shown: encoded as MPEG-4 Part 2 at its best "
                            "quality instead");
    const ColourFilters colours = ToBt709(inputs.facts, inputs.has_zscale, command.notes);
    std::string filters = colours.first;
    if (!colours.last.empty()) filters += (filters.empty() ? "" : ",") + colours.last;
    Append(argv, {"-vf", filters + (filters.empty() ? "" : ",") + "setpts=PTS-STARTPTS"});
    Append(argv, {"-c:v", "mpeg4", "-q:v", "2", "-bf", "0", "-g", "250", "-vtag", "FMP4"});
    if (request.threads > 0) Append(argv, {"-threads", std::to_string(request.threads)});
  } else if (request.video == VideoCodec::kCopy) {
    // The copied picture starts the AVI too, as an encoded one does; H.264 goes into an
    // AVI in its start-code form, whatever the source's container kept.
    Append(argv, {"-c:v", "copy", "-bsf:v",
                  std::string(inputs.facts.video_codec == "h264" ? "h264_mp4toannexb," : "") +
                      "setts=pts=PTS-STARTDTS:dts=DTS-STARTDTS"});
    if (request.threads > 0) Append(argv, {"-threads", std::to_string(request.threads)});
  } else if (video) {
    command.picture = {video->size.width, video->size.height};
    argv.insert(argv.end(), video->args.begin(), video->args.end());
    Append(argv, {"-vtag", video->fourcc, "-avoid_negative_ts", "disabled"});
  }
  if (request.no_sound) {
    Append(argv, {"-an"});
  } else if (request.audio == AudioCodec::kCopy) {
    Append(argv, {"-c:a", "copy"});
  } else {
    AppendAudioEncode(argv, request, inputs, silence);
  }
  Append(argv, {"-f", "avi", inputs.output});
  command.children.push_back(argv);
  return command;
}

}  // namespace clipvane::tools
