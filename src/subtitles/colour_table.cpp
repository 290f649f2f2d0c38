#include "subtitles/colour_table.h"
#include "platform/text_encoding.h"

#include <algorithm>

namespace clipvane {
namespace {

struct NamedColour {
  const char* name;
  std::uint32_t value;
};

// The names SAMI authors have been seen to use. Common ones such as black, grey and
// fuchsia are missing on purpose: subtitles written with them have always come out white.
constexpr NamedColour kNamedColours[] = {
    {"darkslategray", 0x2F4F4F},  {"slategray", 0x708090},
    {"lightslategray", 0x778899}, {"dimgray", 0x696969},
    {"gray", 0x808080},           {"darkgray", 0xA9A9A9},
    {"silver", 0xC0C0C0},         {"lightgrey", 0xD3D3D3},
    {"peachpuff", 0xFFDAB9},      {"palegoldenrod", 0xEEE8AA},
    {"mistyrose", 0xFFE4E1},      {"moccasin", 0xFFE4B5},
    {"navajowhite", 0xFFDEAD},    {"tan", 0xD2B48C},
    {"wheat", 0xF5DEB3},          {"khaki", 0xF0E68C},
    {"lavender", 0xE6E6FA},       {"bisque", 0xFFE4C4},
    {"blanchedalmond", 0xFFEBCD}, {"burlywood", 0xDEB887},
    {"peru", 0xCD853F},           {"darkturquoise", 0x00CED1},
    {"deepskyblue", 0x00BFFF},    {"aquamarine", 0x7FFFD4},
    {"dodgerblue", 0x1E90FF},     {"cyan", 0x00FFFF},
    {"lightskyblue", 0x87CEFA},   {"paleturquoise", 0xAFEEEE},
    {"lightblue", 0xADD8E6},      {"lightsteelblue", 0xB0C4DE},
    {"turquoise", 0x40E0D0},      {"mediumturquoise", 0x48D1CC},
    {"aqua", 0x00FFFF},           {"mediumslateblue", 0x7B68EE},
    {"midnightblue", 0x191970},   {"cornflowerblue", 0x6495ED},
    {"mediumblue", 0x0000CD},     {"slateblue", 0x6A5ACD},
    {"steelblue", 0x4682B4},      {"blue", 0x0000FF},
    {"cadetblue", 0x5F9EA0},      {"skyblue", 0x87CEEB},
    {"royalblue", 0x4169E1},      {"powderblue", 0xB0E0E6},
    {"navy", 0x000080},           {"blueviolet", 0x8A2BE2},
    {"darkmagenta", 0x8B008B},    {"darkviolet", 0x9400D3},
    {"magenta", 0xFF00FF},        {"mediumvioletred", 0xC71585},
    {"mediumorchid", 0xBA55D3},   {"mediumpurple", 0x9370DB},
    {"crimson", 0xDC143C},        {"deeppink", 0xFF1493},
    {"lightpink", 0xFFB6C1},      {"hotpink", 0xFF69B4},
    {"pink", 0xFFC0CB},           {"plum", 0xDDA0DD},
    {"purple", 0x800080},         {"violet", 0xEE82EE},
    {"thistle", 0xD8BFD8},        {"orchid", 0xDA70D6},
    {"indigo", 0x4B0082},         {"brown", 0xA52A2A},
    {"darksalmon", 0xE9967A},     {"lightcoral", 0xF08080},
    {"indianred", 0xCD5C5C},      {"lightsalmon", 0xFFA07A},
    {"palevioletred", 0xDB7093},  {"sandybrown", 0xF4A460},
    {"salmon", 0xFA8072},         {"tomato", 0xFF6347},
    {"orangered", 0xFF4500},      {"red", 0xFF0000},
    {"maroon", 0x800000},         {"darkred", 0x8B0000},
    {"firebrick", 0xB22222},      {"chocolate", 0xD2691E},
    {"saddlebrown", 0x8B4513},    {"rosybrown", 0xBC8F8F},
    {"coral", 0xFF7F50},          {"darkorange", 0xFF8C00},
    {"orange", 0xFFA500},         {"darkgoldenrod", 0xB8860B},
    {"gold", 0xFFD700},           {"lawngreen", 0x7CFC00},
    {"lime", 0x00FF00},           {"limegreen", 0x32CD32},
    {"springgreen", 0x00FF7F},    {"mediumseagreen", 0x3CB371},
    {"greenyellow", 0xADFF2F},    {"darkseagreen", 0x8FBC8F},
    {"lightgreen", 0x90EE90},     {"palegreen", 0x98FB98},
    {"seagreen", 0x2E8B57},       {"mediumspringgreen", 0x00FA9A},
    {"lightseagreen", 0x20B2AA},  {"mediumaquamarine", 0x66CDAA},
    {"forestgreen", 0x228B22},    {"teal", 0x008080},
    {"darkgreen", 0x006400},      {"darkolivegreen", 0x556B2F},
    {"green", 0x008000},          {"olive", 0x808000},
    {"olivedrab", 0x6B8E23},      {"darkkhaki", 0xBDB76B},
    {"goldenrod", 0xDAA520},      {"white", 0xFFFFFF},
    {"yellow", 0xFFFF00},
};

}  // namespace

ColourTable::ColourTable() {
  pairs_.reserve(std::size(kNamedColours));
  for (const NamedColour& colour : kNamedColours) pairs_.push_back({colour.name, colour.value});
  std::sort(pairs_.begin(), pairs_.end(),
            [](const Pair& a, const Pair& b) { return AsciiLower(a.name) < AsciiLower(b.name); });
}

std::optional<std::size_t> ColourTable::IndexOf(const std::string& name) const {
  for (std::size_t i = 0; i < pairs_.size(); ++i)
    if (EqualsIgnoringAsciiCase(pairs_[i].name, name)) return i;
  return std::nullopt;
}

}  // namespace clipvane
