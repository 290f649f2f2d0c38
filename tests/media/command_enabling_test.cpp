#include "media/command_enabling.h"

#include <gtest/gtest.h>

#include "list_fixture.h"
#include "platform/text_encoding.h"

namespace clipvane {
namespace {

using Item = PopupMenuItem;

class CommandEnablingTest : public testing::ListFixture {
 protected:
  void Rows(int count, int selected) {
    for (int i = 0; i < count; ++i) list.AddVideo(Video(std::to_string(i) + ".avi"));
    for (int i = 0; i < selected; ++i) list.SetSelected(static_cast<std::size_t>(i), true);
  }
};

struct StartCase {
  int rows;
  int selected;
  bool enabled_after_change;
  bool enabled_after_load;
};

class StartButtonTest : public CommandEnablingTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartButtonTest, FollowsTheSelection) {
  Rows(GetParam().rows, GetParam().selected);
  const StartButtonState changed = StartButtonAfterChange(list);
  EXPECT_EQ(changed.enabled, GetParam().enabled_after_change);
  EXPECT_EQ(changed.caption, Utf8ToAnsi(u8"시작 (") + std::to_string(GetParam().selected) + ")");
  const StartButtonState loaded = StartButtonAfterLoad(list);
  EXPECT_EQ(loaded.enabled, GetParam().enabled_after_load);
  EXPECT_EQ(loaded.caption, Utf8ToAnsi(u8"시작"));
}

INSTANTIATE_TEST_SUITE_P(Table, StartButtonTest,
                         ::testing::Values(StartCase{0, 0, true, false},  // all of none selected
                                           StartCase{10, 0, false, false},
                                           StartCase{10, 1, true, true},
                                           StartCase{10, 4, true, true},
                                           StartCase{10, 5, false, false},
                                           StartCase{10, 10, true, false},
                                           StartCase{2, 2, true, true}));

struct MenuCase {
  int rows;
  int selected;
  std::vector<Item> disabled;
};

class PopupMenuTest : public CommandEnablingTest, public ::testing::WithParamInterface<MenuCase> {};

TEST_P(PopupMenuTest, EnablesByRowsAndSelection) {
  Rows(GetParam().rows, GetParam().selected);
  PopupMenuEnabling menu;
  menu.OnPopup(list);
  for (std::size_t i = 0; i < kPopupMenuItemCount; ++i) {
    const auto item = static_cast<Item>(i);
    const bool listed_disabled = std::find(GetParam().disabled.begin(), GetParam().disabled.end(),
                                           item) != GetParam().disabled.end();
    EXPECT_EQ(menu.IsEnabled(item), !listed_disabled) << "item " << i;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, PopupMenuTest,
    ::testing::Values(
        // On an empty list only refresh, clear encoded, select all, the script folder
        // and the items inside the batch submenu stay enabled.
        MenuCase{0, 0, {Item::miExecitWithLinkedApp, Item::miDelete, Item::miMakeBatchFiles,
                        Item::miEncoding, Item::miEncodingAll}},
        MenuCase{3, 0, {Item::miExecitWithLinkedApp, Item::miDelete, Item::miEncoding}},
        MenuCase{8, 4, {}},
        MenuCase{8, 5, {Item::miEncoding}},
        MenuCase{5, 5, {Item::miEncoding}}));  // all selected still means at most 4

TEST_F(CommandEnablingTest, StatesLastUntilTheMenuOpensAgain) {
  PopupMenuEnabling menu;
  for (std::size_t i = 0; i < kPopupMenuItemCount; ++i)
    EXPECT_TRUE(menu.IsEnabled(static_cast<Item>(i)));  // never opened yet
  Rows(3, 0);
  menu.OnPopup(list);
  list.SetSelected(0, true);
  EXPECT_FALSE(menu.IsEnabled(Item::miDelete));  // Del does nothing yet
  menu.OnPopup(list);
  EXPECT_TRUE(menu.IsEnabled(Item::miDelete));
}

}  // namespace
}  // namespace clipvane
