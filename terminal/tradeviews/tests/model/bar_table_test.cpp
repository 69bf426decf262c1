#include "tradeviews/model/bar_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/bar_engine.h"
#include "tradeviews/model/query_bar_layout.h"

namespace {

using namespace tradeviews;
using engine::SetText;
using engine::Table;
using engine::TableChangeRecord;
using engine_testing::Order;
using engine_testing::Summary;
using engine_testing::Trade;

template <class Row>
TableChangeRecord Change(int tableId, char operation, const Row& row, std::uint8_t flag = 0, int rowIndex = 0) {
  return TableChangeRecord::RowChange(tableId, operation, 1, rowIndex, engine::RowBytes(row), flag);
}

// The texts of one column in the order the grid shows its rows.
std::vector<std::string> ShownColumn(const ui::GridModel& grid, int column) {
  std::vector<std::string> texts;
  for (int position = 0; position < grid.ShownRowCount(); ++position) {
    texts.emplace_back(grid.ShownText(position, column));
  }
  return texts;
}

class BarTable : public tradeviews_testing::BarEngine {
 protected:
  // A grid with the bar's columns, following the bar's table.
  QueryBarTable& Bar(BarTableKind kind, const QueryBarLayout& spec) {
    grid_.SetColumns(spec.columns);
    table_.emplace(kind, grid_, lookups);
    return *table_;
  }

  ui::GridModel grid_;
  std::optional<QueryBarTable> table_;
};

TEST_F(BarTable, TheOrderBarReloadsInOrderNumberOrderAndFollowsInsertsAndUpdates) {
  namespace c = order_column;
  QueryBarTable& bar = Bar(BarTableKind::kOrders, OrderBarLayout());
  for (const char* number : {"12", "3", "100"}) engine.Add(Table::kOrders, Order({.orderNo = number}));
  bar.Apply(TableChangeRecord::Reload(kOrderTable));
  EXPECT_EQ(ShownColumn(grid_, c::kOrderNo), (std::vector<std::string>{"3", "12", "100"}));

  bar.Apply(Change(kOrderTable, 'i', Order({.orderNo = "7", .lots = "2"})));
  EXPECT_EQ(ShownColumn(grid_, c::kOrderNo), (std::vector<std::string>{"3", "7", "12", "100"}));
  bar.Apply(Change(kOrderTable, 'u', Order({.orderNo = "7", .state = "p", .lots = "2", .traded = "1"})));
  EXPECT_EQ(ShownColumn(grid_, c::kState)[1], "部分成交");
  EXPECT_EQ(ShownColumn(grid_, c::kTradedLots)[1], "1");

  // An update of an order the bar does not show, a delete and a record of
  // another table change nothing.
  bar.Apply(Change(kOrderTable, 'u', Order({.orderNo = "8", .state = "c"})));
  bar.Apply(Change(kOrderTable, 'd', Order({.orderNo = "7"})));
  bar.Apply(Change(kTradeTable, 'i', Trade({.dealNo = "5"})));
  EXPECT_EQ(grid_.RowCount(), 4);
}

TEST_F(BarTable, AnUpdateFindsItsOrderBySeatContractAndNumber) {
  namespace c = order_column;
  QueryBarTable& bar = Bar(BarTableKind::kOrders, OrderBarLayout());
  bar.Apply(Change(kOrderTable, 'i', Order({.orderNo = "7", .orderSeat = "S1"})));
  bar.Apply(Change(kOrderTable, 'i', Order({.orderNo = "7", .orderSeat = "S2"})));
  bar.Apply(Change(kOrderTable, 'u', Order({.orderNo = "7", .state = "c", .orderSeat = "S2"})));
  EXPECT_EQ(ShownColumn(grid_, c::kState), (std::vector<std::string>{"已经报入", "全部成交"}));
}

TEST_F(BarTable, ARefusedReloadLeavesTheOrderBarAsItWasAndEmptiesTheOthers) {
  QueryBarTable& orders = Bar(BarTableKind::kOrders, OrderBarLayout());
  orders.Apply(Change(kOrderTable, 'i', Order({.orderNo = "1"})));
  ui::GridModel trades;
  trades.SetColumns(TradeBarLayout().columns);
  QueryBarTable tradeBar(BarTableKind::kTrades, trades, lookups);
  tradeBar.Apply(Change(kTradeTable, 'i', Trade({.dealNo = "1"})));

  MakeReconnecting();
  orders.Apply(TableChangeRecord::Reload(kOrderTable));
  tradeBar.Apply(TableChangeRecord::Reload(kTradeTable));
  EXPECT_EQ(grid_.RowCount(), 1);
  EXPECT_EQ(trades.RowCount(), 0);
}

TEST_F(BarTable, TheTradeBarAddsOnlyRecordsWithoutFlagAndNeverChangesARow) {
  namespace c = trade_column;
  QueryBarTable& bar = Bar(BarTableKind::kTrades, TradeBarLayout());
  engine::TradeRow trade = Trade({.lots = "1", .dealNo = "1"});
  SetText(trade.szOrderNo, "5");
  bar.Apply(Change(kTradeTable, 'i', trade));
  bar.Apply(Change(kTradeTable, 'i', trade, 1));
  SetText(trade.szDealHands, "9");
  bar.Apply(Change(kTradeTable, 'u', trade));
  bar.Apply(Change(kTradeTable, 'd', trade));
  EXPECT_EQ(ShownColumn(grid_, c::kLots), (std::vector<std::string>{"1"}));
}

TEST_F(BarTable, TheFundBarRefreshesItsCustomersRowOnAnyLetterAndNeverAddsOne) {
  namespace c = fund_column;
  QueryBarTable& bar = Bar(BarTableKind::kFunds, FundBarLayout());
  engine.Add(Table::kFunds, engine_testing::Fund({.usable = "100"}));
  bar.Apply(TableChangeRecord::Reload(kFundTable));
  ASSERT_EQ(grid_.RowCount(), 1);
  bar.Apply(Change(kFundTable, 'i', engine_testing::Fund({.account = "9999", .usable = "1"})));
  EXPECT_EQ(grid_.RowCount(), 1);
  bar.Apply(Change(kFundTable, 'd', engine_testing::Fund({.usable = "250"})));
  EXPECT_EQ(ShownColumn(grid_, c::kAvailable), (std::vector<std::string>{"250.00"}));
  bar.Apply(Change(kFundTable, 'u', engine_testing::Fund({.usable = "300"})));
  EXPECT_EQ(ShownColumn(grid_, c::kAvailable), (std::vector<std::string>{"300.00"}));
}

TEST_F(BarTable, ThePositionBarRemovesExactlyTheDeletedRowAndSkipsWholeTableRecords) {
  namespace c = position_column;
  QueryBarTable& bar = Bar(BarTableKind::kPositions, PositionBarLayout());
  engine.Add(Table::kPositionSummary, Summary({.lots = "2", .buySell = "0"}));
  engine.Add(Table::kPositionSummary, Summary({.lots = "3", .buySell = "1"}));
  bar.Apply(TableChangeRecord::Reload(kPositionTable));
  ASSERT_EQ(grid_.RowCount(), 2);

  bar.Apply(Change(kPositionTable, 'u', Summary({.lots = "5", .buySell = "1"})));
  EXPECT_EQ(ShownColumn(grid_, c::kVolume), (std::vector<std::string>{"2", "5"}));
  bar.Apply(Change(kPositionTable, 'u', Summary({.lots = "8", .buySell = "1"}), 1, -1));
  bar.Apply(Change(kPositionTable, 'd', Summary({.buySell = "1"}), 1, -1));
  EXPECT_EQ(ShownColumn(grid_, c::kVolume), (std::vector<std::string>{"2", "5"}));

  bar.Apply(Change(kPositionTable, 'd', Summary({.buySell = "1"})));
  EXPECT_EQ(ShownColumn(grid_, c::kBuySell), (std::vector<std::string>{"买入"}));
  bar.Apply(Change(kPositionTable, 'd', Summary({.buySell = "1"})));
  bar.Apply(Change(kPositionTable, 'i', Summary({.contract = "m2609", .lots = "1"})));
  EXPECT_EQ(grid_.RowCount(), 2);
}

}  // namespace
