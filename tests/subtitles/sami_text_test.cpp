#include "subtitles/sami_text.h"

#include <gtest/gtest.h>

#include "platform/text_encoding.h"

namespace clipvane {
namespace {

using Lines = std::vector<std::string>;

std::string Utf16Bytes(const std::u16string& text, bool big_endian) {
  std::string bytes = big_endian ? "\xFE\xFF" : "\xFF\xFE";
  for (const char16_t unit : text) {
    const char high = static_cast<char>(unit >> 8);
    const char low = static_cast<char>(unit & 0xFF);
    bytes += big_endian ? high : low;
    bytes += big_endian ? low : high;
  }
  return bytes;
}

TEST(SamiTextFromBytes, TakesBytesWithoutAMarkAsTheyStand) {
  // Code page 949 text that is not valid UTF-8: never touched.
  const std::string cp949 = "<SYNC Start=1>\xC7\xD1\xB1\xDB\r\n\xFF\xFF";
  EXPECT_EQ(SamiTextFromBytes(cp949), cp949);
  EXPECT_EQ(SamiTextFromBytes(""), "");
  EXPECT_EQ(SamiTextFromBytes("\xFF"), "\xFF");  // too short for a mark
}

TEST(SamiTextFromBytes, DecodesEveryByteOrderMarkToTheAnsiCodePage) {
  const std::string expected = Utf8ToAnsi(u8"<SYNC Start=1>한글 자막\r\n");
  const std::u16string utf16 = u"<SYNC Start=1>한글 자막\r\n";
  EXPECT_EQ(SamiTextFromBytes("\xEF\xBB\xBF" + AnsiToUtf8(expected)), expected);
  EXPECT_EQ(SamiTextFromBytes(Utf16Bytes(utf16, false)), expected);
  EXPECT_EQ(SamiTextFromBytes(Utf16Bytes(utf16, true)), expected);
  // Half a character at the end is dropped, not read past.
  EXPECT_EQ(SamiTextFromBytes(Utf16Bytes(u"ab", false) + "c"), "ab");
  EXPECT_EQ(SamiTextFromBytes("\xFF\xFE"), "");
}

struct SplitCase {
  std::string text;
  Lines lines;
};

class SplitLinesTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitLinesTest, EndsLinesAtCrLfOrCrLfAndTheTextAtNul) {
  EXPECT_EQ(SplitLines(GetParam().text), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SplitLinesTest,
    ::testing::Values(SplitCase{"", {}}, SplitCase{"a", {"a"}}, SplitCase{"a\r\n", {"a"}},
                      SplitCase{"a\rb\nc\r\nd", {"a", "b", "c", "d"}}, SplitCase{"a\n\rb", {"a", "", "b"}},
                      SplitCase{"a\r\n\r\nb", {"a", "", "b"}}, SplitCase{"\r", {""}}, SplitCase{"\n\n", {"", ""}},
                      SplitCase{std::string("a\nb\0c\nd", 7), {"a", "b"}},
                      SplitCase{std::string("\0<SYNC Start=1>", 15), {}},
                      SplitCase{"\t x \r\n", {"\t x "}}));

TEST(JoinLinesCrLf, EndsEveryLineWithCrLf) {
  EXPECT_EQ(JoinLinesCrLf({"a", "", "b"}), "a\r\n\r\nb\r\n");
  EXPECT_EQ(JoinLinesCrLf({}), "");
  EXPECT_EQ(SplitLines(JoinLinesCrLf({"x", "", "y"})), (Lines{"x", "", "y"}));
}

}  // namespace
}  // namespace clipvane
