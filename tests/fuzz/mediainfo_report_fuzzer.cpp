// Feeds arbitrary text to the MediaInfo report readers, as a library of another
// version or a strange file could give it, and checks what the probe and the result
// check rely on.
#include <cmath>

#include "fuzz/require.h"
#include "media/mediainfo_report.h"

void FuzzOne(const std::string& text) {
  using namespace clipvane;
  const MediaFacts facts = ParseMediaInfoReport(text);
  Require(std::isfinite(facts.frameRate) && std::isfinite(facts.aspect));
  Require(facts.height != 0 || facts.aspect == 0.0);
  // The kept report: every line ends with CR LF and none holds a line break of its own.
  const std::string& report = facts.report;
  for (std::size_t i = 0; i < report.size(); ++i) {
    if (report[i] == '\r') Require(i + 1 < report.size() && report[i + 1] == '\n');
    if (report[i] == '\n') Require(i > 0 && report[i - 1] == '\r');
  }
  Require(report.empty() || report.compare(report.size() - 2, 2, "\r\n") == 0);

  const TrackSummary tracks = ParseTrackSummary(text);
  Require(tracks.video_tracks >= 0 && tracks.audio_tracks >= 0);
  Require(std::isfinite(tracks.seconds) && tracks.seconds >= 0);
  Require(tracks.read || (tracks.video_tracks == 0 && tracks.audio_tracks == 0 && tracks.seconds == 0));
}
