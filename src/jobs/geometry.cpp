#include "jobs/geometry.h"

#include <cmath>
#include <cstdio>
#include <utility>

#include "jobs/ratio_text.h"

namespace clipvane {
namespace {

constexpr int kFitFrame = 0;
constexpr int kFit640Frame = 1;
constexpr int kFillAndCrop = 3;

// Walks a side down from `start` until the ratio text of the candidate reaches
// `target`: `ratio_of(n)` gives the candidate's text, `before` says whether the
// search has not reached the target yet. Where the texts cross without meeting, the
// last size before the crossing wins.
template <typename RatioOf, typename Before>
int SearchSide(int start, const std::string& target, RatioOf ratio_of, Before before) {
  for (int n = start; n >= 1; --n) {
    const std::string candidate = ratio_of(n);
    if (before(candidate, target)) continue;
    return candidate == target ? n : n + 1;
  }
  return start;
}

bool TextGreater(const std::string& a, const std::string& b) { return a > b; }
bool TextLess(const std::string& a, const std::string& b) { return a < b; }

std::string Option(const char* format, PictureSize size) {
  char text[96];
  std::snprintf(text, sizeof text, format, size.width, size.height);
  return text;
}

}  // namespace

PictureSize CropSize(int displaymode, int width, int height, PictureSize frame) {
  PictureSize crop{width, height};
  if (displaymode != kFillAndCrop || height == 0) return crop;
  const std::string frame_ratio = RatioText(frame.width, frame.height);
  const std::string source_ratio = RatioText(width, height);
  if (RatioGreaterByValue(source_ratio, frame_ratio)) {
    crop.width = SearchSide(width, frame_ratio, [&](int c) { return RatioText(c, height); }, TextGreater);
  } else {
    crop.height = SearchSide(height, frame_ratio, [&](int r) { return RatioText(width, r); }, TextLess);
  }
  return crop;
}

PictureSize ScaleSize(int displaymode, int width, int height, PictureSize frame) {
  PictureSize scale = frame;
  if ((displaymode != kFitFrame && displaymode != kFit640Frame) || height == 0) return scale;
  const std::string source_ratio = RatioText(width, height);
  const std::string frame_ratio = RatioText(frame.width, frame.height);
  if (RatioGreaterByValue(frame_ratio, source_ratio)) {
    scale.width = SearchSide(frame.width, source_ratio,
                             [&](int c) { return RatioText(c, frame.height); }, TextGreater);
  } else {
    scale.height = SearchSide(frame.height, source_ratio,
                              [&](int r) { return RatioText(frame.width, r); }, TextLess);
  }
  return scale;
}

std::string AspectClass(const MediaFacts& facts) {
  // The probe stores width / height; the text is that double rounded to hundredths.
  return facts.height == 0 ? RatioText(0, 1) : RatioText(facts.width, facts.height);
}

PictureGeometry PlanGeometry(const MediaFacts& facts, const EncodeSettings& settings, const EncoderPreset& preset) {
  int mode = preset.displaymode;
  if (settings.noresizefor43scale && AspectClass(facts) == "1.33") mode = kFitFrame;

  PictureGeometry geometry;
  int w = facts.width;
  int h = facts.height;
  if (h > w) {  // portrait pictures are turned; a square one is not
    geometry.rotate = true;
    std::swap(w, h);
  }
  const PictureSize frame{preset.framewidth, preset.frameheight};
  geometry.crop = CropSize(mode, w, h, frame);
  geometry.scale = ScaleSize(mode, w, h, frame);
  if (geometry.rotate) {
    std::swap(geometry.crop.width, geometry.crop.height);
    std::swap(geometry.scale.width, geometry.scale.height);
  }
  // nano/Classic pad every picture to the whole landscape frame.
  geometry.expand = settings.platform == 0 ? geometry.scale : frame;

  geometry.crop_option = Option("-vf-add crop=%d:%d:-1:-1", geometry.crop);
  geometry.scale_option = Option("-vf-add scale=%d:%d", geometry.scale);
  geometry.expand_option = Option("-vf-add expand=%d:%d:-1:-1:1", geometry.expand);
  geometry.rotate_option = geometry.rotate ? "-vf-add rotate=2" : "";
  return geometry;
}

SsaStyleMetrics SubtitleMetrics(const PictureGeometry& geometry, const MediaFacts& facts,
                                int subtitlefontsize) {
  const int smaller_side = facts.height > facts.width ? facts.width : facts.height;
  const int difference = smaller_side - geometry.crop.height;
  SsaStyleMetrics metrics;
  metrics.margin_v = difference < 30 ? 20 : difference - 10;

  const double factor = static_cast<double>(geometry.crop.height) / geometry.scale.height;
  const std::string aspect = AspectClass(facts);
  double k = 1.0;
  if (aspect == "2.38") k = 1.2;
  else if (aspect == "2.33") k = 1.4;
  else if (aspect == "1.78" || aspect == "1.88") k = 1.1;
  // nearbyint rounds ties to even in the default rounding mode.
  metrics.font_size = static_cast<int>(std::nearbyint(subtitlefontsize * factor * k));
  return metrics;
}

}  // namespace clipvane
