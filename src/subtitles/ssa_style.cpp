#include "subtitles/ssa_style.h"

#include "settings/settings_store.h"

namespace clipvane {

SsaStyle SsaStyleFor(const EncodeSettings& settings, int font_size, int margin_v) {
  SsaStyle style;
  style.fontName = SubtitleFont(settings);
  style.fontSize = font_size;
  style.marginV = margin_v;
  style.playResY = settings.frameheight;
  return style;
}

}  // namespace clipvane
