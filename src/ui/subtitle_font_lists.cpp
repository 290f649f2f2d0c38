#include "ui/subtitle_font_lists.h"

#include <algorithm>
#include <optional>

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
    if (std::none_of(items.begin(), items.end(),
                     [&](const std::string& item) { return SameIgnoringCase(item, family); }))
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
  return -1;
}

std::vector<std::string> SubtitleFontLists::FontItems(bool colour_route) {
  if (colour_route) return ScreenFontItems(fonts_.Families());
  map_ = BuildFontFileMap(fonts_.RegistryValues());
  std::vector<std::string> items;
  for (const FontFileLine& line : map_) items.push_back(line.name);
  return items;
}

std::optional<std::size_t> SubtitleFontLists::HangulFirst(std::vector<std::string>& items, bool colour_route) {
  const std::vector<std::string> names = fonts_.HangulNames();
  const auto named = [&](const std::string& name) {
    return std::any_of(names.begin(), names.end(),
                       [&](const std::string& hangul) { return SameIgnoringCase(hangul, name); });
  };
  std::vector<bool> hangul(items.size());
  if (colour_route) {
    for (std::size_t i = 0; i < items.size(); ++i) hangul[i] = named(items[i]);
  } else {
    // The plain route's names are cut from the value names: a font is known by its file.
    std::vector<std::string> files;
    for (const FontRegistryValue& value : fonts_.RegistryValues())
      if (named(value.name)) files.push_back(value.data);
    for (std::size_t i = 0; i < map_.size(); ++i)
      hangul[i] = std::find(files.begin(), files.end(), map_[i].file) != files.end();
  }
  std::vector<std::size_t> order(items.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  const auto end = std::stable_partition(order.begin(), order.end(), [&](std::size_t i) { return hangul[i]; });
  const auto korean = static_cast<std::size_t>(end - order.begin());
  if (korean == 0) return std::nullopt;
  std::vector<std::string> moved_items;
  FontFileMap moved_map;
  for (std::size_t i : order) {
    moved_items.push_back(items[i]);
    if (!colour_route) moved_map.push_back(map_[i]);
  }
  items = std::move(moved_items);
  if (!colour_route) map_ = std::move(moved_map);
  // The list sorts "Nanum Bold" before "Nanum": the plain face is the one to offer.
  const auto styled = [&](std::size_t i) {
    for (std::size_t j = 0; j < korean; ++j)
      if (items[i].size() > items[j].size() &&
          SameIgnoringCase(items[i].substr(0, items[j].size() + 1), items[j] + " "))
        return true;
    return false;
  };
  std::size_t plain = 0;
  while (styled(plain)) ++plain;  // the shortest name is never styled
  return plain;
}

SubtitleListsView SubtitleFontLists::Fill(EncodeSettings& settings, EncoderPreset& preset, const IniProfile& ini,
                                          bool colour_route, int platform_choice) {
  SubtitleListsView view;
  for (int size : SubtitleSizeList(colour_route, platform_choice)) view.sizes.push_back(std::to_string(size));
  view.size_index = ApplySubtitleSize(settings, preset, ini, colour_route, platform_choice);
  view.fonts = FontItems(colour_route);
  const std::optional<std::size_t> korean = HangulFirst(view.fonts, colour_route);
  view.font_index = FindConfiguredFont(settings, ini, colour_route, view.fonts, map_);
  if (view.font_index == -1) {
    view.font_index = korean ? static_cast<int>(*korean) : 0;
    // A Korean font, rather than the configured one that is not there, is what the
    // dialog shows and what the subtitles are drawn with.
    if (korean) FontChosen(settings, colour_route, view.fonts[*korean]);
  }
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
