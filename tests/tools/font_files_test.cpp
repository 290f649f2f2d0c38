// The fonts the encoder stand-in draws subtitles with, found from the font files'
// own tables on every platform.
#include "font_files.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "mencoder_inputs.h"
#include "subtitle_fonts.h"
#include "tool_files.h"
#include "support/temp_folder.h"

namespace clipvane::tools {
namespace {

// From scripts/setup.sh: fonts-nanum and fonts-dejavu-core.
const std::string kNanum = "/usr/share/fonts/truetype/nanum/";
const std::string kDejaVu = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr char32_t kHan = 0xD55C;  // 한

// The same font as a one-font collection: a collection header before it, and every
// table offset moved by the header's length, as collection offsets count from the
// file's start.
std::string AsCollection(std::string font) {
  const int tables = static_cast<unsigned char>(font[4]) << 8 | static_cast<unsigned char>(font[5]);
  for (int table = 0; table < tables; ++table) {
    // 16 added to the big-endian offset, from its lowest byte up.
    for (int at = 12 + table * 16 + 11, carry = 16; carry > 0; --at) {
      const int sum = static_cast<unsigned char>(font[at]) + carry;
      font[at] = static_cast<char>(sum & 0xFF), carry = sum >> 8;
    }
  }
  return std::string("ttcf\0\1\0\0\0\0\0\1\0\0\0\x10", 16) + font;
}

std::optional<FontFacts> FromBytes(const std::string& bytes) {
  return FontFacts::Read([&bytes](std::uint32_t offset, std::uint32_t length) {
    return offset >= bytes.size() ? std::string() : bytes.substr(offset, length);
  });
}

TEST(FontFacts, ReadsFamiliesAndCharactersOfAFontOrTheFirstOfACollectionAndRefusesWhatIsNoFont) {
  const std::string gothic = kNanum + "NanumGothic.ttf", family = "\xEB\x82\x98\xEB\x88\x94\xEA\xB3\xA0\xEB\x94\x95";
  // The file, as a collection or not, its families, characters it has (Cyrillic, as in
  // KS X 1001) and lacks (Armenian).
  const std::tuple<std::string, bool, std::vector<std::string>, std::vector<char32_t>, std::vector<char32_t>> cases[] =
      {{gothic, false, {"NanumGothic", family}, {U'A', kHan, 0xAC00, 0x0416}, {0x0531, 0x1F600}},
       {gothic, true, {"NanumGothic", family}, {kHan}, {}},
       {kDejaVu, false, {"DejaVu Sans"}, {U'A', 0xE9, 0x0531}, {kHan}}};
  for (const auto& [file, collection, families, has, lacks] : cases) {
    const std::optional<FontFacts> facts =
        collection ? FromBytes(AsCollection(ReadWholeFile(file).value())) : FontFacts::ReadFile(file);
    ASSERT_TRUE(facts) << file;
    EXPECT_EQ(facts->Families(), families);
    for (char32_t code : has) EXPECT_TRUE(facts->Covers(code)) << std::hex << code;
    for (char32_t code : lacks) EXPECT_FALSE(facts->Covers(code)) << std::hex << code;
  }
  // Nothing, a text, a table directory that promises more than the file holds.
  for (const std::string& bytes : {std::string(), std::string("<SAMI><BODY>not a font</BODY></SAMI>"),
                                   std::string("\0\1\0\0\0\x20\0\0\0\0\0\0", 12)})
    EXPECT_FALSE(FromBytes(bytes)) << bytes;
  EXPECT_FALSE(FontFacts::ReadFile("/nonexistent/gulim.ttc"));
}

// A fonts folder holding copies of the given files, in a subfolder as Linux has them.
std::string FolderWith(const std::string& folder, const std::vector<std::string>& files) {
  std::filesystem::create_directories(folder + "/sub");
  for (const std::string& file : files)
    std::filesystem::copy_file(file, folder + "/sub/" + std::filesystem::path(file).filename().string());
  return folder;
}

std::string Name(const std::optional<FontChoice>& choice) {
  return choice ? std::filesystem::path(choice->file).filename().string() + ":" + choice->family : "none";
}

// A font with the characters, the usual Korean ones first; and the routes fall back to
// one with the subtitle's characters and copy what they use.
TEST(FontFinder, ChoosesAFontWithTheCharactersTheUsualKoreanOnesFirstAndTheRoutesFallBackToIt) {
  // The characters a subtitle needs a glyph for: beyond ASCII, and no blank, byte-order
  // mark or replacement character.
  EXPECT_EQ(CharactersNeeded("Hi \xED\x95\x9C\xED\x95\x9C\xC2\xA0\xEF\xBB\xBF\xC3\xA9\xEF\xBF\xBD"),
            (std::set<char32_t>{0xE9, kHan}));
  EXPECT_EQ(CharactersNeeded("<P Class=KRCC>plain"), std::set<char32_t>{});
  const testing::TempFolder temp;
  FontFinder all({FolderWith(temp / "all", {kDejaVu, kNanum + "NanumBarunGothic.ttf", kNanum + "NanumGothic.ttf",
                                            kNanum + "NanumMyeongjo.ttf"})});
  EXPECT_EQ(Name(all.Covering({kHan})), "NanumGothic.ttf:NanumGothic");
  EXPECT_EQ(Name(all.Covering({0x0531})), "DejaVuSans.ttf:DejaVu Sans");
  EXPECT_EQ(Name(all.Covering({kHan, 0x0531})), "none");
  EXPECT_EQ(Name(all.WithFamily("nanummyeongjo")), "NanumMyeongjo.ttf:nanummyeongjo");
  EXPECT_EQ(Name(all.WithFamily("\xEB\x82\x98\xEB\x88\x94\xEB\xAA\x85\xEC\xA1\xB0")),  // 나눔명조
            "NanumMyeongjo.ttf:\xEB\x82\x98\xEB\x88\x94\xEB\xAA\x85\xEC\xA1\xB0");
  EXPECT_EQ(Name(all.WithFamily("Gulim")), "none");

  SubtitleFonts fonts(temp / "copies", {FolderWith(temp / "two", {kDejaVu, kNanum + "NanumMyeongjo.ttf"})});
  std::string note;
  EXPECT_EQ(fonts.ForFontFile("/nonexistent/Fonts/gulim.ttc", {kHan}, note), "NanumMyeongjo");
  EXPECT_NE(note.find("NanumMyeongjo"), std::string::npos) << note;
  // The named file itself wins when it can be read, whatever it covers.
  note.clear();
  EXPECT_EQ(fonts.ForFontFile(kDejaVu, {kHan}, note), "DejaVu Sans");
  EXPECT_EQ(note, "");
  // Both are copied for the renderer, nothing else.
  std::set<std::string> copies;
  for (const auto& entry : std::filesystem::directory_iterator(fonts.Folder())) copies.insert(entry.path().filename());
  EXPECT_EQ(copies, (std::set<std::string>{"0-NanumMyeongjo.ttf", "1-DejaVuSans.ttf"}));
  // The colour route keeps the SSA styles' fonts that are found and replaces the others:
  // in the font column of the styles section's style lines only, whatever its case and
  // place.
  const std::string ssa =
      "[Script Info]\r\nStyle: x,Gulim\r\n[v4+ styles]\r\nformat: Fontname, Name, Fontsize\r\nstyle: "
      "Gulim,Default,28\r\n"
      "Style: DejaVu Sans,Sign,20\r\n[Events]\r\nFormat: Fontname\r\nStyle: Gulim\r\n"
      "Dialogue: 0,0:00:00.20,0:00:01.30,Default,,0,0,0,,\xED\x95\x9C\r\n";
  std::string expected = ssa;
  EXPECT_EQ(fonts.ForSsa(ssa, note), expected.replace(expected.find("style: Gulim"), 12, "style: NanumMyeongjo"));
  EXPECT_NE(note.find("Gulim is not installed"), std::string::npos) << note;
}

}  // namespace
}  // namespace clipvane::tools
