#include "tradeviews/model/input_sequence.h"

#include <gtest/gtest.h>

namespace tradeviews {
namespace {

constexpr InputSequence kDefaultSequence = {0, 1, 2, 3, 4, 5, 6};

TEST(InputSequenceRows, ShowTheNamesAndMoveTheSelectedRow) {
  InputSequenceRows rows(kDefaultSequence);
  EXPECT_EQ(rows.Rows(),
            (std::vector<std::string>{"买卖", "数量", "价格", "开平", "定单类型", "成交属性", "触发价格"}));
  EXPECT_EQ(rows.Selected(), 0);
  rows.MoveUp();  // the first row stays
  EXPECT_EQ(rows.Rows()[0], "买卖");
  rows.Select(2);
  rows.MoveUp();
  rows.MoveUp();
  EXPECT_EQ(rows.Selected(), 0);
  InputSequence sequence = kDefaultSequence;
  rows.Store(sequence);
  EXPECT_EQ(sequence, (InputSequence{2, 0, 1, 3, 4, 5, 6}));

  rows.Select(6);
  rows.MoveDown();  // the last row stays
  EXPECT_EQ(rows.Selected(), 6);
  rows.Select(-1);
  rows.MoveUp();  // nothing without a selection
  EXPECT_EQ(rows.Rows()[0], "价格");
  rows.MoveDown();  // the first row, without a selection
  EXPECT_EQ(rows.Rows()[1], "价格");
  EXPECT_EQ(rows.Selected(), 1);
}

TEST(InputSequenceRows, StoreComparesWholeNames) {
  // A code outside the fields shows an empty row, which leaves its place.
  InputSequenceRows rows({9, 1, 2, 3, 4, 5, 6});
  EXPECT_EQ(rows.Rows()[0], "");
  InputSequence sequence = {7, 7, 7, 7, 7, 7, 7};
  rows.Store(sequence);
  EXPECT_EQ(sequence, (InputSequence{7, 1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(FieldName(4), "定单类型");
  EXPECT_EQ(FieldName(7), "");
}

}  // namespace
}  // namespace tradeviews
