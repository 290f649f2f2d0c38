// Feeds arbitrary file contents through the SRT reader and the SSA writer, as an SRT
// file beside a video would be, and checks what every script must hold.
#include "fuzz/require.h"
#include "subtitles/colour_table.h"
#include "subtitles/sami_text.h"
#include "subtitles/srt_reader.h"
#include "subtitles/ssa_writer.h"

void FuzzOne(const std::string& bytes) {
  using namespace clipvane;
  static const ColourTable colours;

  const SsaStyle style;
  const std::vector<std::string> srt = SplitLines(SamiTextFromBytes(bytes));
  const std::vector<std::string> lines = SsaLinesFromSrt(srt, "fuzz", style, colours);

  // A well-formed script, and every cue shows for a while.
  RequireWellFormedScript(lines);
  for (const SrtCue& cue : ReadSrtCues(srt)) Require(cue.start >= 0 && cue.start < cue.end);

  // The cue text converter on its own takes any bytes, line breaks and NULs included.
  (void)SrtSsaText({bytes}, colours);
}
