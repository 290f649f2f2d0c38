#pragma once
#include "subtitles/subtitle_source.h"

namespace clipvane {

// The subtitle tracks inside the video (an MKV's or an MP4's): text tracks (SRT, ASS
// with its own styles, MP4 timed text, WebVTT) and picture tracks (PGS, VobSub, DVB),
// as the probe found them. Nothing is copied: the encoder draws the chosen track from
// the video itself (-sid), whichever route the settings choose, as neither TextSub nor
// the program can reach a picture track and the AviSynth script opens only the picture.
// Its classes are the tracks' languages; the path it is found at is the video's.
class SubtitleInVideo : public SubtitleSource {
 public:
  std::string FindFor(const std::string& video_path, PathStyle style, const IsFileTest& is_file,
                      const std::vector<MediaTrack>& tracks) const override;
  // No file is one: a video is never taken for its own subtitle.
  bool Names(const std::string&, PathStyle) const override { return false; }
  // Read with the video, as its picture is.
  bool Readable(const FileSystem&, const std::string&) const override { return true; }
  // Nothing to read: the encoder reads the video.
  std::optional<std::string> Read(const FileSystem&, const std::string&) const override { return std::string(); }

  // The tracks' languages, in track order, each once: Korean and English by the names
  // the setting has always kept for them (KRCC, ENCC), others as the probe says them.
  std::vector<std::string> Classes(const FoundSubtitle& found, const std::string& bytes) const override;
  std::vector<std::string> SsaLines(const std::string&, const std::string&, const SsaStyle&, const ColourTable&,
                                    const std::string&) const override {
    return {};
  }
  std::string PlainCopy(const std::string&, const std::string&) const override { return {}; }
  std::string CopyExtension() const override { return {}; }
  bool IsHtml() const override { return false; }
  bool KeepsOwnStyles() const override { return false; }
  // The track of the chosen language; for 자동 (empty), or a language no track has,
  // the first Korean track, else the default one, else the first one.
  std::optional<int> TrackToDraw(const FoundSubtitle& found, const std::string& chosen_class) const override;
};

// Whether the encoder can draw a subtitle track of this format (the probe's name,
// lower-cased: "utf-8", "ass", "pgs"); a caption carried in the picture is none.
bool IsDrawableTrackFormat(const std::string& format);

}  // namespace clipvane
