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
  std::string cropOption, scaleOption, expandOption, rotateOption;
};

// The font size and vertical margin for coloured subtitles drawn on the source picture.
struct SsaStyleMetrics {
  int fontSize = 0;
  int marginV = 0;
};

PictureSize CropSize(int displaymode, int width, int height, PictureSize frame);
PictureSize ScaleSize(int displaymode, int width, int height, PictureSize frame);
PictureGeometry PlanGeometry(const MediaFacts& facts, const EncodeSettings& settings);

// The video's aspect class: the ratio text of its probed aspect (before any turn).
std::string AspectClass(const MediaFacts& facts);

SsaStyleMetrics SubtitleMetrics(const PictureGeometry& geometry, const MediaFacts& facts,
                                int subtitlefontsize);

}  // namespace clipvane
