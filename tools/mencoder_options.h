#pragma once
#include <optional>
#include <string>
#include <vector>

#include "tool_text.h"

namespace clipvane::tools {

enum class VideoCodec { kNone, kXvid, kLavcMpeg4, kX264, kCopy, kFrameNumbers };
enum class AudioCodec { kNone, kAac, kCopy };
enum class OutputFormat { kAvi, kRawVideo, kRawAudio };

// One -vf-add filter, in command-line order.
struct VideoFilter {
  enum class Kind { kCrop, kScale, kExpand, kRotate, kHardDup, kDenoise };
  Kind kind = Kind::kHardDup;
  int width = 0, height = 0;
  int x = -1, y = -1;              // crop and expand: -1 centres
  bool draw_subtitles = false;     // expand's osd flag: subtitles are drawn here
  int rotation = 0;                // rotate=<0-7>
  std::string denoise_parameters;  // hqdn3d=<a:b:c:d>, empty for the defaults
};

// -sub or -sid and their companions: the burned-in subtitles of the plain route.
struct SubtitleOptions {
  std::string file;  // empty when the source's own track (-sid) is drawn
  std::string font;
  bool utf8 = false;
  int position = 100;       // -subpos: bottom of the text, in percent of the height
  double text_scale = 3.5;  // -subfont-text-scale: percent of the picture diagonal
  double blur = 2;          // the encoder's defaults for both
  double outline = 2;
};

// -x264encopts: the H.264 encoder's settings, as x264 names them. Empty or 0 leaves
// x264's own default.
struct X264Options {
  std::string preset;   // ultrafast to placebo
  double crf = 0;       // constant rate factor
  std::string profile;  // baseline, main or high
  int level = 0;        // 40 for level 4.0
  int vbv_maxrate = 0;  // kbit/s
  int vbv_bufsize = 0;  // kbit
};

// Everything one mencoder command line asks for.
struct EncodeRequest {
  std::string input;
  std::string output;
  OutputFormat format = OutputFormat::kAvi;

  VideoCodec video = VideoCodec::kNone;
  long video_bitrate = 0;  // bit/s; 0 for the encoder's default
  std::string fourcc;
  X264Options x264;
  int threads = 0;
  int scaler = 2;  // -sws, bicubic unless told
  std::optional<Rational> output_rate;
  std::vector<VideoFilter> filters;
  std::optional<SubtitleOptions> subtitles;

  AudioCodec audio = AudioCodec::kNone;
  int audio_track = 0;                // -aid: the place of the sound track among the source's, from 0
  std::optional<int> subtitle_track;  // -sid: the source's own subtitle track to draw, from 0; -sub wins
  bool no_sound = false;
  long audio_bitrate = 0;  // bit/s
  int sample_rate = 0;     // 0 keeps the source's rate
  bool normalise_volume = false;
  bool sync_correction = true;  // off with -mc 0

  bool HasFilter(VideoFilter::Kind kind) const;
  // Xvid, lavc or x264: the picture is encoded, not copied or left out.
  bool EncodesVideo() const {
    return video == VideoCodec::kXvid || video == VideoCodec::kLavcMpeg4 || video == VideoCodec::kX264;
  }
  // The sound is encoded to AAC, not copied or left out.
  bool EncodesAudio() const { return !no_sound && audio == AudioCodec::kAac; }
};

struct ParsedRequest {
  EncodeRequest request;
  std::string error;  // empty when the command line was understood and consistent
};

// Reads a mencoder command line (without the program name). Anything it does not
// know, or a combination it cannot carry out, gives an error that names it.
ParsedRequest ParseMencoderCommandLine(const std::vector<std::string>& args);

}  // namespace clipvane::tools
