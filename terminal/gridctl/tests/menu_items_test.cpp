#include "gridctl/model/menu_items.h"

#include <gtest/gtest.h>

namespace {

using gridctl::MenuItemTable;

// Every byte 6 px wide, every line 13 px high.
gridctl::Size Measure(std::string_view text, const gridctl::FontSpec&) {
  return {static_cast<int>(text.size()) * 6, 13};
}

MenuItemTable PopupTable(int capacity) { return MenuItemTable(3, capacity, {2, 2, 3, 20}, Measure, {"宋体", 13}); }

struct CountedNode : gridctl::MenuNode {
  explicit CountedNode(int& deleted) : deleted(deleted) {}
  ~CountedNode() override { ++deleted; }
  int& deleted;
};

TEST(MenuItemTableTest, AFullTableRefusesItems) {
  MenuItemTable table = PopupTable(5);
  for (int id = 1; id <= 5; ++id) ASSERT_TRUE(table.AppendItem("item", static_cast<std::uint16_t>(id), 0));
  EXPECT_FALSE(table.AppendItem("sixth", 6, 0));
  EXPECT_FALSE(table.InsertItem(0, "sixth", 6, 0));
  EXPECT_EQ(table.Count(), 5);
}

TEST(MenuItemTableTest, ItemsAreSizedByKindAndPlacedUnderEachOther) {
  MenuItemTable table = PopupTable(8);
  table.AppendItem("复制", 1, gridctl::kTextItem);       // 4 bytes: 24 + 40 by 13 + 6
  table.AppendItem("", 0, gridctl::kSeparatorItem);      // 0 by 10
  table.AppendItem("自动滚动", 2, gridctl::kCheckItem);  // 48 + 40 + 19 by 19
  table.InsertItem(0, "首项", 9, gridctl::kCheckItem, std::make_unique<gridctl::MenuNode>());
  EXPECT_EQ(table.Item(0).kind, gridctl::kTextItem);  // a sub-menu holder is a text item
  EXPECT_EQ(table.Item(1).size, (gridctl::Size{64, 19}));
  EXPECT_EQ(table.Item(2).size, (gridctl::Size{0, 10}));
  EXPECT_EQ(table.Item(3).size, (gridctl::Size{107, 19}));
  EXPECT_EQ(table.PopupSize(), (gridctl::Size{111, 4 + 19 + 19 + 10 + 19}));
  EXPECT_EQ(table.ItemRect(2, 111), (gridctl::Rect{2, 40, 109, 50}));
  EXPECT_EQ(table.CheckBoxRect(3, 111), (gridctl::Rect{22, 53, 35, 66}));
  EXPECT_EQ(table.ItemAt({50, 45}, 111), 2);
  EXPECT_EQ(table.ItemAt({1, 45}, 111), -1);  // in the border
  EXPECT_EQ(table.ItemAt({50, 71}, 111), -1);
}

TEST(MenuItemTableTest, RemovingAnIdRemovesEveryItemOfItAndItsSubMenus) {
  int deleted = 0;
  MenuItemTable table = PopupTable(8);
  table.AppendItem("a", 4, 0, std::make_unique<CountedNode>(deleted));
  table.AppendItem("b", 5, 0);
  table.AppendItem("c", 4, 0, std::make_unique<CountedNode>(deleted));
  table.SetHighlighted(2);
  EXPECT_TRUE(table.RemoveItem(4));
  EXPECT_EQ(deleted, 2);
  ASSERT_EQ(table.Count(), 1);
  EXPECT_EQ(table.Item(0).text, "b");
  EXPECT_EQ(table.Highlighted(), -1);
}

}  // namespace
