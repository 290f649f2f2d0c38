#include "jobs/encoder_options.h"

#include <cmath>
#include <cstdio>

#include "media/audio_tracks.h"

namespace clipvane {
namespace {

std::string Format(const char* format, int value) {
  char text[160];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

}  // namespace

std::string OutputFrameRate(double probed_rate, double maxfps) {
  const double rate = probed_rate > maxfps ? maxfps : probed_rate;
  char text[64];
  std::snprintf(text, sizeof text, "%.15g", rate);
  std::string result = text;
  if (result.find_first_of("eE") != std::string::npos) {
    // Far outside what video uses; still no exponent, which the tools would misread.
    std::snprintf(text, sizeof text, "%.15f", rate);
    result = text;
    while (!result.empty() && result.back() == '0') result.pop_back();
    if (!result.empty() && (result.back() == '.' || result.back() == ',')) result.pop_back();
  }
  for (char& c : result)
    if (c == ',') c = '.';
  return result;
}

std::vector<ScriptArg> PlainSubtitleOptions(const std::string& font_file, const std::string& subtitle_copy,
                                            int subtitlefontsize, int outline) {
  return {Opt("-font"), PathArg(font_file), Opt("-sub"), PathArg(subtitle_copy),
          Opt("-utf8  -subpos 95 -subfont-text-scale " + std::to_string(subtitlefontsize) +
              " -subfont-blur 2 -subfont-outline " + std::to_string(outline))};
}

std::vector<ScriptArg> TrackSubtitleOptions(const std::string& font_file, int track, int subtitlefontsize,
                                            int outline) {
  return {Opt("-font"), PathArg(font_file),
          Opt("-sid " + std::to_string(track) + " -subpos 95 -subfont-text-scale " + std::to_string(subtitlefontsize) +
              " -subfont-blur 2 -subfont-outline " + std::to_string(outline))};
}

std::string X264Options(const EncoderPreset& preset, const H264Limits& limits) {
  return "-ovc x264 -x264encopts preset=" + preset.x264preset + ":crf=" + std::to_string(preset.ratefactor) +
         ":profile=" + limits.profile + ":level=" + std::to_string(limits.level) +
         ":vbv_maxrate=" + std::to_string(limits.vbv_maxrate) + ":vbv_bufsize=" + std::to_string(limits.vbv_bufsize);
}

EncoderOptions BuildEncoderOptions(const EncodeSettings& settings, const EncoderPreset& preset, const MediaFacts& facts,
                                   const std::string& font_file, const std::string& subtitle_copy, int picture_height,
                                   std::optional<int> subtitle_track) {
  const DeviceDescriptor& device = DescriptorOf(settings.platform);
  EncoderOptions options;
  options.video =
      preset.videocodec == VideoCodec::kX264 ? X264Options(preset, device.h264)
      : preset.videocodec == VideoCodec::kXvid
          ? Format(
                "-ovc xvid -xvidencopts bitrate=%d:max_bframes=0:nogmc:noqpel "
                "-xvidopts deblock-chroma -vf-add hqdn3d -sws 10",
                preset.videobitrate)
          : Format("-ovc lavc -lavcopts vcodec=mpeg4 -lavcopts vbitrate=%d -ffourcc DIVX", preset.videobitrate);
  options.audio = Format("-oac faac -faacopts br=%d:mpeg=4:object=2", preset.audiobitrate);
  options.sync = settings.audiosync ? "-mc 0" : "";
  options.audio_filter = "-af volnorm -srate 48000";
  if (facts.audio_tracks.size() > 1)
    options.audio_track = "-aid " + std::to_string(ChosenAudioTrack(facts.audio_tracks, settings.audiolanguage));
  options.frame_rate = OutputFrameRate(facts.frameRate, preset.maxfps);
  options.frame_rate_option = "-ofps " + options.frame_rate;
  // The outline keeps the share of the picture it has on the touch's 320 lines.
  const int outline = device.sized_by_shorter_side && picture_height > 320
                          ? static_cast<int>(std::lround(2.0 * picture_height / 320))
                          : 2;
  if (!subtitle_copy.empty())
    options.subtitle = PlainSubtitleOptions(font_file, subtitle_copy, preset.subtitlefontsize, outline);
  else if (subtitle_track)
    options.subtitle = TrackSubtitleOptions(font_file, *subtitle_track, preset.subtitlefontsize, outline);
  return options;
}

}  // namespace clipvane
