#pragma once
#include <string>

namespace clipvane {

struct EncodeSettings;

// What the header and the one style of an SSA script carry.
struct SsaStyle {
  std::string fontName;
  int fontSize = 0;
  int marginV = 20;
  int playResY = 320;  // the player's screen height
};

// The style of a coloured-subtitle job: the face name chosen in the settings, the
// target frame height, and the font size and margin worked out for this very video.
SsaStyle SsaStyleFor(const EncodeSettings& settings, int font_size, int margin_v);

}  // namespace clipvane
