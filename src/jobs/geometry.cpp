#include "jobs/geometry.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

#include "jobs/ratio_text.h"

namespace clipvane {
namespace {

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

// The planned sizes as the encoder's filter options, whichever way they were planned.
PictureGeometry WithOptions(PictureGeometry geometry) {
  geometry.crop_option = Option("-vf-add crop=%d:%d:-1:-1", geometry.crop);
  geometry.scale_option = Option("-vf-add scale=%d:%d", geometry.scale);
  geometry.expand_option = Option("-vf-add expand=%d:%d:-1:-1:1", geometry.expand);
  geometry.rotate_option = geometry.rotate ? "-vf-add rotate=2" : "";
  return geometry;
}

// The nearest even number of pixels, at least 2: what the H.264 picture takes.
int EvenPixels(double exact) { return std::max(2, static_cast<int>(2 * std::lround(exact / 2))); }
int EvenPixelsDown(int pixels) { return std::max(2, pixels - pixels % 2); }

// Wide pictures get larger subtitles.
double AspectFactor(const std::string& aspect_class) {
  if (aspect_class == "2.38") return 1.2;
  if (aspect_class == "2.33") return 1.4;
  if (aspect_class == "1.78" || aspect_class == "1.88") return 1.1;
  return 1.0;
}

}  // namespace

PictureSize FitWithin(int width, int height, PictureSize box) {
  if (width <= box.width && height <= box.height) return {EvenPixelsDown(width), EvenPixelsDown(height)};
  // The side that meets the box takes its size; the other keeps the picture's shape.
  if (static_cast<long long>(width) * box.height >= static_cast<long long>(height) * box.width)
    return {box.width, std::min(box.height, EvenPixels(static_cast<double>(height) * box.width / width))};
  return {std::min(box.width, EvenPixels(static_cast<double>(width) * box.height / height)), box.height};
}

PictureSize CropSize(DisplayMode displaymode, int width, int height, PictureSize frame) {
  PictureSize crop{width, height};
  if (displaymode != DisplayMode::kFillAndCrop || height == 0) return crop;
  const std::string frame_ratio = RatioText(frame.width, frame.height);
  const std::string source_ratio = RatioText(width, height);
  if (RatioGreaterByValue(source_ratio, frame_ratio)) {
    crop.width = SearchSide(
        width, frame_ratio, [&](int c) { return RatioText(c, height); }, TextGreater);
  } else {
    crop.height = SearchSide(
        height, frame_ratio, [&](int r) { return RatioText(width, r); }, TextLess);
  }
  return crop;
}

PictureSize ScaleSize(DisplayMode displaymode, int width, int height, PictureSize frame) {
  PictureSize scale = frame;
  if ((displaymode != DisplayMode::kFit && displaymode != DisplayMode::kFit640Frame) || height == 0) return scale;
  const std::string source_ratio = RatioText(width, height);
  const std::string frame_ratio = RatioText(frame.width, frame.height);
  if (RatioGreaterByValue(frame_ratio, source_ratio)) {
    scale.width = SearchSide(
        frame.width, source_ratio, [&](int c) { return RatioText(c, frame.height); }, TextGreater);
  } else {
    scale.height = SearchSide(
        frame.height, source_ratio, [&](int r) { return RatioText(frame.width, r); }, TextLess);
  }
  return scale;
}

std::string AspectClass(const MediaFacts& facts) {
  // The probe stores width / height; the text is that double rounded to hundredths.
  return facts.height == 0 ? RatioText(0, 1) : RatioText(facts.width, facts.height);
}

PictureGeometry PlanGeometry(const MediaFacts& facts, const EncodeSettings& settings, const EncoderPreset& preset) {
  const DeviceDescriptor& device = DescriptorOf(settings.platform);
  if (!device.framed) return PlanFittedGeometry(facts, {preset.framewidth, preset.frameheight});
  DisplayMode mode = preset.displaymode;
  if (settings.noresizefor43scale && AspectClass(facts) == "1.33") mode = DisplayMode::kFit;

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
  geometry.expand = device.pads_to_frame ? frame : geometry.scale;

  return WithOptions(geometry);
}

PictureGeometry PlanFittedGeometry(const MediaFacts& facts, PictureSize frame) {
  PictureGeometry geometry;
  // The device turns itself: a portrait picture stays portrait, in the frame stood upright.
  if (facts.height > facts.width) std::swap(frame.width, frame.height);
  geometry.crop = {facts.width, facts.height};
  geometry.scale = FitWithin(facts.width, facts.height, frame);
  geometry.expand = geometry.scale;
  return WithOptions(geometry);
}

SsaStyleMetrics ShorterSideSubtitleMetrics(const MediaFacts& facts, int subtitlefontsize) {
  // The sizes are those of the touch's 320 lines; here 320 units span the picture's
  // shorter side, so that the text takes the share of it that it takes there.
  SsaStyleMetrics metrics;
  metrics.margin_v = 20;
  metrics.font_size = static_cast<int>(std::nearbyint(subtitlefontsize * AspectFactor(AspectClass(facts))));
  const int shorter = std::min(facts.width, facts.height);
  metrics.play_res_y = shorter > 0 ? static_cast<int>(std::lround(320.0 * facts.height / shorter)) : 320;
  return metrics;
}

SsaStyleMetrics SubtitleMetrics(const PictureGeometry& geometry, const MediaFacts& facts, int subtitlefontsize) {
  const int smaller_side = facts.height > facts.width ? facts.width : facts.height;
  const int difference = smaller_side - geometry.crop.height;
  SsaStyleMetrics metrics;
  metrics.margin_v = difference < 30 ? 20 : difference - 10;

  const double factor = static_cast<double>(geometry.crop.height) / geometry.scale.height;
  // nearbyint rounds ties to even in the default rounding mode.
  metrics.font_size = static_cast<int>(std::nearbyint(subtitlefontsize * factor * AspectFactor(AspectClass(facts))));
  return metrics;
}

}  // namespace clipvane
