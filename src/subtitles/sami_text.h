#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace clipvane {

// A SAMI or SRT file's bytes as text in the ANSI code page, so that the SSA file made
// of it is in one encoding throughout, its font name included. A file that starts with a
// UTF-8 or UTF-16 (little or big endian) byte-order mark is decoded; without a mark,
// valid UTF-8 is read as UTF-8 and other bytes as code page 949, the code page of
// Korean SAMI files (SubtitleTextToAnsi).
std::string SamiTextFromBytes(const std::string& bytes);

// The same bytes as the encoder reads them: UTF-8 with CR LF lines. A file that starts
// with EF BB is taken to be UTF-8 already and copied as it is.
std::string Utf8SubtitleBytes(const std::string& bytes);

// Longer than any screen can show: a subtitle line is cut to this many bytes when a
// file is read, so that whatever a file holds, the subtitle renderer (which takes
// memory and time by the length of a line) gets a line it can lay out.
inline constexpr std::size_t kLongestSubtitleLine = 4096;

// The text with every line cut to at most `longest` bytes, at a character's start; in
// HTML text (SAMI) every stretch from one SYNC tag to the next is a line too, since a
// whole file may be written on one. `utf8` when the text is UTF-8, else it is of the
// ANSI code page.
std::string BoundSubtitleLines(const std::string& text, bool html, bool utf8,
                               std::size_t longest = kLongestSubtitleLine);

// The lines of a text: a line ends at CR, LF or CR LF, and the lines hold neither.
// A NUL ends the whole text.
std::vector<std::string> SplitLines(const std::string& text);

// The lines, each followed by CR LF: how every text file of the program is saved.
std::string JoinLinesCrLf(const std::vector<std::string>& lines);

}  // namespace clipvane
