#include "platform/utf.h"

#include <gtest/gtest.h>

#include "common/text.h"

namespace clipvane {
namespace {

struct Utf16Case {
  std::string bytes;
  bool big_endian;
  std::string utf8;
};

class Utf16Test : public ::testing::TestWithParam<Utf16Case> {};

TEST_P(Utf16Test, ConvertsToUtf8) {
  EXPECT_EQ(Utf16ToUtf8(Utf16Units(GetParam().bytes, GetParam().big_endian)), GetParam().utf8);
}

INSTANTIATE_TEST_SUITE_P(
    Table, Utf16Test,
    ::testing::Values(Utf16Case{std::string("A\0\x5C\xD5", 4), false, "A\xED\x95\x9C"},
                      Utf16Case{std::string("\0A\xD5\x5C", 4), true, "A\xED\x95\x9C"},
                      // a surrogate pair is one character beyond the basic plane
                      Utf16Case{std::string("\x3D\xD8\x00\xDE", 4), false, "\xF0\x9F\x98\x80"},
                      // half a pair, or half a unit, cannot be kept
                      Utf16Case{std::string("\x3D\xD8" "A\0", 4), false, "\xEF\xBF\xBD" "A"},
                      Utf16Case{std::string("A\0B", 3), false, "A"},
                      Utf16Case{"", false, ""}));

TEST(IsValidUtf8, TellsUtf8FromCodePage949) {
  EXPECT_TRUE(IsValidUtf8("plain"));
  EXPECT_TRUE(IsValidUtf8("\xED\x95\x9C\xEA\xB8\x80"));
  EXPECT_FALSE(IsValidUtf8("\xC7\xD1\xB1\xDB"));       // 한글 in code page 949
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));               // an overlong slash
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));           // a surrogate
  EXPECT_FALSE(IsValidUtf8("\xED\x95"));               // cut short
}

TEST(WithCrLfLines, EndsEveryLineWithCrLf) {
  EXPECT_EQ(WithCrLfLines("a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd\r\n");
  EXPECT_EQ(WithCrLfLines("a\r\n"), "a\r\n");
  EXPECT_EQ(WithCrLfLines("\n\n"), "\r\n\r\n");
  EXPECT_EQ(WithCrLfLines(""), "");
}

}  // namespace
}  // namespace clipvane
