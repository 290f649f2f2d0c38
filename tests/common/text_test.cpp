#include "common/text.h"

#include <gtest/gtest.h>

#include "platform/text_encoding.h"

namespace clipvane {
namespace {

using Items = std::vector<std::string>;

struct CommaCase {
  std::string text;
  Items items;
};

class CommaTextTest : public ::testing::TestWithParam<CommaCase> {};

TEST_P(CommaTextTest, SplitsAsTheSettingsFileExpects) {
  EXPECT_EQ(SplitCommaText(GetParam().text), GetParam().items) << "text: [" << GetParam().text << "]";
}

INSTANTIATE_TEST_SUITE_P(
    Table, CommaTextTest,
    ::testing::Values(CommaCase{"avi,mpg,asf,wmv", {"avi", "mpg", "asf", "wmv"}},
                      CommaCase{"AVI, Mkv", {"AVI", "Mkv"}},  // comma and blank are one separator
                      CommaCase{"avi mkv\tmp4", {"avi", "mkv", "mp4"}},
                      CommaCase{"  avi ,  mkv  ", {"avi", "mkv"}},
                      CommaCase{"avi,", {"avi", ""}},  // a trailing comma adds one empty item
                      CommaCase{"avi, ", {"avi"}},     // but not when a blank follows it
                      CommaCase{"avi,,mkv", {"avi", "", "mkv"}},
                      CommaCase{"", {}}, CommaCase{"   ", {}},
                      CommaCase{"\"a b\",c", {"a b", "c"}},
                      CommaCase{"\"x,y\" z", {"x,y", "z"}},
                      CommaCase{"\"say \"\"hi\"\"\"", {"say \"hi\""}},
                      CommaCase{"\"open", {"open"}},
                      CommaCase{"\xB1\xBC\xB8\xB2,gulim", {"\xB1\xBC\xB8\xB2", "gulim"}}));

TEST(SplitAtCommas, KeepsBlanksInsideItems) {
  EXPECT_EQ(SplitAtCommas("gulim.ttc, Nanum Gothic "), (Items{"gulim.ttc", "Nanum Gothic"}));
  EXPECT_EQ(SplitAtCommas("single"), (Items{"single"}));
  EXPECT_EQ(SplitAtCommas("a,,b,"), (Items{"a", "", "b", ""}));
}

struct IntegerCase {
  std::string text;
  int expected;
};

class ParseIntegerTest : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(ParseIntegerTest, ReadsOrFallsBack) {
  EXPECT_EQ(ParseIntegerOr(GetParam().text, -99), GetParam().expected) << "[" << GetParam().text << "]";
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseIntegerTest,
    ::testing::Values(IntegerCase{"0", 0}, IntegerCase{"1", 1}, IntegerCase{"-7", -7},
                      IntegerCase{"+3", 3}, IntegerCase{"  9", 9}, IntegerCase{"0x1F", 31},
                      IntegerCase{"0X10", 16}, IntegerCase{"$ff", 255}, IntegerCase{"0xFFFFFFFF", -1},
                      IntegerCase{"", -99}, IntegerCase{"yes", -99}, IntegerCase{"true", -99},
                      IntegerCase{"1 ", -99}, IntegerCase{"1x", -99}, IntegerCase{"0x", -99},
                      IntegerCase{"-", -99}, IntegerCase{"2147483647", 2147483647},
                      IntegerCase{"2147483648", -99}, IntegerCase{"-2147483648", -2147483647 - 1},
                      IntegerCase{"99999999999999999999", -99}, IntegerCase{"1.5", -99}));

TEST(AsciiCase, LeavesDoubleByteTextAlone) {
  // In code page 949 a trail byte can be an ASCII letter: 0x8C 0x63 is one character.
  const std::string korean = Utf8ToAnsi(u8"GULIM 똠방각하");
  EXPECT_EQ(AsciiLower(korean), Utf8ToAnsi(u8"gulim 똠방각하"));
#ifdef _WIN32
  EXPECT_EQ(korean.substr(6, 2), "\x8C\x63");
  EXPECT_EQ(AsciiUpper(korean), korean);
#endif
  EXPECT_EQ(AsciiUpper("clip.avi"), "CLIP.AVI");
  EXPECT_TRUE(EqualsIgnoringAsciiCase("Mp4Creator.EXE", "mp4creator.exe"));
  EXPECT_FALSE(EqualsIgnoringAsciiCase("mencoder.exe", "mencoder.ex"));
}

TEST(TrimBlanks, DropsBlanksAndControlCharacters) {
  EXPECT_EQ(TrimBlanks(" \t a b \r\n"), "a b");
  EXPECT_EQ(TrimBlanks("   "), "");
}

}  // namespace
}  // namespace clipvane
