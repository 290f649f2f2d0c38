#include "media/audio_tracks.h"

#include <algorithm>

namespace clipvane {

int ChosenAudioTrack(const std::vector<MediaTrack>& tracks, const std::string& language) {
  std::vector<const MediaTrack*> all;
  for (const MediaTrack& track : tracks) all.push_back(&track);
  const MediaTrack* chosen = ChosenTrack(all, language);
  return chosen ? chosen->ordinal : 0;
}

std::vector<std::string> AudioLanguages(const std::vector<MediaTrack>& tracks) {
  std::vector<std::string> languages;
  for (const MediaTrack& track : tracks)
    if (!track.language.empty() && std::find(languages.begin(), languages.end(), track.language) == languages.end())
      languages.push_back(track.language);
  return languages;
}

}  // namespace clipvane
