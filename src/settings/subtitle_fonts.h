#pragma once
#include <array>

#include "settings/encode_settings.h"

namespace clipvane {

class IniProfile;

// The eight subtitle sizes offered on a route. The colour route's list depends on
// the device chosen in the dialog (`platform_choice`, -1 when none).
std::array<int, 8> SubtitleSizeList(bool colour_route, int platform_choice);

// The plain route's subtitle size as loaded, whichever route the settings choose: the
// encoder draws a video's own text track in it. Item 0 when the index is out of range.
int PlainSubtitleSize(const EncodeSettings& settings);

// The size index of the route, reading `fontsize` first when the pair is unread.
int ConfiguredSizeIndex(EncodeSettings& settings, const IniProfile& ini, bool colour_route);

// Reads `fontname` into fontfile and fontface when the pair is unread.
void ReadConfiguredFontPair(EncodeSettings& settings, const IniProfile& ini);

// The size and font part of a refill for the route and the device chosen in the
// dialog: the selected size item (item 0 when the configured index is out of range)
// gives the preset's `subtitlefontsize`, and the font pair is read. Returns the
// selected size index.
int ApplySubtitleSize(EncodeSettings& settings, EncoderPreset& preset, const IniProfile& ini, bool colour_route,
                      int platform_choice);

}  // namespace clipvane
