#pragma once
#include <string>

#include "media/media_facts.h"

namespace clipvane {

// Reads width, height and frame rate out of a MediaInfo plain-text report (ANSI).
// The report is kept whole, lower-cased, with CR LF after every line. A picture
// marked to be shown turned by a quarter turn (the Video section's rotation) gives
// the size as shown: width and height exchanged.
//
// The numbers come from the first Video section, so that an audio stream's packet
// rate ("frame rate : 43.066 fps (1024 spf)") can never pass for the picture's frame
// rate; a report without a Video section is read whole. Within the lines read, the
// last line naming a fact wins, and the value is cut out the way it has always been:
// the text after the first ":", trimmed, up to the first blank (no blank, no value).
MediaFacts ParseMediaInfoReport(const std::string& report_text);

// A file's length and tracks, as the library's track summary gives them.
struct TrackSummary {
  bool read = false;  // the library read the file
  int video_tracks = 0;
  int audio_tracks = 0;
  double seconds = 0;  // 0 when unknown
};

// Reads a track summary, "<milliseconds>|<video tracks>|<audio tracks>"; an empty
// field counts 0, and anything else than three fields is a file the library could
// not read.
TrackSummary ParseTrackSummary(const std::string& text);

}  // namespace clipvane
