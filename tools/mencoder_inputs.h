#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace clipvane::tools {

// The three lines of the AviSynth script that the colour route hands us:
// LoadPlugin (ignored: the subtitle renderer is built in), DirectShowSource with the
// video and TextSub with the SSA file.
struct AvsScript {
  std::string video;
  std::string subtitles;
};

// Reads the script's text; on a line it does not understand, returns nothing and
// says why in `error`.
std::optional<AvsScript> ParseAvsScript(const std::string& text, std::string& error);

// What ffprobe says about an input: for the progress percentage, the subtitle size
// and a sound track where there is none.
struct SourceFacts {
  double duration = 0;        // seconds; 0 when unknown
  int width = 0, height = 0;  // the first picture as shown, after the turn its file asks for
  bool turned = false;        // the file asks for the first picture to be turned for showing
  std::string video_codec;    // FFmpeg's name of the first picture's codec; empty when unknown
  bool has_audio = true;      // false only when ffprobe read the file and found no sound
  // Where the picture begins on FFmpeg's timeline of the file (which starts at the
  // file's earliest stream), in seconds; 0 when unknown.
  double picture_lead = 0;
  std::vector<std::string> subtitle_codecs;  // FFmpeg's names of the subtitle tracks' codecs, in track order
  // The first picture's colours in FFmpeg's names ("bt709", "bt2020", "smpte2084",
  // "arib-std-b67", "bt2020nc", ...); empty when the file does not say.
  std::string primaries, transfer, matrix;
  // High dynamic range (PQ or HLG, as phones record it): shown as it is on an SDR
  // player, it is grey and washed out.
  bool Hdr() const { return transfer == "smpte2084" || transfer == "arib-std-b67"; }
};
SourceFacts ProbeSource(const std::string& path);
// ffprobe's report (its default writer) of the streams and the format, read into facts.
SourceFacts ReadSourceFacts(const std::string& ffprobe_report);
// Takes in the turn, in degrees, that the file asks for its first picture.
void TurnForShowing(SourceFacts& facts, double rotation);

// Whether a subtitle codec (FFmpeg's name) gives pictures rather than text: PGS,
// VobSub, DVB, XSUB.
bool IsPictureSubtitleCodec(const std::string& codec);

// Whether the FFmpeg program has the named encoder, or filter.
bool HasEncoder(const std::string& ffmpeg, const std::string& encoder);
bool HasFilter(const std::string& ffmpeg, const std::string& filter);

// A subtitle copy's text made ready for FFmpeg's readers: UTF-8, without FONT tags (the
// plain route draws plain white subtitles, as the encoder's own readers do; colours
// are the colour route's), and of HTML text (SAMI), "&nbsp;" (the usual
// screen-clearing block) written as a plain blank, which that reader takes without
// failing the whole file.
std::string PrepareSubtitleText(const std::string& bytes, bool html);

// The SSA text with the font of every style passed through `choose`, which gives the
// family to draw with instead (or the same one). Style lines are read by their
// section's Format line, so SSA and ASS files both work.
std::string ReplaceSsaFonts(const std::string& ssa, const std::function<std::string(const std::string&)>& choose);

}  // namespace clipvane::tools
