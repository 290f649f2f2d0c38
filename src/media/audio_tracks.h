#pragma once
#include <string>
#include <vector>

#include "media/media_facts.h"

namespace clipvane {

// The sound track a job takes from a video, by the language the settings name
// (EncodeSettings::audiolanguage, lower-cased as the report is). 자동 (empty) takes the
// Korean track when there is one, else the one marked default, else the first; a named
// language takes the first track in it, else as 자동. Gives the track's ordinal (the
// encoder's -aid), 0 for a video without tracks listed.
int ChosenAudioTrack(const std::vector<MediaTrack>& tracks, const std::string& language);

// The languages of the tracks, each once, in track order; untold ones left out.
std::vector<std::string> AudioLanguages(const std::vector<MediaTrack>& tracks);

}  // namespace clipvane
