#include "ui/file_information.h"

#include "platform/text_encoding.h"
#include "ui/window_texts.h"

namespace clipvane {
namespace {

// "  2. 한국어, ac-3, "commentary", 기본"
std::string TrackLine(const MediaTrack& track) {
  std::string line = "  " + std::to_string(track.ordinal + 1) + ". " +
                     (track.language.empty() ? Utf8ToAnsi(u8"언어 모름") : LanguageName(track.language));
  if (!track.format.empty()) line += ", " + track.format;
  if (!track.title.empty()) line += ", \"" + track.title + "\"";
  if (track.default_track) line += ", " + Utf8ToAnsi(u8"기본");
  if (track.forced) line += ", " + Utf8ToAnsi(u8"강제");
  return line + "\r\n";
}

std::string TrackList(const char* heading, const std::vector<MediaTrack>& tracks) {
  if (tracks.empty()) return {};
  std::string text = Utf8ToAnsi(heading) + "\r\n";
  for (const MediaTrack& track : tracks) text += TrackLine(track);
  return text;
}

}  // namespace

std::string FileInformationText(const MediaFacts& facts) {
  const std::string tracks =
      TrackList(u8"음성 트랙", facts.audio_tracks) + TrackList(u8"자막 트랙", facts.subtitle_tracks);
  return tracks.empty() ? facts.report : tracks + "\r\n" + facts.report;
}

}  // namespace clipvane
