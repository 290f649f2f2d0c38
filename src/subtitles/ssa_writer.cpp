#include "subtitles/ssa_writer.h"

#include <cstdio>
#include <limits>
#include <optional>

#include "base/text.h"
#include "platform/text_encoding.h"
#include "subtitles/srt_reader.h"

namespace clipvane {
namespace {

// The fixed header, lines separated by CR. The bare "Title:", "PlayResY:" and "Style:"
// lines are filled in per script. The irregular blanks are what players have always got.
constexpr char kSsaTemplate[] =
    "[Script Info]\r"
    "Title:\r"
    "Original Script:Unknown\r"
    "Original Translation: Unknown\r"
    "Original Editing: Unknown\r"
    "Original Timing: Unknown\r"
    "Original Script Checking:Unknown\r"
    "Synch Point: Unknown\r"
    "Script Updated By: Unknown\r"
    "Update Details: Unknown\r"
    "ScriptType: v4.00\r"
    "Collisions: Normal\r"
    "PlayResY:\r"
    "PlayDepth: 0\r"
    "Timer: 100\r"
    "\r"
    "[V4 Styles]\r"
    "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, TertiaryColour, "
    "BackColour, Bold,Italic, BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, "
    "MarginV, AlphaLevel, Encoding\r"
    "Style:\r"
    "\r"
    "[Events]";

constexpr char kEventFormat[] = "Format: Marked, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text";

constexpr int kNotATime = std::numeric_limits<int>::max();

bool IsNbsp(const std::string& text, std::size_t at) { return EqualsIgnoringAsciiCase(text.substr(at, 6), "&nbsp;"); }

std::vector<std::string> HeaderLines(const std::string& title, const SsaStyle& style) {
  std::vector<std::string> lines;
  std::string text = kSsaTemplate;
  for (std::size_t start = 0;;) {
    const std::size_t cr = text.find('\r', start);
    lines.push_back(text.substr(start, cr - start));
    if (cr == std::string::npos) break;
    start = cr + 1;
  }
  for (std::string& line : lines) {
    if (line == "Title:") {
      line = "Title: " + title;
    } else if (line == "PlayResY:") {
      line = "PlayResY: " + std::to_string(style.play_res_y);
    } else if (line == "Style:") {
      line = "Style: Default," + style.font_name + "," + std::to_string(style.font_size) +
             ",16777215,65535,65535,0,-1,0,1,2,3,2,20,20," + std::to_string(style.margin_v) + ",0,1";
      break;
    }
  }
  return lines;
}

bool HasVisibleText(const std::string& text) { return !TrimBlanks(text).empty(); }

// Appends the Dialogue line of a subtitle shown from `start` to `end` (start < end).
void AppendDialogue(std::vector<std::string>& lines, const std::string& text, int start, int end) {
  // "&nbsp;" alone, or nothing, only ends the subtitle before it.
  if (!HasVisibleText(text)) return;
  // A time before the video's start would be read as an unsigned count and land some
  // 1,193 hours later. Such a subtitle shows from the start; one that is over by then,
  // never.
  if (end <= 0) return;
  lines.push_back("Dialogue: Marked=0," + FormatSsaTime(static_cast<std::uint32_t>(start < 0 ? 0 : start)) + "," +
                  FormatSsaTime(static_cast<std::uint32_t>(end)) + ",*Default,,0000,0000,0000,," + text);
}

}  // namespace

std::string FormatSsaTime(std::uint32_t milliseconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2u:%.2u:%.2u.%.2u", static_cast<unsigned>(milliseconds / 3600000),
                static_cast<unsigned>(milliseconds / 60000 % 60), static_cast<unsigned>(milliseconds / 1000 % 60),
                static_cast<unsigned>(milliseconds / 10 % 100));
  return text;
}

std::string SsaEntryText(const SubtitleEntry& entry) {
  std::string joined;
  for (std::size_t i = 1; i < entry.size(); ++i) joined += entry[i];
  const std::string trimmed = TrimBlanks(joined);
  std::string text;
  text.reserve(trimmed.size());
  for (std::size_t i = 0; i < trimmed.size();) {
    if (trimmed.compare(i, 4, "<br>") == 0) {
      text += "\\N";
      i += 4;
    } else if (trimmed[i] == '&' && IsNbsp(trimmed, i)) {
      text += ' ';
      i += 6;
    } else {
      text += trimmed[i++];
    }
  }
  return text;
}

std::vector<std::string> SsaLinesFromSami(std::vector<std::string> sami_lines, const std::string& title,
                                          const SsaStyle& style, const ColourTable& colours) {
  std::vector<std::string> lines = HeaderLines(title, style);
  lines.emplace_back(kEventFormat);
  std::optional<SubtitleEntry> pending;
  std::size_t next = 0;
  // The reader's preparation may change the line count, so it is read on every turn.
  while (next != sami_lines.size()) {
    SamiBlockRead read = ReadNextEntry(sami_lines, next, colours);
    if (!read.entry) {
      if (read.next_index == next) break;
      next = read.next_index;
      continue;
    }
    next = read.next_index;
    if (!pending) {
      pending = std::move(read.entry);
      continue;
    }
    const int start = ParseIntegerOr(pending->front(), kNotATime);
    const int end = ParseIntegerOr(read.entry->front(), kNotATime);
    if (start == end) {
      // Files in two languages give each subtitle twice, with one start time (KRCC then
      // ENCC). One screen line shows one of them: the first one that has text.
      if (!HasVisibleText(SsaEntryText(*pending)) && HasVisibleText(SsaEntryText(*read.entry)))
        pending = std::move(read.entry);
      continue;
    }
    if (start > end) {
      // Times running backwards: neither block can be placed.
      pending.reset();
      continue;
    }
    AppendDialogue(lines, SsaEntryText(*pending), start, end);
    pending = std::move(read.entry);
  }
  // The last block has no successor to end it; in a usual file it is the "&nbsp;" that
  // clears the screen.
  return lines;
}

}  // namespace clipvane

namespace clipvane {

std::vector<std::string> SsaLinesFromSrt(const std::vector<std::string>& srt_lines, const std::string& title,
                                         const SsaStyle& style, const ColourTable& colours) {
  std::vector<std::string> lines = HeaderLines(title, style);
  lines.emplace_back(kEventFormat);
  // Each cue has its own end; cues that overlap are stacked by the renderer.
  for (const SrtCue& cue : ReadSrtCues(srt_lines))
    AppendDialogue(lines, SrtSsaText(cue.lines, colours), cue.start, cue.end);
  return lines;
}

}  // namespace clipvane
