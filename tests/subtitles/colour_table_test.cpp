#include "subtitles/colour_table.h"

#include <gtest/gtest.h>

#include <set>

namespace clipvane {
namespace {

struct ColourCase {
  std::string name;
  std::uint32_t value;
};

class ColourLookupTest : public ::testing::TestWithParam<ColourCase> {
 protected:
  ColourTable table_;
};

TEST_P(ColourLookupTest, FindsTheNameInAnyCase) {
  const std::optional<std::size_t> index = table_.IndexOf(GetParam().name);
  ASSERT_TRUE(index) << GetParam().name;
  EXPECT_EQ(table_.ValueAt(*index), GetParam().value) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ColourLookupTest,
    ::testing::Values(ColourCase{"Red", 0xFF0000}, ColourCase{"cyan", 0x00FFFF},
                      ColourCase{"aqua", 0x00FFFF}, ColourCase{"magenta", 0xFF00FF}, ColourCase{"lightgrey", 0xD3D3D3},
                      ColourCase{"darkslategray", 0x2F4F4F}, ColourCase{"yellow", 0xFFFF00},
                      ColourCase{"white", 0xFFFFFF}, ColourCase{"mediumspringgreen", 0x00FA9A}));

TEST(ColourTable, LacksTheNamesSubtitlesHaveAlwaysShownWhite) {
  const ColourTable table;
  for (const char* name : {"black", "lightgray", "grey", "darkgrey", "whitesmoke", "gainsboro", "beige",
                           "ivory", "snow", "linen", "fuchsia", "'red'", " red", "red ", "\"red\"", ""})
    EXPECT_FALSE(table.IndexOf(name)) << "[" << name << "]";
}

TEST(ColourTable, HoldsEachOf109NamesOnceInNameOrder) {
  const ColourTable table;
  ASSERT_EQ(table.Size(), 109u);
  std::set<std::string> names;
  for (std::size_t i = 0; i < table.Size(); ++i) {
    names.insert(table.NameAt(i));
    if (i > 0) {
      EXPECT_LT(table.NameAt(i - 1), table.NameAt(i));
    }
    EXPECT_EQ(table.IndexOf(table.NameAt(i)), i);
    EXPECT_LE(table.ValueAt(i), 0xFFFFFFu);
  }
  EXPECT_EQ(names.size(), 109u);
  EXPECT_EQ(table.NameAt(0), "aqua");
  EXPECT_EQ(table.NameAt(108), "yellow");
}

}  // namespace
}  // namespace clipvane
