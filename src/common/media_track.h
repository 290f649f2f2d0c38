#pragma once
#include <algorithm>
#include <string>
#include <vector>

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

// The track a language asks for, among `tracks` (one kind's, or those a job can use): the
// first in that language, else the Korean one, else the one marked default, else the
// first; nothing among none. An empty language (자동) goes straight to the Korean one.
inline const MediaTrack* ChosenTrack(const std::vector<const MediaTrack*>& tracks, const std::string& language) {
  if (tracks.empty()) return nullptr;
  const auto first = [&tracks](auto holds) -> const MediaTrack* {
    const auto at = std::find_if(tracks.begin(), tracks.end(), holds);
    return at == tracks.end() ? nullptr : *at;
  };
  const MediaTrack* track =
      language.empty() ? nullptr : first([&language](const MediaTrack* t) { return t->language == language; });
  if (!track) track = first([](const MediaTrack* t) { return t->language == "korean"; });
  if (!track) track = first([](const MediaTrack* t) { return t->default_track; });
  return track ? track : tracks.front();
}

}  // namespace clipvane
