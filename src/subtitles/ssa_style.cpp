#include "subtitles/ssa_style.h"

#include "settings/encode_settings.h"

namespace clipvane {

SsaStyle SsaStyleFor(const EncodeSettings& settings, const EncoderPreset& preset, int font_size, int margin_v,
                     int play_res_y) {
  SsaStyle style;
  style.font_name = settings.fontface;  // the colour route's font is a face name
  style.font_size = font_size;
  style.margin_v = margin_v;
  style.play_res_y = play_res_y > 0 ? play_res_y : preset.frameheight;
  return style;
}

}  // namespace clipvane
