#include "tradeviews/model/exercise_orders.h"

#include <gtest/gtest.h>

#include "engine/row_field.h"
#include "engine/table_catalogue.h"
#include "tradeviews/model/exercise_apply.h"

namespace {

using engine::SetText;
using engine::TableChangeRecord;
namespace order_column = tradeviews::order_column;

backend::ExerciseOrderRow Order(const char* number, const char* state, const char* type = "1") {
  backend::ExerciseOrderRow row{};
  SetText(row.szAccount, "10001");
  SetText(row.szApplicationNo, number);
  SetText(row.szExchangeCode, "D");
  SetText(row.szContractCode, "m2705-C-3000");
  SetText(row.szStateCode, state);
  SetText(row.szTexts10[0], "0");
  SetText(row.szTexts10[1], "0");
  SetText(row.szLots, "2");
  SetText(row.szTexts16A[0], "01000101");
  SetText(row.szTexts16B[0], "D001");
  SetText(row.szKey, "D009");  // the order seat differs from the seat
  SetText(row.szKindFlag, type);
  return row;
}

class ExerciseOrdersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::InsertGridColumns(grid_, tradeviews::ExerciseOrderColumns());
    tradeviews::ExerciseOrderSources sources;
    sources.orders = [this](std::vector<backend::ExerciseOrderRow>& rows) {
      rows = orders_;
      return true;
    };
    sources.exchangeName = [](std::string_view) { return std::string("大商所"); };
    rows_ = std::make_unique<tradeviews::ExerciseOrderRows>(grid_, std::move(sources));
  }

  void Apply(char operation, const backend::ExerciseOrderRow& row) {
    rows_->OnTableChanged(
        TableChangeRecord::RowChange(engine::table_id::kExerciseOrders, operation, 1, 0, engine::RowBytes(row)));
  }
  std::string Cell(int position, int column) const { return std::string(grid_.ShownText(position, column)); }

  ui::GridModel grid_;
  std::vector<backend::ExerciseOrderRow> orders_;
  std::unique_ptr<tradeviews::ExerciseOrderRows> rows_;
};

TEST_F(ExerciseOrdersTest, AReloadSortsOnTheNumberAndAnUpdateFindsTheReloadedRow) {
  orders_ = {Order("12", "a"), Order("3", "d", "2"), Order("0", "n")};
  rows_->OnTableChanged(TableChangeRecord::Reload(engine::table_id::kExerciseOrders));
  ASSERT_EQ(grid_.RowCount(), 3);
  EXPECT_EQ(Cell(0, order_column::kOrderNo), "");  // no number yet
  EXPECT_EQ(Cell(1, order_column::kOrderNo), "3");
  EXPECT_EQ(Cell(2, order_column::kOrderNo), "12");
  EXPECT_EQ(Cell(2, order_column::kState), "已经报入");
  EXPECT_EQ(Cell(2, order_column::kType), "执行");
  EXPECT_EQ(Cell(1, order_column::kType), "放弃");
  EXPECT_EQ(Cell(2, 6), "0.00");  // frozen margin
  EXPECT_EQ(Cell(2, order_column::kSeat), "D001");
  EXPECT_EQ(Cell(2, order_column::kOrderSeat), "D009");
  EXPECT_EQ(Cell(2, 12), "大商所");

  // The cancel's update lands on the row the reload made.
  Apply(TableChangeRecord::kUpdate, Order("12", "d"));
  EXPECT_EQ(grid_.RowCount(), 3);
  EXPECT_EQ(Cell(2, order_column::kState), "已经撤销");
  // An inserted order is found again the same way.
  Apply(TableChangeRecord::kInsert, Order("15", "a"));
  Apply(TableChangeRecord::kUpdate, Order("15", "d"));
  EXPECT_EQ(grid_.RowCount(), 4);
  EXPECT_EQ(grid_.Row(*grid_.FindRow(tradeviews::ExerciseOrderKey(Order("15", "a"))))->Text(order_column::kState),
            "已经撤销");
  // A deletion is not shown.
  Apply(TableChangeRecord::kDelete, Order("15", "d"));
  EXPECT_EQ(grid_.RowCount(), 4);
}

TEST_F(ExerciseOrdersTest, StatesAreColouredAndOnlyWaitingOrEnteredOnesCancel) {
  for (const auto& [state, colour, cancellable] : {std::tuple{"c", tradeviews::kRed, false},
                                                   {"n", tradeviews::kGreen, true},
                                                   {"a", tradeviews::kGreen, true},
                                                   {"p", tradeviews::kGreen, false},
                                                   {"d", tradeviews::kOlive, false}}) {
    const ui::GridRow row = rows_->MakeRow(Order("1", state));
    EXPECT_EQ(row.Colour(order_column::kState), colour) << state;
    EXPECT_EQ(tradeviews::IsCancellable(row.Text(order_column::kState)), cancellable) << state;
  }
  EXPECT_EQ(rows_->MakeRow(Order("1", "a", "1")).Colour(order_column::kType), tradeviews::kRed);
  EXPECT_EQ(rows_->MakeRow(Order("1", "a", "2")).Colour(order_column::kType), tradeviews::kGreen);
}

TEST_F(ExerciseOrdersTest, TheWaitingFilterShowsOnlyWaitingAndEnteredOrders) {
  orders_ = {Order("1", "a"), Order("2", "d"), Order("3", "n"), Order("4", "c")};
  rows_->OnTableChanged(TableChangeRecord::Reload(engine::table_id::kExerciseOrders));
  grid_.SetFilter(tradeviews::WaitingOrdersFilter());
  ASSERT_EQ(grid_.ShownRowCount(), 2);
  EXPECT_EQ(Cell(0, order_column::kOrderNo), "1");
  EXPECT_EQ(Cell(1, order_column::kOrderNo), "3");
  grid_.ClearFilter();
  EXPECT_EQ(grid_.ShownRowCount(), 4);
}

}  // namespace
