#pragma once
#include <string>

#include "media/media_facts.h"
#include "settings/encode_settings.h"

namespace clipvane {

struct PictureSize {
  int width = 0;
  int height = 0;
  bool operator==(const PictureSize& other) const {
    return width == other.width && height == other.height;
  }
};

// How one video's picture is fitted onto the player's screen. Sizes are in the
// source's own orientation; the turn comes after all other filters.
struct PictureGeometry {
  bool rotate = false;
  PictureSize crop, scale, expand;
  std::string crop_option, scale_option, expand_option, rotate_option;
};

// The font size and vertical margin for coloured subtitles drawn on the source picture.
struct SsaStyleMetrics {
  int font_size = 0;
  int margin_v = 0;
};

PictureSize CropSize(int displaymode, int width, int height, PictureSize frame);
PictureSize ScaleSize(int displaymode, int width, int height, PictureSize frame);
// The picture plan for the settings' screen fit and device (and their derived frame).
PictureGeometry PlanGeometry(const MediaFacts& facts, const EncodeSettings& settings, const EncoderPreset& preset);

// The video's aspect class: the ratio text of its probed aspect (before any turn).
std::string AspectClass(const MediaFacts& facts);

SsaStyleMetrics SubtitleMetrics(const PictureGeometry& geometry, const MediaFacts& facts,
                                int subtitlefontsize);

}  // namespace clipvane
