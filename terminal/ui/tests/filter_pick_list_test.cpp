#include "ui/filter_pick_list.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace {

using ::testing::ElementsAre;
using ui::Check;

std::vector<Check> Checks(const ui::FilterPickList& list) {
  std::vector<Check> checks;
  for (int entry = 0; entry < list.Count(); ++entry) checks.push_back(list.CheckOf(entry));
  return checks;
}

TEST(FilterPickList, AllSelectedChecksEveryValueUnderACheckedAllEntry) {
  const ui::FilterPickList list({"a", "b"}, {3, true, {}});
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Text(0), "(全选)");
  EXPECT_EQ(list.Text(2), "b");
  EXPECT_THAT(Checks(list), ElementsAre(Check::kChecked, Check::kChecked, Check::kChecked));
}

TEST(FilterPickList, ASelectionChecksItsValuesUnderAnIndeterminateAllEntry) {
  EXPECT_THAT(Checks(ui::FilterPickList({"a", "b", "c"}, {1, false, {"c", "a"}})),
              ElementsAre(Check::kIndeterminate, Check::kChecked, Check::kUnchecked, Check::kChecked));
  // Nothing selected: the all entry stays cleared.
  EXPECT_THAT(Checks(ui::FilterPickList({"a"}, {1, false, {}})), ElementsAre(Check::kUnchecked, Check::kUnchecked));
}

TEST(FilterPickList, TheAllEntrySetsEveryEntryAndAnEntryThatDiffersMakesItIndeterminate) {
  ui::FilterPickList list({"a", "b", "c"}, {0, true, {}});
  list.SetCheck(0, Check::kUnchecked);
  EXPECT_THAT(Checks(list), ElementsAre(Check::kUnchecked, Check::kUnchecked, Check::kUnchecked, Check::kUnchecked));
  list.SetCheck(2, Check::kChecked);
  EXPECT_THAT(Checks(list), ElementsAre(Check::kIndeterminate, Check::kUnchecked, Check::kChecked, Check::kUnchecked));
  list.SetCheck(1, Check::kChecked);  // differs from indeterminate: stays so
  list.SetCheck(3, Check::kChecked);
  EXPECT_EQ(list.CheckOf(0), Check::kIndeterminate);
  list.SetCheck(9, Check::kUnchecked);  // no such entry
  EXPECT_EQ(list.CheckOf(3), Check::kChecked);

  // OK: indeterminate is not "all", the checked values in list order.
  ui::ColumnFilterState working{0, true, {"old"}};
  list.ApplyTo(working);
  EXPECT_FALSE(working.allSelected);
  EXPECT_THAT(working.selectedValues, ElementsAre("a", "b", "c"));
  list.SetCheck(0, Check::kChecked);
  list.ApplyTo(working);
  EXPECT_TRUE(working.allSelected);
  EXPECT_EQ(working.column, 0);
}

}  // namespace
