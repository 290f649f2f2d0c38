#include "settings/options_dialog_model.h"

#include <algorithm>

#include "common/text.h"
#include "platform/shell.h"
#include "platform/text_encoding.h"
#include "settings/subtitle_fonts.h"

namespace clipvane {
namespace {

bool LessIgnoringCase(const std::string& a, const std::string& b) { return CompareTextIgnoringCase(a, b) < 0; }
bool SameIgnoringCase(const std::string& a, const std::string& b) { return CompareTextIgnoringCase(a, b) == 0; }

std::vector<std::string> AnsiItems(std::initializer_list<const char*> utf8_items) {
  std::vector<std::string> items;
  for (const char* item : utf8_items) items.push_back(Utf8ToAnsi(item));
  return items;
}

// Cuts the name before `marker` when it holds one.
std::string CutBefore(const std::string& name, const std::string& marker) {
  const std::size_t at = name.find(marker);
  return at == std::string::npos ? name : name.substr(0, at);
}

}  // namespace

std::string OptionsCaption() { return Utf8ToAnsi(u8"설정"); }

std::vector<std::string> ScreenFitItems() {
  return AnsiItems({u8"전체 화면으로 보기 (비율을 맞추는 대신 화면이 잘림)",
                    u8"전체 화면으로 보기 (비율이 이상하지만 화면은 안잘림)", u8"원래 영상 비율로 보기",
                    u8"원래 영상 비율로 보기 (iPod touch와 iPhone 640x480 최적)"});
}

std::vector<std::string> QualityItems() { return AnsiItems({u8"좋음", u8"보통", u8"낮음"}); }

std::vector<std::string> PlatformItems() { return AnsiItems({u8"iPod touch와 iPhone", u8"iPod nano와 iPod Classic"}); }

std::string QualityDescription(int selection) {
  if (selection == 0) return Utf8ToAnsi(u8"최상의 동영상 품질을 뽑아내지만 인코딩 속도가 느립니다.");
  if (selection == 1) return Utf8ToAnsi(u8"보통의 동영상 품질에 인코딩 속도도 무난합니다. (추천)");
  return Utf8ToAnsi(u8"동영상 품질은 떨어지지만 인코딩 속도가 빠릅니다.");
}

std::string SubtitleSyncWarning() {
  return Utf8ToAnsi(
      u8"자막이 영상과 안맞을 경우에만 이것을 체크해서 재인코딩하세요. (이 작업은 두단계를 거치므로 인코딩 속도가 좀 "
      u8"느립니다.)");
}

OptionsControls ControlsFromSettings(const EncodeSettings& settings) {
  OptionsControls controls;
  controls.display = settings.choices.display;
  controls.qulity = settings.choices.qulity;
  controls.platform = settings.choices.platform;
  controls.noresizefor43scale = settings.noresizefor43scale;
  controls.subtitlesync = settings.subtitlesync;
  controls.audiosync = settings.audiosync;
  controls.needsubtitle = settings.needsubtitle;
  controls.colorsubtitle = settings.colorsubtitle;
  return controls;
}

void TakeControls(EncodeSettings& settings, const OptionsControls& controls) {
  settings.choices.display = controls.display;
  settings.choices.qulity = controls.qulity;
  settings.choices.platform = controls.platform;
  settings.noresizefor43scale = controls.noresizefor43scale;
  settings.subtitlesync = controls.subtitlesync;
  settings.audiosync = controls.audiosync;
  settings.needsubtitle = controls.needsubtitle;
  settings.colorsubtitle = controls.colorsubtitle;
}

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

SubtitleListsView SubtitleFontLists::Fill(EncodeSettings& settings, const IniProfile& ini, bool colour_route,
                                          int platform_choice) {
  SubtitleListsView view;
  const std::array<int, 8> sizes = SubtitleSizeList(colour_route, platform_choice);
  for (int size : sizes) view.sizes.push_back(std::to_string(size));
  int index = ConfiguredSizeIndex(settings, ini, colour_route);
  if (index < 0 || index >= static_cast<int>(sizes.size())) index = 0;
  view.size_index = index;
  settings.subtitlefontsize = sizes[static_cast<std::size_t>(index)];
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
