#pragma once
#include <optional>
#include <string>
#include <vector>

#include "settings/encode_settings.h"

namespace clipvane {

class IniProfile;

// One line of the installed-fonts map: the name shown in the plain route's font list
// and its font file.
struct FontFileLine {
  std::string name;
  std::string file;
};
using FontFileMap = std::vector<FontFileLine>;

// A value of the registry's installed-fonts key: name and data.
struct FontRegistryValue {
  std::string name;
  std::string data;
};

// The installed-fonts map from the registry values: values without data are left
// out, the lines are sorted ignoring case, and a name is cut before its first "&"
// and then before "(TrueType)" (the blank before a marker stays).
FontFileMap BuildFontFileMap(const std::vector<FontRegistryValue>& values);

// The colour route's font list from the installed font families: "Default" and every
// family once, sorted ignoring case, without the vertical-writing "@" names.
std::vector<std::string> ScreenFontItems(const std::vector<std::string>& families);

// Where the font lists come from.
class InstalledFonts {
 public:
  virtual ~InstalledFonts() = default;
  // The installed font families, every character set, in any order and with repeats.
  virtual std::vector<std::string> Families() = 0;
  // The values of the installed-fonts key; empty when it cannot be read.
  virtual std::vector<FontRegistryValue> RegistryValues() = 0;
  // The families and value names among the above whose fonts hold Hangul. Where there
  // are any, the lists show those fonts first, and one of them is taken when the
  // configured font is not installed; without, the lists keep their plain order.
  virtual std::vector<std::string> HangulNames() { return {}; }
};

// What the subtitle part of the dialog shows after a refill.
struct SubtitleListsView {
  std::vector<std::string> sizes;
  int size_index = 0;
  std::vector<std::string> fonts;
  int font_index = 0;
};

// The subtitle size list cbFontSize and font list cbFonts for the plain route
// (font files) or the colour route (face names). Keeps the installed-fonts map of
// the last plain refill, through which a picked name becomes a font file.
class SubtitleFontLists {
 public:
  explicit SubtitleFontLists(InstalledFonts& fonts) : fonts_(fonts) {}

  // Refills both lists for the route and the device selected in the dialog
  // (`platform_choice`, -1 when none) and sets the preset's `subtitlefontsize` from
  // the selected size item; a configured index out of range selects item 0.
  SubtitleListsView Fill(EncodeSettings& settings, EncoderPreset& preset, const IniProfile& ini, bool colour_route,
                         int platform_choice);

  // The user picked a size or a font while the colour box shows `colour_box`.
  void SizeChosen(EncodeSettings& settings, bool colour_box, int index) const;
  void FontChosen(EncodeSettings& settings, bool colour_box, const std::string& item) const;

 private:
  std::vector<std::string> FontItems(bool colour_route);
  // Moves the fonts that hold Hangul to the front, each part keeping its order, and
  // gives the first of them in its plain face (no style added to the name); nothing
  // when none holds Hangul.
  std::optional<std::size_t> HangulFirst(std::vector<std::string>& items, bool colour_route);

  InstalledFonts& fonts_;
  FontFileMap map_;
};

// The index of the configured font among `items` (-1 when it is not there): the face
// name on the colour route; on the plain route the name that `map` gives the
// configured font file, or the file name itself when the map has none.
int FindConfiguredFont(EncodeSettings& settings, const IniProfile& ini, bool colour_route,
                       const std::vector<std::string>& items, const FontFileMap& map);

}  // namespace clipvane
