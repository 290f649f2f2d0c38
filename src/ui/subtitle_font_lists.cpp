#include "ui/subtitle_font_lists.h"

#include <algorithm>

#include "platform/text_encoding.h"
#include "settings/subtitle_fonts.h"

namespace clipvane {
namespace {

bool LessIgnoringCase(const std::string& a, const std::string& b) { return CompareTextIgnoringCase(a, b) < 0; }
bool SameIgnoringCase(const std::string& a, const std::string& b) { return CompareTextIgnoringCase(a, b) == 0; }

// Cuts the name before `marker` when it holds one.
std::string CutBefore(const std::string& name, const std::string& marker) {
  const std::size_t at = name.find(marker);
  return at == std::string::npos ? name : name.substr(0, at);
}

}  // namespace

FontFileMap BuildFontFileMap(const std::vector<FontRegistryValue>& values) {
  std::vector<std::string> lines;
  for (const FontRegistryValue& value : values)
    if (!value.data.empty()) lines.push_back(value.name + "=" + value.data);
  std::stable_sort(lines.begin(), lines.end(), LessIgnoringCase);
  FontFileMap map;
  for (const std::string& line : lines) {
    // Font names hold no "=", so the first one ends the name.
    const std::size_t equals = line.find('=');
    std::string name = line.substr(0, equals);
    name = CutBefore(CutBefore(name, "&"), "(TrueType)");
    map.push_back({name, line.substr(equals + 1)});
  }
  return map;
}

std::vector<std::string> ScreenFontItems(const std::vector<std::string>& families) {
  std::vector<std::string> items{"Default"};
  for (const std::string& family : families) {
    if (family.empty() || family[0] == '@') continue;
    if (std::none_of(items.begin(), items.end(), [&](const std::string& item) { return SameIgnoringCase(item, family); }))
      items.push_back(family);
  }
  std::stable_sort(items.begin(), items.end(), LessIgnoringCase);
  return items;
}

int FindConfiguredFont(EncodeSettings& settings, const IniProfile& ini, bool colour_route,
                       const std::vector<std::string>& items, const FontFileMap& map) {
  ReadConfiguredFontPair(settings, ini);
  std::string wanted;
  if (colour_route) {
    wanted = settings.fontface;
  } else {
    wanted = AsciiLower(settings.fontfile);
    for (const FontFileLine& line : map)
      if (AsciiLower(line.file) == wanted) {
        wanted = line.name;
        break;
      }
  }
  for (std::size_t i = 0; i < items.size(); ++i)
    if (SameIgnoringCase(items[i], wanted)) return static_cast<int>(i);
  return 0;
}

std::vector<std::string> SubtitleFontLists::FontItems(bool colour_route) {
  if (colour_route) return ScreenFontItems(fonts_.Families());
  map_ = BuildFontFileMap(fonts_.RegistryValues());
  std::vector<std::string> items;
  for (const FontFileLine& line : map_) items.push_back(line.name);
  return items;
}

SubtitleListsView SubtitleFontLists::Fill(EncodeSettings& settings, EncoderPreset& preset, const IniProfile& ini,
                                          bool colour_route, int platform_choice) {
  SubtitleListsView view;
  for (int size : SubtitleSizeList(colour_route, platform_choice)) view.sizes.push_back(std::to_string(size));
  view.size_index = ApplySubtitleSize(settings, preset, ini, colour_route, platform_choice);
  view.fonts = FontItems(colour_route);
  view.font_index = FindConfiguredFont(settings, ini, colour_route, view.fonts, map_);
  return view;
}

void SubtitleFontLists::SizeChosen(EncodeSettings& settings, bool colour_box, int index) const {
  (colour_box ? settings.colorsizeindex : settings.plainsizeindex) = index;
}

void SubtitleFontLists::FontChosen(EncodeSettings& settings, bool colour_box, const std::string& item) const {
  if (colour_box) {
    settings.fontface = item;
    return;
  }
  for (const FontFileLine& line : map_)
    if (SameIgnoringCase(line.name, item)) {
      settings.fontfile = line.file;
      return;
    }
}

}  // namespace clipvane
