#include "gridctl/model/in_place_rules.h"

#include <gtest/gtest.h>

namespace {

TEST(InPlaceRules, KeysThatEndAnEdit) {
  EXPECT_EQ(gridctl::EndKeyOf(gridctl::keys::kTab, true), 37);
  EXPECT_EQ(gridctl::EndKeyOf(gridctl::keys::kTab, false), 39);
  for (int key : {13, 27, 33, 34, 38, 40}) EXPECT_EQ(gridctl::EndKeyOf(key, false), key);
  EXPECT_EQ(gridctl::EndKeyOf(37, false), 0);  // left moves the caret
  EXPECT_EQ(gridctl::EndKeyOf('A', false), 0);
}

TEST(InPlaceRules, ALimitCountsBytesAfterTypingOverTheSelection) {
  EXPECT_TRUE(gridctl::FitsLimit(100, 0, 1, 0));
  EXPECT_TRUE(gridctl::FitsLimit(8, 0, 1, 9));
  EXPECT_FALSE(gridctl::FitsLimit(9, 0, 1, 9));
  EXPECT_TRUE(gridctl::FitsLimit(9, 9, 1, 9));   // the whole text selected
  EXPECT_FALSE(gridctl::FitsLimit(8, 0, 2, 9));  // a Chinese character no longer fits
}

TEST(InPlaceRules, ComboItemsEndWithALineFeed) {
  EXPECT_EQ(gridctl::SplitComboItems("A\nB\nC"), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(gridctl::SplitComboItems("\n限价\n"), (std::vector<std::string>{"", "限价"}));
  EXPECT_TRUE(gridctl::SplitComboItems("no items").empty());
  const std::string longItem = std::string(62, 'x') + "铜\n";
  EXPECT_EQ(gridctl::SplitComboItems(longItem), (std::vector<std::string>{std::string(62, 'x')}));
}

TEST(InPlaceRules, Sizes) {
  EXPECT_EQ(gridctl::EditorFontHeight(18), 12);
  EXPECT_EQ(gridctl::EditorFontHeight(20), 13);
  EXPECT_EQ(gridctl::ComboDropHeight(3, 13), 80);
}

}  // namespace
