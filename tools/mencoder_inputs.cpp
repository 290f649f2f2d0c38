#include "mencoder_inputs.h"

#include <cctype>
#include <cstdio>
#include <set>
#include <sstream>

#include "tool_process.h"
#include "tool_text.h"

namespace clipvane::tools {
namespace {

std::string Trim(const std::string& text) {
  std::size_t start = 0, end = text.size();
  while (start < end && std::isspace(static_cast<unsigned char>(text[start]))) ++start;
  while (end > start && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  return text.substr(start, end - start);
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// Name("argument") into name and argument; false for any other shape.
bool SplitCall(const std::string& line, std::string& name, std::string& argument) {
  const std::size_t open = line.find("(\"");
  if (open == std::string::npos || line.size() < open + 4 || line.compare(line.size() - 2, 2, "\")") != 0) return false;
  name = Lower(Trim(line.substr(0, open)));
  argument = line.substr(open + 2, line.size() - open - 4);
  return true;
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

SourceFacts ProbeSource(const std::string& path) {
  SourceFacts facts;
  const auto output = CaptureOutput({"ffprobe", "-v", "error", "-select_streams", "v:0", "-show_entries",
                                     "stream=width,height:format=duration", "-of", "default=noprint_wrappers=1",
                                     path});
  if (!output) return facts;
  std::istringstream lines(*output);
  std::string line;
  while (std::getline(lines, line)) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = line.substr(0, equals), value = line.substr(equals + 1);
    if (key == "width") facts.width = std::atoi(value.c_str());
    if (key == "height") facts.height = std::atoi(value.c_str());
    if (key == "duration") facts.duration = std::atof(value.c_str());
  }
  return facts;
}

std::string PrepareSami(const std::string& bytes) {
  const std::string text = AsUtf8(bytes);
  static const std::string kBlank = "&nbsp;";
  std::string result;
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] == '&' && Lower(text.substr(i, kBlank.size())) == kBlank) {
      result += ' ';
      i += kBlank.size();
    } else {
      result += text[i++];
    }
  }
  return result;
}

std::string CharsetPattern(const std::string& utf8_text) {
  std::set<unsigned> code_points;
  for (std::size_t i = 0; i < utf8_text.size();) {
    const unsigned char lead = static_cast<unsigned char>(utf8_text[i]);
    const int length = lead < 0x80 ? 1 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
    if (length > 1 && i + length <= utf8_text.size()) {
      unsigned code = lead & (0x7F >> length);
      for (int k = 1; k < length; ++k) code = (code << 6) | (static_cast<unsigned char>(utf8_text[i + k]) & 0x3F);
      // Blanks and the byte-order mark need no glyph.
      if (code != 0xA0 && code != 0xFEFF && code != 0xFFFD) code_points.insert(code);
    }
    i += length;
  }
  if (code_points.empty()) return "";
  std::string pattern = ":charset=";
  char hex[16];
  for (unsigned code : code_points) {
    std::snprintf(hex, sizeof hex, "%x ", code);
    pattern += hex;
  }
  pattern.pop_back();
  return pattern;
}

std::string FontFamilyOfFile(const std::string& font_file) {
  const auto family = CaptureOutput({"fc-scan", "--format", "%{family[0]}\n", font_file});
  if (!family) return "";
  return Trim(family->substr(0, family->find('\n')));
}

std::string FontFamilyFor(const std::string& pattern) {
  const auto family = CaptureOutput({"fc-match", "--format", "%{family[0]}", pattern});
  return family ? Trim(*family) : "";
}

}  // namespace clipvane::tools
