#pragma once
#include <optional>
#include <string>
#include <vector>

#include "jobs/script.h"
#include "media/media_facts.h"
#include "settings/encode_settings.h"

namespace clipvane {

// The mencoder option texts of one main encode.
struct EncoderOptions {
  std::string video;
  std::string audio;
  std::string sync;          // "-mc 0" or empty
  std::string audio_filter;  // always "-af volnorm -srate 48000"
  // "-aid N", the sound track the settings choose (media/audio_tracks.h), for a video
  // with more than one; empty otherwise, so that such a video's script stays as it was.
  std::string audio_track;
  std::string frame_rate;  // the output rate alone, as mp4creator gets it too
  std::string frame_rate_option;
  std::vector<ScriptArg> subtitle;  // plain subtitle route only; empty otherwise
};

// The output frame rate: the probed rate, lowered to `maxfps` when higher, written
// as the shortest decimal of up to 15 significant digits. The decimal separator is
// always a point: the scripts feed it to tools that read no other.
std::string OutputFrameRate(double probed_rate, double maxfps);

// The burned-in subtitle options of the plain route; the two paths are quoted by the
// script's dialect. The outline is in pixels of the picture.
std::vector<ScriptArg> PlainSubtitleOptions(const std::string& font_file, const std::string& subtitle_copy,
                                            int subtitlefontsize, int outline = 2);

// The same for a subtitle track of the video itself, which the encoder reads from the
// video (-sid, counted from 0 among its subtitle tracks) in place of a copy.
std::vector<ScriptArg> TrackSubtitleOptions(const std::string& font_file, int track, int subtitlefontsize,
                                            int outline = 2);

// `subtitle_copy` is empty when the job takes no plain subtitle route, and
// `subtitle_track` is the video's own track it draws instead, if any;
// `picture_height` is the shorter side of the encoded picture.
EncoderOptions BuildEncoderOptions(const EncodeSettings& settings, const EncoderPreset& preset, const MediaFacts& facts,
                                   const std::string& font_file, const std::string& subtitle_copy,
                                   int picture_height = 0, std::optional<int> subtitle_track = std::nullopt);

}  // namespace clipvane
