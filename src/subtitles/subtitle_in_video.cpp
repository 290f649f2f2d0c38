#include "subtitles/subtitle_in_video.h"

#include <algorithm>
#include <iterator>

#include "platform/text_encoding.h"

namespace clipvane {
namespace {

// The languages the setting has always named by their SAMI classes.
struct ClassLanguage {
  const char* sami_class;
  const char* language;
};
constexpr ClassLanguage kClassLanguages[] = {{"KRCC", "korean"}, {"ENCC", "english"}};

std::string ClassOfLanguage(const std::string& language) {
  for (const ClassLanguage& known : kClassLanguages)
    if (language == known.language) return known.sami_class;
  return language;
}

std::string LanguageOfClass(const std::string& chosen_class) {
  for (const ClassLanguage& known : kClassLanguages)
    if (EqualsIgnoringAsciiCase(chosen_class, known.sami_class)) return known.language;
  return AsciiLower(chosen_class);
}

std::vector<const MediaTrack*> DrawableTracks(const std::vector<MediaTrack>& tracks) {
  std::vector<const MediaTrack*> drawable;
  for (const MediaTrack& track : tracks)
    if (IsDrawableTrackFormat(track.format)) drawable.push_back(&track);
  return drawable;
}

}  // namespace

bool IsDrawableTrackFormat(const std::string& format) {
  static const char* const kFormats[] = {"utf-8",  "ass", "ssa",    "subrip", "timed text",
                                         "webvtt", "pgs", "vobsub", "rle",    "dvb subtitle"};
  return std::find(std::begin(kFormats), std::end(kFormats), format) != std::end(kFormats);
}

std::string SubtitleInVideo::FindFor(const std::string& video_path, PathStyle, const IsFileTest&,
                                     const std::vector<MediaTrack>& tracks) const {
  return DrawableTracks(tracks).empty() ? std::string() : video_path;
}

std::vector<std::string> SubtitleInVideo::Classes(const FoundSubtitle& found, const std::string&) const {
  std::vector<std::string> classes;
  for (const MediaTrack* track : DrawableTracks(found.tracks)) {
    if (track->language.empty()) continue;
    const std::string name = ClassOfLanguage(track->language);
    if (std::find(classes.begin(), classes.end(), name) == classes.end()) classes.push_back(name);
  }
  return classes;
}

std::optional<int> SubtitleInVideo::TrackToDraw(const FoundSubtitle& found, const std::string& chosen_class) const {
  const MediaTrack* track =
      ChosenTrack(DrawableTracks(found.tracks), chosen_class.empty() ? "" : LanguageOfClass(chosen_class));
  if (!track) return std::nullopt;
  return track->ordinal;
}

}  // namespace clipvane
