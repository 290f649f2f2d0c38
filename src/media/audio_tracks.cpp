#include "media/audio_tracks.h"

#include <algorithm>

namespace clipvane {
namespace {

const MediaTrack* FirstIn(const std::vector<MediaTrack>& tracks, const std::string& language) {
  const auto found =
      std::find_if(tracks.begin(), tracks.end(), [&](const MediaTrack& track) { return track.language == language; });
  return found == tracks.end() ? nullptr : &*found;
}

}  // namespace

int ChosenAudioTrack(const std::vector<MediaTrack>& tracks, const std::string& language) {
  if (tracks.empty()) return 0;
  const MediaTrack* chosen = language.empty() ? nullptr : FirstIn(tracks, language);
  if (!chosen) chosen = FirstIn(tracks, "korean");
  if (!chosen) {
    const auto marked = std::find_if(tracks.begin(), tracks.end(), [](const MediaTrack& t) { return t.default_track; });
    chosen = marked == tracks.end() ? &tracks.front() : &*marked;
  }
  return chosen->ordinal;
}

std::vector<std::string> AudioLanguages(const std::vector<MediaTrack>& tracks) {
  std::vector<std::string> languages;
  for (const MediaTrack& track : tracks)
    if (!track.language.empty() && std::find(languages.begin(), languages.end(), track.language) == languages.end())
      languages.push_back(track.language);
  return languages;
}

}  // namespace clipvane
