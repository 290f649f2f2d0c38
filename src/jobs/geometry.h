#pragma once
#include <string>

#include "media/media_facts.h"
#include "settings/encode_settings.h"

namespace clipvane {

struct PictureSize {
  int width = 0;
  int height = 0;
  bool operator==(const PictureSize& other) const { return width == other.width && height == other.height; }
};

// How one video's picture is fitted onto the player's screen. Sizes are in the
// source's own orientation; the turn comes after all other filters.
struct PictureGeometry {
  bool rotate = false;
  PictureSize crop, scale, expand;
  std::string crop_option, scale_option, expand_option, rotate_option;
};

// The font size and vertical margin for coloured subtitles drawn on the source
// picture, in a script whose height is `play_res_y` (0: the device's frame height).
struct SsaStyleMetrics {
  int font_size = 0;
  int margin_v = 0;
  int play_res_y = 0;
};

PictureSize CropSize(DisplayMode displaymode, int width, int height, PictureSize frame);
PictureSize ScaleSize(DisplayMode displaymode, int width, int height, PictureSize frame);
// The picture plan for the settings' screen fit and device (and their derived frame).
PictureGeometry PlanGeometry(const MediaFacts& facts, const EncodeSettings& settings, const EncoderPreset& preset);

// A picture of that size scaled down to fit within the box, never up, keeping its
// shape, both sides even.
PictureSize FitWithin(int width, int height, PictureSize box);
// An unframed device's plan: the whole picture as it is shown, fitted within the frame
// (stood upright for a portrait picture, which is never turned), with no borders.
PictureGeometry PlanFittedGeometry(const MediaFacts& facts, PictureSize frame);

// The video's aspect class: the ratio text of its probed aspect (before any turn).
std::string AspectClass(const MediaFacts& facts);

SsaStyleMetrics SubtitleMetrics(const PictureGeometry& geometry, const MediaFacts& facts, int subtitlefontsize);
// A device's whose subtitles are sized by the shorter side: the size as on the touch's
// 320 lines, which here span the picture's shorter side, whatever its size.
SsaStyleMetrics ShorterSideSubtitleMetrics(const MediaFacts& facts, int subtitlefontsize);

}  // namespace clipvane
