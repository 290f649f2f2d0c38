#pragma once
#include <string>
#include <vector>

#include "common/media_track.h"

namespace clipvane {

// What the probe learns of one video. All 0 until probed; a height of 0 after the
// probe means it failed.
struct MediaFacts {
  int width = 0;  // the picture as it is shown, after any rotation its file asks for
  int height = 0;
  double aspect = 0.0;  // width / height, set only when height is not 0
  double frameRate = 0.0;
  bool video_section = false;               // the report has a Video section: the file holds a picture of some kind
  std::string report;                       // the MediaInfo report, lower-cased, CR LF after every line
  std::vector<MediaTrack> audio_tracks;     // in the order the file lists them
  std::vector<MediaTrack> subtitle_tracks;  // the report's Text sections, pictures included
};

}  // namespace clipvane
