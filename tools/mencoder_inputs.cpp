#include "mencoder_inputs.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <iterator>
#include <map>
#include <sstream>
#include <utility>

#include "platform/child_processes.h"
#include "tool_text.h"

namespace clipvane::tools {
namespace {

std::string Trim(const std::string& text) {
  std::size_t start = 0, end = text.size();
  while (start < end && std::isspace(static_cast<unsigned char>(text[start]))) ++start;
  while (end > start && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(start, end - start);
}

// Name("argument") into name and argument; false for any other shape.
bool SplitCall(const std::string& line, std::string& name, std::string& argument) {
  const std::size_t open = line.find("(\"");
  if (open == std::string::npos || line.size() < open + 4 || line.compare(line.size() - 2, 2, "\")") != 0) return false;
  name = LowerAscii(Trim(line.substr(0, open)));
  argument = line.substr(open + 2, line.size() - open - 4);
  return true;
}

// Whether a FONT or /FONT tag starts at `at`.
bool IsFontTag(const std::string& text, std::size_t at) {
  std::size_t name = at + 1;
  if (name < text.size() && text[name] == '/') ++name;
  if (LowerAscii(text.substr(name, 4)) != "font") return false;
  const char after = name + 4 < text.size() ? text[name + 4] : '\0';
  return after == '>' || std::isspace(static_cast<unsigned char>(after));
}

}  // namespace

std::optional<AvsScript> ParseAvsScript(const std::string& text, std::string& error) {
  AvsScript script;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    line = Trim(line);
    if (line.empty() || line[0] == '#') continue;
    std::string name, argument;
    if (!SplitCall(line, name, argument)) {
      error = "cannot read the AviSynth line '" + line + "'";
      return std::nullopt;
    }
    if (name == "loadplugin") continue;
    if (name == "directshowsource") script.video = argument;
    else if (name == "textsub") script.subtitles = argument;
    else {
      error = "unsupported AviSynth function in '" + line + "' (LoadPlugin, DirectShowSource and TextSub are known)";
      return std::nullopt;
    }
  }
  if (script.video.empty()) {
    error = "the AviSynth script names no video (DirectShowSource)";
    return std::nullopt;
  }
  return script;
}

SourceFacts ReadSourceFacts(const std::string& ffprobe_report) {
  SourceFacts facts;
  facts.has_audio = false;
  std::istringstream lines(ffprobe_report);
  // A stream's keys come in ffprobe's order, its codec's name before its kind, so each
  // stream is judged whole at its end.
  std::map<std::string, std::string> stream;
  bool picture_seen = false;
  double rotation = 0, picture_start = 0, file_start = 0;
  bool in_format = false;
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line == "[STREAM]") stream.clear();
    if (line == "[FORMAT]" || line == "[/FORMAT]") in_format = line == "[FORMAT]";
    if (line == "[/STREAM]") {
      if (stream["codec_type"] == "audio") facts.has_audio = true;
      if (stream["codec_type"] == "subtitle") facts.subtitle_codecs.push_back(stream["codec_name"]);
      // Only the first picture's: that is the one the encode maps.
      if (stream["codec_type"] == "video" && !picture_seen) {
        picture_seen = true;
        facts.width = std::atoi(stream["width"].c_str());
        facts.height = std::atoi(stream["height"].c_str());
        facts.video_codec = stream["codec_name"];
        rotation = std::atof(stream["rotation"].c_str());
        picture_start = std::atof(stream["start_time"].c_str());
        for (auto [key, fact] : {std::pair{"color_primaries", &facts.primaries},
                                 {"color_transfer", &facts.transfer},
                                 {"color_space", &facts.matrix}})
          if (stream[key] != "unknown") *fact = stream[key];
      }
    }
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
    stream[key] = value;
    if (key == "duration") facts.duration = std::atof(value.c_str());
    if (in_format && key == "start_time") file_start = std::atof(value.c_str());
  }
  if (picture_seen) facts.picture_lead = std::max(0.0, picture_start - file_start);
  TurnForShowing(facts, rotation);
  return facts;
}

void TurnForShowing(SourceFacts& facts, double rotation) {
  // FFmpeg turns such a picture upright before the filters see it.
  const long quarter_turns = std::lround(rotation / 90) % 4;
  facts.turned = quarter_turns != 0;
  if (quarter_turns % 2 != 0) std::swap(facts.width, facts.height);
}

SourceFacts ProbeSource(const std::string& path) {
  const auto output = CaptureOutput({ProgramBesideThisOne("ffprobe"), "-v", "error", "-show_entries",
                                     "stream=codec_type,codec_name,width,height,start_time,color_primaries,color_"
                                     "transfer,color_space:stream_side_data=rotation:format=duration,start_time",
                                     path});
  // Without an answer nothing is known, and the sound is taken to be there.
  return output ? ReadSourceFacts(*output) : SourceFacts{};
}

bool IsPictureSubtitleCodec(const std::string& codec) {
  static const char* const kPictures[] = {"hdmv_pgs_subtitle", "dvd_subtitle", "dvb_subtitle", "xsub"};
  return std::find(std::begin(kPictures), std::end(kPictures), codec) != std::end(kPictures);
}

namespace {

// Whether FFmpeg lists the name with `-encoders` or `-filters`: one a line, flags first.
bool Lists(const std::string& ffmpeg, const std::string& list, const std::string& name) {
  const auto output = CaptureOutput({ffmpeg, "-hide_banner", "-v", "quiet", list});
  if (!output) return false;
  std::istringstream lines(*output);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string flags, listed;
    if (words >> flags >> listed && listed == name) return true;
  }
  return false;
}

}  // namespace

bool HasEncoder(const std::string& ffmpeg, const std::string& encoder) { return Lists(ffmpeg, "-encoders", encoder); }

bool HasFilter(const std::string& ffmpeg, const std::string& filter) { return Lists(ffmpeg, "-filters", filter); }

std::string PrepareSubtitleText(const std::string& bytes, bool html) {
  const std::string text = AsUtf8(bytes);
  static const std::string kBlank = "&nbsp;";
  std::string result;
  for (std::size_t i = 0; i < text.size();) {
    if (html && text[i] == '&' && LowerAscii(text.substr(i, kBlank.size())) == kBlank) {
      result += ' ';
      i += kBlank.size();
    } else if (text[i] == '<' && IsFontTag(text, i) && text.find('>', i) != std::string::npos) {
      i = text.find('>', i) + 1;
    } else {
      result += text[i++];
    }
  }
  return result;
}

std::string ReplaceSsaFonts(const std::string& ssa, const std::function<std::string(const std::string&)>& choose) {
  std::string result;
  std::size_t font_column = std::string::npos;
  bool in_styles = false;
  std::size_t start = 0;
  while (start < ssa.size()) {
    std::size_t end = ssa.find('\n', start);
    end = end == std::string::npos ? ssa.size() : end + 1;
    std::string line = ssa.substr(start, end - start);
    start = end;
    const std::string content = Trim(line);
    if (!content.empty() && content[0] == '[') {
      in_styles = LowerAscii(content).find("styles]") != std::string::npos;
      font_column = std::string::npos;
    } else if (in_styles && LowerAscii(content).rfind("format:", 0) == 0) {
      std::istringstream columns(content.substr(7));
      std::string column;
      for (std::size_t i = 0; std::getline(columns, column, ','); ++i) {
        if (LowerAscii(Trim(column)) == "fontname") font_column = i;
      }
    } else if (in_styles && font_column != std::string::npos && LowerAscii(content).rfind("style:", 0) == 0) {
      // The field between the font column's commas, in the line as it stands.
      std::size_t field = line.find(':') + 1;
      for (std::size_t i = 0; i < font_column && field != std::string::npos; ++i) {
        field = line.find(',', field);
        if (field != std::string::npos) ++field;
      }
      while (field != std::string::npos && field < line.size() && (line[field] == ' ' || line[field] == '\t')) ++field;
      if (field != std::string::npos) {
        const std::size_t field_end = std::min(line.find(',', field), line.find_first_of("\r\n", field));
        const std::string family = Trim(line.substr(field, field_end - field));
        line = line.substr(0, field) + choose(family) + line.substr(std::min(field_end, line.size()));
      }
    }
    result += line;
  }
  return result;
}

}  // namespace clipvane::tools
