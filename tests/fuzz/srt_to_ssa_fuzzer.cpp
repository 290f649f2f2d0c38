// Feeds arbitrary file contents through the SRT reader and the SSA writer, as an SRT
// file beside a video would be, and checks what every script must hold.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/require.h"
#include "subtitles/colour_table.h"
#include "subtitles/sami_text.h"
#include "subtitles/srt_reader.h"
#include "subtitles/ssa_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace clipvane;
  static const ColourTable colours;
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  SsaStyle style;
  style.font_name = "Gulim";
  style.font_size = 20;
  const std::vector<std::string> srt = SplitLines(SamiTextFromBytes(bytes));
  const std::vector<std::string> lines = SsaLinesFromSrt(srt, "fuzz", style, colours);

  // The 22 header lines, then one Dialogue line per cue with text, never a line break
  // or a NUL; every cue shows for a while.
  Require(lines.size() >= 22);
  Require(lines[0] == "[Script Info]" && lines[21].rfind("Format: Marked", 0) == 0);
  for (std::size_t i = 22; i < lines.size(); ++i) Require(lines[i].rfind("Dialogue: Marked=0,", 0) == 0);
  for (const std::string& line : lines) Require(line.find_first_of(std::string("\r\n\0", 3)) == std::string::npos);
  for (const SrtCue& cue : ReadSrtCues(srt)) Require(cue.start >= 0 && cue.start < cue.end);

  // The cue text converter on its own takes any bytes, line breaks and NULs included.
  (void)SrtSsaText({bytes}, colours);
  return 0;
}
