#include "gridctl/model/combo_items.h"

#include <gtest/gtest.h>

namespace {

using gridctl::ComboItem;
using gridctl::ComboItemSet;

TEST(ComboItemSetTest, ItemsKeepTheirColoursAndComboOrder) {
  ComboItemSet items;
  ASSERT_TRUE(items.Insert(0, {0x000000, 0xFFFFFF, "限价"}));
  ASSERT_TRUE(items.Insert(1, {0x000000, 0xFFFFFF, "市价"}));
  ASSERT_TRUE(items.Insert(1, {0x0000FF, 0x00FFFF, "市价止损"}));
  ASSERT_TRUE(items.Insert(9, {1, 2, "最后"}));  // beyond the count: appended
  ASSERT_EQ(items.Count(), 4);
  EXPECT_EQ(items.At(1)->text, "市价止损");
  EXPECT_EQ(items.At(1)->normalTextColour, 0x0000FFu);
  EXPECT_EQ(items.At(2)->text, "市价");
  EXPECT_EQ(items.At(3)->selectedTextColour, 2u);
  EXPECT_EQ(items.At(4), std::nullopt);
  EXPECT_EQ(items.At(-1), std::nullopt);
  items.SetTextColours(0x00A000, 0x00A000);
  EXPECT_EQ(items.At(0)->normalTextColour, 0x00A000u);
  items.Reset();
  EXPECT_EQ(items.Count(), 0);
}

TEST(ComboItemSetTest, LongTextsAreCutOnACharacterBoundary) {
  ComboItemSet items;
  items.Insert(0, {0, 0, std::string(62, 'x') + "价格"});
  EXPECT_EQ(items.At(0)->text, std::string(62, 'x'));
}

TEST(ComboRules, BuySellAndDealAttributeSteps) {
  EXPECT_EQ(gridctl::kBuySellEntries[0].text, "买入");
  EXPECT_EQ(gridctl::kBuySellEntries[1].colour, 0x00A000u);
  EXPECT_EQ(gridctl::SwappedBuySell(1), 0);
  EXPECT_EQ(gridctl::SwappedBuySell(0), 1);
  EXPECT_EQ(gridctl::SwappedBuySell(-1), 1);
  EXPECT_EQ(gridctl::DealAttributeStep(2, 1), 2);
  EXPECT_EQ(gridctl::DealAttributeStep(0, -1), 0);
  EXPECT_EQ(gridctl::DealAttributeStep(-1, 1), 0);
  EXPECT_EQ(gridctl::DealAttributeStep(1, 1), 2);
}

}  // namespace
