// Feeds arbitrary file contents through the SAMI reader and the SSA writer, as a
// subtitle file beside a video would be, and checks what every script must hold.
#include <algorithm>

#include "fuzz/require.h"
#include "subtitles/colour_table.h"
#include "subtitles/sami_classes.h"
#include "subtitles/sami_reader.h"
#include "subtitles/sami_subtitle.h"
#include "subtitles/ssa_writer.h"

void FuzzOne(const std::string& bytes) {
  using namespace clipvane;
  static const ColourTable colours;
  static const SamiSubtitle sami;

  const SsaStyle style;
  RequireWellFormedScript(sami.SsaLines(bytes, "fuzz", style, colours, ""));

  // The scanner on its own also takes any bytes, line breaks and NULs included, and so
  // does the plain route's copy.
  (void)ParseEntry(bytes, colours);
  (void)sami.PlainCopy(bytes, "");
  // Choosing a language of a file in two takes only paragraphs out, and keeps every
  // line break, so that the blocks keep their lines.
  const std::vector<std::string> classes = SamiClasses(bytes);
  const std::string kept = KeepSamiClass(bytes, classes.empty() ? "ENCC" : classes.back());
  Require(kept.size() <= bytes.size());
  const auto breaks = [](const std::string& text) {
    return std::count(text.begin(), text.end(), '\r') + std::count(text.begin(), text.end(), '\n');
  };
  Require(breaks(kept) == breaks(bytes));
}
