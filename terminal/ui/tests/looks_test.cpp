#include "ui/looks.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(Looks, EveryLookHasItsOwnSchemeAndOthersFallBackToTheDefault) {
  std::set<std::uint32_t> backgrounds;
  for (int id = ui::kFirstLookId; id <= ui::kLastLookId; ++id) {
    EXPECT_TRUE(ui::IsLookId(id));
    backgrounds.insert(ui::ColoursOfLook(id).background);
  }
  EXPECT_EQ(backgrounds.size(), 14u);
  EXPECT_FALSE(ui::IsLookId(ui::kLastLookId + 1));
  EXPECT_EQ(&ui::ColoursOfLook(-1), &ui::ColoursOfLook(ui::kDefaultLookId));
}

TEST(Looks, TheThreeOldestLooksKeepPlainTabs) {
  for (int id = ui::kFirstLookId; id <= ui::kLastLookId; ++id) {
    EXPECT_EQ(ui::LookHasColouredTabs(id), id != 32837 && id != 32838 && id != 32841) << id;
  }
}

}  // namespace
