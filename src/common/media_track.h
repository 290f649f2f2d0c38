#pragma once
#include <string>

namespace clipvane {

// One sound or subtitle track of a video, as the probe's report describes it. Texts are
// lower-cased, as the report is. Kept here, below the subtitle sources, because a
// video's own subtitle tracks are one of them.
struct MediaTrack {
  int ordinal = 0;       // its place among the tracks of its kind, from 0: the encoder's -aid or -sid
  std::string language;  // "korean", "english"; empty when the file does not say
  std::string format;    // "aac lc", "utf-8", "ass", "pgs"
  std::string codec_id;  // "s_text/ass", "s_vobsub"; empty when the file has none
  std::string title;
  bool default_track = false;
  bool forced = false;
};

}  // namespace clipvane
