#include "settings/subtitle_fonts.h"

#include <string>
#include <vector>

#include "base/text.h"
#include "platform/ini_profile.h"
#include "platform/text_encoding.h"
#include "settings/settings_store.h"

namespace clipvane {
namespace {

constexpr const char* kDefaultFontSize = "2,2";

std::string DefaultFontName() { return Utf8ToAnsi(u8"gulim.ttc,굴림"); }

}  // namespace

std::array<int, 8> SubtitleSizeList(bool colour_route, int platform_choice) {
  if (!colour_route) return {2, 3, 4, 5, 6, 7, 8, 9};
  return DescriptorForChoice(platform_choice).colour_sizes;
}

int PlainSubtitleSize(const EncodeSettings& settings) {
  const std::array<int, 8> sizes = SubtitleSizeList(false, -1);
  const int index = settings.plainsizeindex;
  return sizes[index < 0 || index >= static_cast<int>(sizes.size()) ? 0 : static_cast<std::size_t>(index)];
}

int ConfiguredSizeIndex(EncodeSettings& settings, const IniProfile& ini, bool colour_route) {
  if (settings.plainsizeindex == -1) {
    std::vector<std::string> items = SplitCommaText(ini.ReadString(kSettingsSection, "fontsize", kDefaultFontSize));
    if (items.size() < 2) items = SplitCommaText(kDefaultFontSize);
    settings.plainsizeindex = ParseIntegerOr(items[0], 2);
    settings.colorsizeindex = ParseIntegerOr(items[1], 2);
  }
  return colour_route ? settings.colorsizeindex : settings.plainsizeindex;
}

void ReadConfiguredFontPair(EncodeSettings& settings, const IniProfile& ini) {
  if (!settings.fontfile.empty()) return;
  std::vector<std::string> items =
      SplitAtCommas(AsciiLower(ini.ReadString(kSettingsSection, "fontname", DefaultFontName())));
  if (items.size() < 2) items = SplitAtCommas(DefaultFontName());
  settings.fontfile = items[0];
  settings.fontface = items[1];
}

int ApplySubtitleSize(EncodeSettings& settings, EncoderPreset& preset, const IniProfile& ini, bool colour_route,
                      int platform_choice) {
  const std::array<int, 8> sizes = SubtitleSizeList(colour_route, platform_choice);
  int index = ConfiguredSizeIndex(settings, ini, colour_route);
  if (index < 0 || index >= static_cast<int>(sizes.size())) index = 0;
  preset.subtitlefontsize = sizes[static_cast<std::size_t>(index)];
  ReadConfiguredFontPair(settings, ini);
  return index;
}

}  // namespace clipvane
