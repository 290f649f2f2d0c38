// Feeds arbitrary file contents through the SAMI reader and the SSA writer, as a
// subtitle file beside a video would be, and checks what every script must hold.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/require.h"
#include "subtitles/colour_table.h"
#include "subtitles/sami_classes.h"
#include "subtitles/sami_reader.h"
#include "subtitles/sami_text.h"
#include "subtitles/ssa_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace clipvane;
  static const ColourTable colours;
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  const SsaStyle style;
  const std::vector<std::string> lines = SsaLinesFromSami(SplitLines(SamiTextFromBytes(bytes)), "fuzz", style, colours);

  RequireWellFormedScript(lines);

  // The scanner on its own also takes any bytes, line breaks and NULs included.
  (void)ParseEntry(bytes, colours);
  // Choosing a language of a file in two takes only paragraphs out, and keeps every
  // line break, so that the blocks keep their lines.
  const std::vector<std::string> classes = SamiClasses(bytes);
  const std::string kept = KeepSamiClass(bytes, classes.empty() ? "ENCC" : classes.back());
  Require(kept.size() <= bytes.size());
  const auto breaks = [](const std::string& text) {
    std::size_t count = 0;
    for (char c : text) count += c == '\r' || c == '\n';
    return count;
  };
  Require(breaks(kept) == breaks(bytes));
  return 0;
}
