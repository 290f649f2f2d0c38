#include "subtitles/sami_reader.h"

#include <gtest/gtest.h>

#include "subtitles/colour_table.h"

namespace clipvane {
namespace {

using Items = std::vector<std::string>;
using Lines = std::vector<std::string>;

struct BlockCase {
  std::string block;
  std::optional<Items> items;
};

void PrintTo(const BlockCase& c, std::ostream* out) { *out << "[" << c.block << "]"; }

class ParseEntryTest : public ::testing::TestWithParam<BlockCase> {
 protected:
  ColourTable colours_;
};

TEST_P(ParseEntryTest, GivesTheItemsOfTheBlock) {
  EXPECT_EQ(ParseEntry(GetParam().block, colours_), GetParam().items);
}

const std::optional<Items> kNone;

INSTANTIATE_TEST_SUITE_P(
    Examples, ParseEntryTest,
    ::testing::Values(
        BlockCase{"<SYNC Start=1000><P Class=KRCC><font color=\"#ff0000\">Red</font> text<br>Next",
                  Items{"1000", "{\\c&H0000ff&}", "Red", "{\\c}", " text", "<br>", "Next"}},
        BlockCase{"<SYNC Start=1000><P Class=KRCC>&nbsp;", Items{"1000", "&nbsp;"}},
        BlockCase{"<SYNC Start=1000>", Items{"1000"}},
        BlockCase{"<SYNC Start=\"1000\">x", Items{"\"1000\"", "x"}},  // only COLOR is unquoted
        // A SYNC tag with no START value: the text has no time to go with.
        BlockCase{"<SYNC START=>text", kNone},
        BlockCase{"<P>early<SYNC Start=1>late", kNone},
        BlockCase{"<font color=red><SYNC Start=1>x", kNone},
        BlockCase{"", kNone},
        // A tab is no delimiter, so the attribute is named "SYNC\tSTART".
        BlockCase{"<SYNC\tStart=1>x", kNone},
        // A second SYNC on one line stays in the block with its own START value.
        BlockCase{"<SYNC Start=1>a<SYNC Start=2>b", Items{"1", "a", "2", "b"}}));

INSTANTIATE_TEST_SUITE_P(
    Tags, ParseEntryTest,
    ::testing::Values(
        BlockCase{"<SYNC Start=1><br>a<BR>b<Br>", Items{"1", "<br>", "a", "<br>", "b", "<br>"}},
        BlockCase{"<SYNC Start=1><br/>a<br >b<BR/>", Items{"1", "a", "b"}},
        BlockCase{"<SYNC Start=1>a</font>b</FONT>", Items{"1", "a", "{\\c}", "b", "{\\c}"}},
        BlockCase{"<SYNC Start=1>a</font >b", Items{"1", "a", "b"}},
        BlockCase{"<SYNC Start=1><font color=red><font color=blue>x</font>y</font>",
                  Items{"1", "{\\c&H0000FF&}", "{\\c&HFF0000&}", "x", "{\\c}", "y", "{\\c}"}},
        BlockCase{"<SYNC Start=1></font> world", Items{"1", "{\\c}", " world"}},
        BlockCase{"<SYNC Start=1><!-- note -->t", Items{"1", "t"}},
        BlockCase{"<SYNC Start=1>x<y z>w", Items{"1", "x", "w"}},
        // An "=" in text turns what precedes it into an attribute name: lost up to ">".
        BlockCase{"<SYNC Start=1>1+1=2 <i>ok", Items{"1", "ok"}},
        BlockCase{"<SYNC Start=1>  spaced  out  ", Items{"1", "  spaced  out  "}}));

INSTANTIATE_TEST_SUITE_P(
    Colours, ParseEntryTest,
    ::testing::Values(
        BlockCase{"<SYNC Start=1><font color=\"blue\">x", Items{"1", "{\\c&HFF0000&}", "x"}},
        BlockCase{"<SYNC Start=1><font color='red'>x", Items{"1", "{\\c&Hffffff&}", "x"}},
        BlockCase{"<SYNC Start=1><font color = red>x", Items{"1", "x"}},
        BlockCase{"<SYNC Start=1><font face=gulim color=#FF8000 size=3>x", Items{"1", "{\\c&H0080FF&}", "x"}},
        // Decided: an empty value names no colour, emits nothing and voids no block.
        BlockCase{"<SYNC Start=1><font color=\"\">x</font>", Items{"1", "x", "{\\c}"}},
        BlockCase{"<font color=\"\"><SYNC Start=1>x", Items{"1", "x"}}));

TEST(ParseEntry, PassesKoreanDoubleByteTextUntouched) {
  const ColourTable colours;
  // Code page 949 trail bytes can be ASCII letters (0x63 'c', 0x52 'R'); none is a delimiter.
  const std::string korean = "\x8C\x63\xB9\xE6 \xB0\x52\xC7\xD1";
  EXPECT_EQ(ParseEntry("<SYNC Start=5><P Class=KRCC>" + korean + "<br>" + korean, colours),
            (Items{"5", korean, "<br>", korean}));
}

TEST(ParseEntry, GrowsTheTokenForVeryLongText) {
  const ColourTable colours;
  const std::string run(5000, 'a');
  const std::string value(3000, 'f');
  const std::optional<Items> items =
      ParseEntry("<SYNC Start=1>" + run + "<font color=" + value + ">" + run, colours);
  ASSERT_TRUE(items);
  ASSERT_EQ(items->size(), 4u);
  EXPECT_EQ((*items)[1], run);
  EXPECT_EQ((*items)[2], "{\\c&H" + value + "&}");
  EXPECT_EQ((*items)[3], run);
}

TEST(IsHexColour, AcceptsOnlyHexadecimalDigits) {
  for (const char* text : {"", "ff00AA", "f00", "0123456789abcdefABCDEF"}) EXPECT_TRUE(IsHexColour(text)) << text;
  for (const char* text : {"12345g", "#fff", " ff", "ff ", "red", "\"ff\""}) EXPECT_FALSE(IsHexColour(text)) << text;
}

TEST(SwapColourBytes, ReversesThePairs) {
  const std::pair<std::string, std::string> cases[] = {
      {"RRGGBB", "BBGGRR"}, {"ff8000", "0080ff"}, {"12345", "34120"}, {"f00", "f00"},
      {"1234", "3412"},     {"1", "0"},           {"", ""},           {"12345678", "78563412"}};
  for (const auto& [in, out] : cases) EXPECT_EQ(SwapColourBytes(in), out) << in;
}

TEST(ColourCode, UnquotesAndLooksUpNames) {
  const ColourTable colours;
  const std::pair<std::string, std::string> cases[] = {
      {"\"#ff0000\"", "{\\c&H0000ff&}"}, {"#FF8000", "{\\c&H0080FF&}"}, {"red", "{\\c&H0000FF&}"},
      {"RED", "{\\c&H0000FF&}"},         {"Navy", "{\\c&H800000&}"},   {"\"skyblue", "{\\c&HEBCE87&}"},
      {"orangered\"", "{\\c&H0045FF&}"}, {"black", "{\\c&Hffffff&}"},  {"'red'", "{\\c&Hffffff&}"},
      {"lightgray", "{\\c&Hffffff&}"},   {"\"#abc\"", "{\\c&Hab0&}"},  {"##ff0000", "{\\c&Hffffff&}"},
      {"\"\"", ""},                      {"\"", ""},                   {"#", ""}};
  for (const auto& [value, code] : cases) EXPECT_EQ(ColourCode(value, colours), code) << value;
}

class ReadNextEntryTest : public ::testing::Test {
 protected:
  // Every entry in order, with the index each call returned.
  std::vector<std::pair<std::optional<Items>, std::size_t>> ReadAll(Lines& lines) {
    std::vector<std::pair<std::optional<Items>, std::size_t>> reads;
    std::size_t next = 0;
    while (next != lines.size()) {
      SamiBlockRead read = ReadNextEntry(lines, next, colours_);
      reads.emplace_back(read.entry, read.nextIndex);
      if (!read.entry && read.nextIndex == next) break;
      next = read.nextIndex;
    }
    return reads;
  }
  ColourTable colours_;
};

TEST_F(ReadNextEntryTest, SkipsTheHeadAndEndsTheLastBlockAtTheEndOfTheFile) {
  Lines lines{"<SAMI><HEAD>", "<SYNC Start=5>in the head", "</HEAD>", "  <body>", "<SYNC Start=1000>a",
              "<SYNC Start=2000>b", "</BODY></SAMI>"};
  const auto reads = ReadAll(lines);
  ASSERT_EQ(reads.size(), 2u);
  EXPECT_EQ(reads[0].first, (Items{"1000", "a"}));
  EXPECT_EQ(reads[0].second, 5u);
  EXPECT_EQ(reads[1].first, (Items{"2000", "b"}));
  EXPECT_EQ(reads[1].second, 7u);
  // Past the last block nothing is found and the index stays where it was.
  const SamiBlockRead after = ReadNextEntry(lines, 7, colours_);
  EXPECT_FALSE(after.entry);
  EXPECT_EQ(after.nextIndex, 7u);
}

TEST_F(ReadNextEntryTest, MovesASyncTagAfterTextOntoALineOfItsOwn) {
  Lines lines{"<P>head <SYNC Start=9>", "<BODY>", "<SYNC Start=1>", "one <SYNC Start=2>two",
              "\t  three <sync start=3>x <SYNC Start=4>y", "   <SYNC Start=5>z"};
  const SamiBlockRead first = ReadNextEntry(lines, 0, colours_);
  EXPECT_EQ(lines, (Lines{"<P>head <SYNC Start=9>", "<BODY>", "<SYNC Start=1>", "one ", "<SYNC Start=2>two",
                          "three ", "<sync start=3>x <SYNC Start=4>y", "   <SYNC Start=5>z"}));
  EXPECT_EQ(first.entry, (Items{"1", "one "}));
  const auto reads = ReadAll(lines);  // reads again from 0: the prepared lines stay as they are
  ASSERT_EQ(reads.size(), 4u);
  EXPECT_EQ(reads[1].first, (Items{"2", "twothree "}));
  EXPECT_EQ(reads[2].first, (Items{"3", "x ", "4", "y"}));
  EXPECT_EQ(reads[3].first, (Items{"5", "z"}));
}

TEST_F(ReadNextEntryTest, JoinsAParagraphsLinesWithNothingBetween) {
  Lines lines{"<SYNC Start=1><P Class=KRCC>", "first line", "<br>second", "line"};
  EXPECT_EQ(ReadNextEntry(lines, 0, colours_).entry, (Items{"1", "first line", "<br>", "secondline"}));
}

TEST_F(ReadNextEntryTest, MovesOnPastABlockThatMakesNoEntry) {
  Lines lines{"junk before", "<SYNC START=>lost", "<SYNC Start=2>kept"};
  const auto reads = ReadAll(lines);
  ASSERT_EQ(reads.size(), 2u);
  EXPECT_FALSE(reads[0].first);
  EXPECT_EQ(reads[0].second, 2u);
  EXPECT_EQ(reads[1].first, (Items{"2", "kept"}));
}

TEST_F(ReadNextEntryTest, FindsNothingInAFileWithoutSync) {
  Lines empty;
  EXPECT_EQ(ReadNextEntry(empty, 0, colours_).nextIndex, 0u);
  Lines lines{"<SAMI>", "<BODY>", "<P>no timing</P>", "</BODY>"};
  const SamiBlockRead read = ReadNextEntry(lines, 0, colours_);
  EXPECT_FALSE(read.entry);
  EXPECT_EQ(read.nextIndex, 0u);
}

}  // namespace
}  // namespace clipvane
