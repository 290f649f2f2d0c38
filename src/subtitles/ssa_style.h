#pragma once
#include <string>

namespace clipvane {

struct EncodeSettings;
struct EncoderPreset;

// What the header and the one style of an SSA script carry.
struct SsaStyle {
  std::string font_name;
  int font_size = 0;
  int margin_v = 20;
  int play_res_y = 320;  // the player's screen height
};

// The style of a coloured-subtitle job: the face name chosen in the settings, the
// target frame height (or the script height worked out for the video, when not 0),
// and the font size and margin worked out for this very video.
SsaStyle SsaStyleFor(const EncodeSettings& settings, const EncoderPreset& preset, int font_size, int margin_v,
                     int play_res_y = 0);

}  // namespace clipvane
