#include "backend/global_string_list.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

using backend::CGlobalStringList;

TEST(GlobalStringList, GrowsByItsStepAndKeepsTheTexts) {
  CGlobalStringList list;
  EXPECT_EQ(list.GetCount(), 0u);
  EXPECT_EQ(list.GetAt(0), nullptr);
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(list.Append("text " + std::to_string(i)));
  EXPECT_EQ(list.GetCapacity(), 10u);

  ASSERT_TRUE(list.Append("eleventh"));
  EXPECT_EQ(list.GetCapacity(), 20u);
  ASSERT_EQ(list.GetCount(), 11u);
  for (int i = 0; i < 10; ++i) EXPECT_STREQ(list.GetAt(i), ("text " + std::to_string(i)).c_str());
  EXPECT_STREQ(list.GetAt(10), "eleventh");
  EXPECT_EQ(list.GetAt(11), nullptr);
}

TEST(GlobalStringList, TakesTextsBelowTheSlotSizeOnly) {
  CGlobalStringList list;
  const std::string longest(1023, 'x');
  ASSERT_TRUE(list.Append(longest));
  EXPECT_EQ(list.GetAt(0), longest);

  EXPECT_FALSE(list.Append(std::string(1024, 'y')));
  EXPECT_EQ(list.GetCount(), 1u);
  EXPECT_EQ(list.GetAt(1), nullptr);
}

TEST(GlobalStringList, NumbersMovesAndFree) {
  CGlobalStringList list;
  ASSERT_TRUE(list.AppendNumber(-42));
  ASSERT_TRUE(list.AppendNumber(140737488355328LL));
  EXPECT_STREQ(list.GetAt(0), "-42");
  EXPECT_STREQ(list.GetAt(1), "140737488355328");

  CGlobalStringList taken(std::move(list));
  EXPECT_EQ(list.GetCount(), 0u);  // NOLINT(bugprone-use-after-move): a moved list is empty
  EXPECT_EQ(taken.GetCount(), 2u);

  taken.Free();
  EXPECT_EQ(taken.GetCount(), 0u);
  EXPECT_EQ(taken.GetAt(0), nullptr);
  EXPECT_TRUE(taken.Append("again"));
  EXPECT_EQ(taken.GetCapacity(), CGlobalStringList::kDefaultGrowthStep);
}

TEST(GlobalStringList, AZeroGrowthStepStillGrows) {
  CGlobalStringList list(0);
  ASSERT_TRUE(list.Append("a"));
  ASSERT_TRUE(list.Append("b"));
  EXPECT_EQ(list.GetCapacity(), 2u);
  EXPECT_STREQ(list.GetAt(1), "b");
}
