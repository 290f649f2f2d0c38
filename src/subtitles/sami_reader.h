#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace clipvane {

class ColourTable;

// One timed SAMI block as an ordered list of items: the START value as written (the
// first item of a well-formed block), then the visible text runs, "<br>" marks,
// colour-start codes "{\c&HBBGGRR&}" and colour resets "{\c}" in the order they occur.
using SubtitleEntry = std::vector<std::string>;

struct SamiBlockRead {
  // None when the block found makes no entry, or when no block was found.
  std::optional<SubtitleEntry> entry;
  // Where the following block begins, the line count after the last block, or the
  // start index unchanged when no block begins at or after it.
  std::size_t next_index = 0;
};

// Returns the first block at or after `start`. A start of 0 first prepares the lines
// (every SYNC tag that follows text on its line is moved onto a line of its own) and
// searches from the <BODY> line, so the SAMI head is never read. Callers pass 0 first and
// then each returned index until it equals the line count or no block is found.
SamiBlockRead ReadNextEntry(std::vector<std::string>& lines, std::size_t start, const ColourTable& colours);

// Scans one block's text. None when a text run or colour comes before any item (the
// block has no START value) or when the block gives no item at all.
std::optional<SubtitleEntry> ParseEntry(const std::string& block, const ColourTable& colours);

// True when every character is a hexadecimal digit; true for an empty text.
bool IsHexColour(const std::string& text);

// The text's two-character pairs in reverse order (RRGGBB becomes BBGGRR); an odd last
// character is not copied and the result ends in "0".
std::string SwapColourBytes(const std::string& text);

// The SSA colour code for a COLOR attribute value: quotes and "#" removed, hexadecimal
// kept as written, a known name replaced by its value, anything else white. An empty
// value names no colour and gives an empty text (no code).
std::string ColourCode(const std::string& value, const ColourTable& colours);

}  // namespace clipvane
