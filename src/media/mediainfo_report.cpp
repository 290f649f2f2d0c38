#include "media/mediainfo_report.h"
#include "base/text.h"
#include "platform/text_encoding.h"

#include <algorithm>
#include <cmath>
#include <locale>
#include <sstream>
#include <utility>
#include <vector>

namespace clipvane {
namespace {

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
  }
  return lines;
}

bool IsBlankLine(const std::string& line) { return TrimBlanks(line).empty(); }

// Lines [begin, end) of the first section whose heading begins with "video". A
// heading is the first line after a blank line (or of the report).
bool FindFirstVideoSection(const std::vector<std::string>& lines, std::size_t& begin, std::size_t& end) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const bool heading = !IsBlankLine(lines[i]) && (i == 0 || IsBlankLine(lines[i - 1]));
    if (!heading || TrimBlanks(lines[i]).rfind("video", 0) != 0) continue;
    begin = i + 1;
    end = begin;
    while (end < lines.size() && !IsBlankLine(lines[end])) ++end;
    return true;
  }
  return false;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string CutValue(const std::string& line) {
  const std::size_t colon = line.find(':');
  const std::string after = colon == std::string::npos ? line : line.substr(colon + 1, 255);
  const std::string trimmed = TrimBlanks(after.substr(0, 255));
  std::size_t blank = trimmed.find(' ');
  if (blank == std::string::npos) return {};
  // MediaInfo groups the digits of large numbers with blanks ("1 280 pixels"): a
  // blank between two digits belongs to the number, or every HD picture would be 1
  // pixel wide.
  std::string value = trimmed.substr(0, blank);
  while (blank + 1 < trimmed.size() && IsDigit(trimmed[blank - 1]) && IsDigit(trimmed[blank + 1])) {
    const std::size_t next = trimmed.find(' ', blank + 1);
    if (next == std::string::npos) break;  // the last group must still be followed by a unit
    value += trimmed.substr(blank + 1, next - blank - 1);
    blank = next;
  }
  return value;
}

// MediaInfo writes its numbers with a "." whatever the user's locale says.
double ParseDecimalOrZero(const std::string& text) {
  if (text.empty()) return 0.0;
  std::istringstream in(text);
  in.imbue(std::locale::classic());
  double value = 0.0;
  in >> value;
  if (in.fail() || in.peek() != std::char_traits<char>::eof()) return 0.0;
  return value;
}

// The number a rotation value starts with ("90°", "270.000°"): the degree sign
// follows without a blank, so CutValue would find no value.
double LeadingNumber(const std::string& line) {
  const std::size_t colon = line.find(':');
  const std::string value = TrimBlanks(colon == std::string::npos ? line : line.substr(colon + 1));
  std::size_t end = 0;
  while (end < value.size() && (IsDigit(value[end]) || value[end] == '.' || (end == 0 && value[end] == '-'))) ++end;
  return ParseDecimalOrZero(value.substr(0, end));
}

// The whole value after the first ":", trimmed ("english", "aac lc").
std::string WholeValue(const std::string& line) {
  const std::size_t colon = line.find(':');
  return colon == std::string::npos ? std::string() : TrimBlanks(line.substr(colon + 1));
}

// The field's name before the first ":", trimmed.
std::string FieldName(const std::string& line) { return TrimBlanks(line.substr(0, line.find(':'))); }

// The tracks of every section whose heading is `kind` or "<kind> #<n>", in report order.
std::vector<MediaTrack> ReadTracks(const std::vector<std::string>& lines, const std::string& kind) {
  std::vector<MediaTrack> tracks;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const bool heading = !IsBlankLine(lines[i]) && (i == 0 || IsBlankLine(lines[i - 1]));
    const std::string title = TrimBlanks(lines[i]);
    if (!heading || (title != kind && title.rfind(kind + " #", 0) != 0)) continue;
    MediaTrack track;
    track.ordinal = static_cast<int>(tracks.size());
    for (++i; i < lines.size() && !IsBlankLine(lines[i]); ++i) {
      const std::string name = FieldName(lines[i]);
      const std::string value = WholeValue(lines[i]);
      if (name == "language") track.language = value;
      else if (name == "format") track.format = value;
      else if (name == "codec id") track.codec_id = value;
      else if (name == "title") track.title = value;
      else if (name == "default") track.default_track = value == "yes";
      else if (name == "forced") track.forced = value == "yes";
    }
    tracks.push_back(track);
  }
  return tracks;
}

// A count of tracks; an empty field is none.
int TrackCount(const std::string& text) { return text.empty() ? 0 : std::max(0, ParseIntegerOr(text, 0)); }

}  // namespace

TrackSummary ParseTrackSummary(const std::string& text) {
  std::vector<std::string> fields(1);
  for (char c : TrimBlanks(text)) {
    if (c == '|') fields.emplace_back();
    else fields.back() += c;
  }
  TrackSummary summary;
  if (fields.size() != 3) return summary;
  summary.read = true;
  summary.seconds = std::max(0.0, ParseDecimalOrZero(fields[0]) / 1000.0);
  summary.video_tracks = TrackCount(fields[1]);
  summary.audio_tracks = TrackCount(fields[2]);
  return summary;
}

MediaFacts ParseMediaInfoReport(const std::string& report_text) {
  const std::vector<std::string> lines = SplitLines(AsciiLower(report_text));
  MediaFacts facts;
  std::size_t begin = 0;
  std::size_t end = lines.size();
  facts.video_section = FindFirstVideoSection(lines, begin, end);
  if (!facts.video_section) {
    begin = 0;
    end = lines.size();
  }
  double rotation = 0;
  for (std::size_t i = begin; i < end; ++i) {
    const std::string& line = lines[i];
    // "Original width": the size a stream's header stores beside the picture's (VP9's
    // render size, where a 4:4:4 one reads as nonsense): the picture's is the other.
    const std::string key = TrimBlanks(line);
    if (key.rfind("original width", 0) == 0 || key.rfind("original height", 0) == 0) continue;
    if (facts.video_section && line.find("rotation") != std::string::npos) rotation = LeadingNumber(line);
    else if (line.find("height") != std::string::npos) facts.height = ParseIntegerOr(CutValue(line), 0);
    else if (line.find("width") != std::string::npos) facts.width = ParseIntegerOr(CutValue(line), 0);
    else if (line.find("frame rate") != std::string::npos) facts.frameRate = ParseDecimalOrZero(CutValue(line));
  }
  // A phone stores its picture as the sensor saw it and marks how to turn it for
  // showing; the players get the picture as shown, so that is the size to plan with.
  const long quarter_turns = std::lround(rotation / 90.0);
  if (quarter_turns % 2 != 0) std::swap(facts.width, facts.height);
  if (facts.height != 0) facts.aspect = static_cast<double>(facts.width) / facts.height;
  facts.audio_tracks = ReadTracks(lines, "audio");
  facts.subtitle_tracks = ReadTracks(lines, "text");

  std::size_t size = 0;
  for (const std::string& line : lines) size += line.size() + 2;
  facts.report.reserve(size);
  for (const std::string& line : lines) facts.report.append(line).append("\r\n");
  return facts;
}

}  // namespace clipvane
