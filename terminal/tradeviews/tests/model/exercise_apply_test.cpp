#include "tradeviews/model/exercise_apply.h"

#include <gtest/gtest.h>

#include "engine/row_field.h"

namespace {

using engine::SetText;
using engine::TableChangeRecord;
using tradeviews::ExerciseApplyRows;
namespace apply_column = tradeviews::apply_column;

engine::PositionSummaryRow Position(const char* exchange, const char* contract, const char* buySell, int lots,
                                    const char* tradeClass = "1") {
  engine::PositionSummaryRow row{};
  SetText(row.szTradeAccount, "10001");
  SetText(row.szExchangeCode, exchange);
  SetText(row.szContractCode, contract);
  SetText(row.szFlagBS, buySell);
  SetText(row.szFlagSH, "0");
  SetText(row.szSeatCode, exchange == std::string_view("D") ? "D001" : "S001");
  SetText(row.szTradeClass, tradeClass);
  engine::SetInt(row.szPositionVolume, lots);
  return row;
}

engine::ExercisableQuantityRow Quantity(const char* contract, const char* seat, int held, int abandoning,
                                        int exercising) {
  engine::ExercisableQuantityRow row{};
  SetText(row.szTradeAccount, "10001");
  SetText(row.szExchangeCode, "D");
  SetText(row.szContractCode, contract);
  SetText(row.szExerciseKey, seat);
  engine::SetInt(row.szAnswerField14, held);
  engine::SetInt(row.szFrozenHands, abandoning);
  engine::SetInt(row.szFrozenHandsKind1, exercising);
  return row;
}

template <class Row>
TableChangeRecord Change(int table, char operation, const Row& row, std::uint8_t flag = 0, int index = 0) {
  return TableChangeRecord::RowChange(table, operation, 1, index, engine::RowBytes(row), flag);
}

class ExerciseApplyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::InsertGridColumns(grid_, tradeviews::ExerciseApplyColumns());
    tradeviews::ExerciseApplySources sources;
    sources.positions = [this](std::vector<engine::PositionSummaryRow>& rows) {
      rows = positions_;
      return true;
    };
    sources.quantities = [this](std::vector<engine::ExercisableQuantityRow>& rows) {
      rows = quantities_;
      return true;
    };
    sources.engineBusy = [this] { return busy_; };
    sources.exchangeAbbreviation = [](std::string_view exchange) {
      return exchange == "J" ? std::string("cffex") : exchange == "D" ? std::string("dce") : std::string("sfe");
    };
    sources.exchangeName = [](std::string_view exchange) { return exchange == "D" ? "大商所" : "上期所"; };
    rows_ = std::make_unique<ExerciseApplyRows>(grid_, std::move(sources));
  }

  std::string Cell(int position, int column) const { return std::string(grid_.ShownText(position, column)); }
  std::optional<ui::RowId> Find(const engine::PositionSummaryRow& row) const {
    return grid_.FindRow(tradeviews::ExerciseApplyKey(row));
  }

  ui::GridModel grid_;
  std::vector<engine::PositionSummaryRow> positions_;
  std::vector<engine::ExercisableQuantityRow> quantities_;
  bool busy_ = false;
  std::unique_ptr<ExerciseApplyRows> rows_;
};

TEST_F(ExerciseApplyTest, AReloadListsLongOptionPositionsOutsideCffexWithTheirAppliedLots) {
  positions_ = {Position("D", "m2705-C-3000", "0", 5), Position("D", "m2705-P-2900", "1", 3),
                Position("J", "IO2612-C-3900", "0", 2), Position("S", "cu2701", "0", 3, "0"),
                Position("S", "cu2702C76000", "0", 4)};
  quantities_ = {Quantity("m2705-C-3000", "D001", 5, 2, 1), Quantity("m2703-C-2950", "D001", 0, 0, 0),
                 Quantity("m2703-P-2850", "D001", 3, 1, 0)};
  rows_->OnTableChanged(TableChangeRecord::Reload(engine::table_id::kPositionSummary));
  // Two positions; of the quantities without a position only the one with lots.
  ASSERT_EQ(grid_.RowCount(), 3);
  EXPECT_EQ(Cell(0, apply_column::kContract), "m2705-C-3000");
  EXPECT_EQ(Cell(0, apply_column::kBuySell), "买入");
  EXPECT_EQ(grid_.Row(grid_.ShownRow(0))->Colour(apply_column::kBuySell), tradeviews::kRed);
  EXPECT_EQ(Cell(0, apply_column::kAppliedExercise), "1");
  EXPECT_EQ(Cell(0, apply_column::kAppliedAbandon), "2");
  EXPECT_EQ(Cell(0, apply_column::kHedge), "投机");
  EXPECT_EQ(Cell(0, apply_column::kExchange), "大商所");
  EXPECT_EQ(Cell(0, apply_column::kSeat), "D001");
  EXPECT_EQ(Cell(1, apply_column::kContract), "cu2702C76000");
  EXPECT_EQ(Cell(1, apply_column::kAppliedExercise), "0");
  EXPECT_EQ(Cell(2, apply_column::kContract), "m2703-P-2850");
  EXPECT_EQ(Cell(2, apply_column::kPosition), "3");

  // While the engine downloads only the positions are shown.
  busy_ = true;
  rows_->OnTableChanged(TableChangeRecord::Reload(engine::table_id::kPositionSummary));
  EXPECT_EQ(grid_.RowCount(), 2);
  EXPECT_EQ(Cell(0, apply_column::kAppliedAbandon), "0");
}

TEST_F(ExerciseApplyTest, PositionRecordsAddUpdateAndRemoveTheirRows) {
  const int positions = engine::table_id::kPositionSummary;
  engine::PositionSummaryRow call = Position("D", "m2705-C-3000", "0", 5);
  rows_->OnTableChanged(Change(positions, TableChangeRecord::kInsert, call));
  ASSERT_EQ(grid_.RowCount(), 1);
  // An insert the engine tells without a place adds nothing.
  rows_->OnTableChanged(Change(positions, TableChangeRecord::kInsert, Position("D", "m2705-C-3050", "0", 1), 1, -1));
  // Sold and financial positions are not listed, nor updated into rows.
  rows_->OnTableChanged(Change(positions, TableChangeRecord::kInsert, Position("D", "m2705-P-2900", "1", 3)));
  rows_->OnTableChanged(Change(positions, TableChangeRecord::kInsert, Position("J", "IO2612-C-3900", "0", 2)));
  rows_->OnTableChanged(Change(positions, TableChangeRecord::kUpdate, Position("D", "m2705-C-3100", "0", 2)));
  EXPECT_EQ(grid_.RowCount(), 1);

  engine::SetInt(call.szPositionVolume, 7);
  rows_->OnTableChanged(Change(positions, TableChangeRecord::kUpdate, call));
  EXPECT_EQ(Cell(0, apply_column::kPosition), "7");
  rows_->OnTableChanged(Change(positions, TableChangeRecord::kDelete, call));
  EXPECT_EQ(grid_.RowCount(), 0);
  EXPECT_FALSE(Find(call));
}

TEST_F(ExerciseApplyTest, QuantityRecordsSetTheAppliedLotsOfTheirPositionsRow) {
  rows_->OnTableChanged(
      Change(engine::table_id::kPositionSummary, TableChangeRecord::kInsert, Position("D", "m2705-C-3000", "0", 5)));
  const int quantities = engine::table_id::kExercisableQuantities;
  rows_->OnTableChanged(Change(quantities, TableChangeRecord::kUpdate, Quantity("m2705-C-3000", "D001", 5, 0, 3)));
  ASSERT_EQ(grid_.RowCount(), 1);
  EXPECT_EQ(Cell(0, apply_column::kAppliedExercise), "3");
  EXPECT_EQ(Cell(0, apply_column::kAppliedAbandon), "0");
  EXPECT_EQ(Cell(0, apply_column::kPosition), "5");
  // Another seat's quantity is another position: its own row, when it has lots.
  rows_->OnTableChanged(Change(quantities, TableChangeRecord::kInsert, Quantity("m2705-C-3000", "D002", 0, 1, 0)));
  EXPECT_EQ(grid_.RowCount(), 1);
  rows_->OnTableChanged(Change(quantities, TableChangeRecord::kInsert, Quantity("m2705-C-3000", "D002", 2, 1, 0)));
  EXPECT_EQ(grid_.RowCount(), 2);
}

TEST(ExerciseInput, EveryFailedCheckInOneText) {
  const auto known = [](std::string& error) {
    error.clear();
    return true;
  };
  const auto unknown = [](std::string& error) {
    error.clear();
    return false;
  };
  const auto busy = [](std::string& error) {
    error = "计算引擎正在处理初始化下载数据。";
    return false;
  };
  EXPECT_EQ(tradeviews::CheckExerciseInput("", "", known), "合约不能为空!\n委托手数不能为空!\n");
  EXPECT_EQ(tradeviews::CheckExerciseInput("m2705-C-3000", "012", known), "委托手数第一位不能为0!\n");
  EXPECT_EQ(tradeviews::CheckExerciseInput("m2705-C-3000", "0", known), "委托手数不能为0!\n");
  EXPECT_EQ(tradeviews::CheckExerciseInput("xx", "1", unknown), "合约: xx 不合法!\n");
  EXPECT_EQ(tradeviews::CheckExerciseInput("xx", "1", busy), "计算引擎正在处理初始化下载数据。\n");
  EXPECT_EQ(tradeviews::CheckExerciseInput("m2705-C-3000", "3", known), "");
}

TEST(ExerciseInput, TheSeatsInstructionsAndTheOutputLines) {
  EXPECT_EQ(tradeviews::InstructionRefusal(1, true), "");
  EXPECT_EQ(tradeviews::InstructionRefusal(3, false), "");
  EXPECT_EQ(tradeviews::InstructionRefusal(2, true), "该合约不支持期权执行申请！");
  EXPECT_EQ(tradeviews::InstructionRefusal(1, false), "该合约不支持期权放弃执行申请！");
  EXPECT_EQ(tradeviews::ExerciseOrderLine(true, "2", "10001", "0", "0", "3", "88"),
            "期权申请放弃执行委托单发送成功，[10001]买入|投机|3|委托单号=88");
  EXPECT_EQ(tradeviews::ExerciseOrderLine(false, "1", "10001", "0", "0", "3", "没有持仓"),
            "期权申请执行委托单发送失败，[10001]买入|投机|3|委托单号=没有持仓");
}

}  // namespace
