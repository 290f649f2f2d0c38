#include <gtest/gtest.h>

#include <cstdint>

#include "base/text.h"

namespace clipvane {
namespace {

using Items = std::vector<std::string>;

TEST(SplitCommaText, SplitsAsTheSettingsFileExpects) {
  const std::pair<std::string, Items> cases[] = {
      {"AVI, Mkv", {"AVI", "Mkv"}},  // comma and blank are one separator
      {"avi mkv\tmp4", {"avi", "mkv", "mp4"}},
      {"  avi ,  mkv  ", {"avi", "mkv"}},
      {"avi,", {"avi", ""}},  // a trailing comma adds one empty item, but not when a blank follows it
      {"avi, ", {"avi"}},
      {"avi,,mkv", {"avi", "", "mkv"}},
      {"   ", {}},
      {"\"a b\",c", {"a b", "c"}},
      {"\"x,y\" z", {"x,y", "z"}},
      {"\"say \"\"hi\"\"\"", {"say \"hi\""}},
      {"\"open", {"open"}},
      {"\xB1\xBC\xB8\xB2,gulim", {"\xB1\xBC\xB8\xB2", "gulim"}}};
  for (const auto& [text, items] : cases) EXPECT_EQ(SplitCommaText(text), items) << "[" << text << "]";
  EXPECT_EQ(SplitAtCommas("gulim.ttc, Nanum Gothic ,,"), (Items{"gulim.ttc", "Nanum Gothic", "", ""}));
  EXPECT_EQ(TrimBlanks(std::string(" \t a b \r\n\0", 10)), "a b");
}

TEST(ParseIntegerOr, ReadsDecimalAndHexadecimalOrFallsBack) {
  const std::pair<std::string, int> cases[] = {{"-7", -7},
                                               {"+3", 3},
                                               {"  9", 9},
                                               {"0x1F", 31},
                                               {"0X10", 16},
                                               {"$ff", 255},
                                               {"0xFFFFFFFF", -1},
                                               {"2147483647", INT32_MAX},
                                               {"-2147483648", INT32_MIN}};
  for (const auto& [text, value] : cases) EXPECT_EQ(ParseIntegerOr(text, -99), value) << "[" << text << "]";
  for (const char* text : {"", "yes", "1 ", "1x", "0x", "-", "2147483648", "99999999999999999999", "1.5"})
    EXPECT_EQ(ParseIntegerOr(text, -99), -99) << "[" << text << "]";
}

TEST(ParsePlainNumber, TakesDecimalDigitsOnly) {
  const std::pair<std::string, int> cases[] = {{"1", 1}, {"012", 12}, {"999999999", 999999999}, {"0", 0}};
  for (const auto& [text, value] : cases) EXPECT_EQ(ParsePlainNumber(text), value) << "[" << text << "]";
  for (const char* text : {"0x1", " 1", "1 ", "+1", "-1", "", "1e3", "1000000000"})
    EXPECT_FALSE(ParsePlainNumber(text)) << "[" << text << "]";
}

TEST(ClockText, ShowsMinutesAndSecondsAndHoursWhenThereAreAny) {
  const std::pair<int, const char*> cases[] = {
      {0, "0:00"}, {32, "0:32"}, {725, "12:05"}, {3723, "1:02:03"}, {-5, "0:00"}};
  for (const auto& [seconds, text] : cases) EXPECT_EQ(ClockText(seconds), text) << seconds;
}

}  // namespace
}  // namespace clipvane
