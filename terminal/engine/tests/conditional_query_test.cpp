#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/combination_contract_row.h"
#include "engine/engine_query.h"
#include "engine/testing/rows.h"
#include "engine/testing/started_engine.h"
#include "engine/trading_rows.h"

namespace {

using engine_testing::Order;

using engine::EngineQueryRecord;
using engine::SetText;
using engine::Table;
using engine::Text;
namespace table_id = engine::table_id;
namespace order_key = engine::order_key;

std::string BytesAt(std::span<const std::uint8_t> bytes, std::size_t offset, std::size_t length) {
  return std::string(reinterpret_cast<const char*>(bytes.data()) + offset, length);
}

TEST(EngineQueryRecord, KeepsItsFixedLayout) {
  EngineQueryRecord query(table_id::kOrders);
  query.SetAccount("8001");
  ASSERT_TRUE(query.SetKey(order_key::kExchangeCode, "F1"));
  ASSERT_TRUE(query.SetKey(order_key::kOrderNo, "1001"));
  ASSERT_TRUE(query.SetKey(order_key::kOrderSeat, "S9"));
  const auto bytes = query.Bytes();
  EXPECT_EQ(BytesAt(bytes, 0, 4), std::string("\x02\0\0\0", 4));
  EXPECT_EQ(BytesAt(bytes, 4, 5), std::string("8001\0", 5));
  EXPECT_EQ(BytesAt(bytes, 36, 3), std::string("F1\0", 3));
  EXPECT_EQ(BytesAt(bytes, 40, 5), std::string("1001\0", 5));
  // Exchange 4, order number 16, contract 32, three codes of 2, trade code
  // 16 and seat 16 lie before the order seat.
  EXPECT_EQ(BytesAt(bytes, 36 + 4 + 16 + 32 + 3 * 2 + 16 + 16, 3), std::string("S9\0", 3));
  EXPECT_EQ(BytesAt(bytes, 172, 8), std::string(8, '\0'));

  backend::CxDataSet rows;
  ASSERT_TRUE(rows.AddText("row"));
  query.SetResult(std::move(rows));
  EXPECT_NE(BytesAt(query.Bytes(), 172, 8), std::string(8, '\0'));
  EngineQueryRecord moved(std::move(query));
  EXPECT_FALSE(query.HasResult());  // the result went with the move
  const backend::CxDataSet taken = moved.TakeResult();
  EXPECT_EQ(taken.GetCount(), 1u);
  EXPECT_FALSE(moved.HasResult());
  EXPECT_EQ(BytesAt(moved.Bytes(), 172, 8), std::string(8, '\0'));
}

TEST(EngineQueryRecord, RefusesKeysItCannotHold) {
  struct Case {
    int tableId;
    std::size_t key;
    std::string text;
    bool stored;
  };
  const Case cases[] = {
      {table_id::kOrders, order_key::kOrderSeat, std::string(15, 'S'), true},
      {table_id::kOrders, order_key::kOrderSeat, std::string(16, 'S'), false},  // no room for the zero
      {table_id::kOrders, order_key::kExchangeCode, "F12", true},
      {table_id::kOrders, order_key::kExchangeCode, "F123", false},
      {table_id::kOrders, order_key::kOrderSeat + 1, "x", false},  // the order table has nine keys
      {table_id::kExchangeSeats, engine::exchange_seat_key::kGroupFlagAgain, "1", true},
      {table_id::kTrades, 0, "x", false},  // no conditional query of trades
  };
  for (const Case& c : cases) {
    EngineQueryRecord query(c.tableId);
    EXPECT_EQ(query.SetKey(c.key, c.text), c.stored) << c.tableId << "/" << c.key << " " << c.text;
    EXPECT_EQ(query.Key(c.key), c.stored ? c.text : "") << c.tableId << "/" << c.key;
  }
  EngineQueryRecord query(table_id::kOrders);
  ASSERT_TRUE(query.SetKey(order_key::kOrderNo, "1001"));
  EXPECT_FALSE(query.SetKey(order_key::kOrderNo, std::string(16, '9')));
  EXPECT_EQ(query.Key(order_key::kOrderNo), "1001") << "a refused text leaves the key as it was";
  // A text that points nowhere is an empty one (any exchange, any account).
  ASSERT_TRUE(query.SetKey(order_key::kOrderNo, std::string_view()));
  EXPECT_EQ(query.Key(order_key::kOrderNo), "");
  query.SetAccount(std::string_view());
  EXPECT_EQ(query.Account(), "");
}

class ConditionalQuery : public ::testing::Test {
 protected:
  void SetUp() override {
    engine.Add(Table::kOrders, Order({.exchange = "F1", .orderNo = "1001", .contract = "cu2609", .orderSeat = "S1"}));
    engine.Add(Table::kOrders,
               Order({.exchange = "F1", .orderNo = "1002", .contract = "cu2609", .buySell = "1", .orderSeat = "S1"}));
    engine.Add(Table::kOrders, Order({.exchange = "F2", .orderNo = "1001", .contract = "m2609", .orderSeat = "S2"}));
  }

  // The order numbers and seats of the rows the query gives, after checking
  // that each came at the order row's size.
  std::vector<std::string> RunOrders(EngineQueryRecord& query) {
    std::string error;
    EXPECT_TRUE(engine.QueryTableByConditionUnguarded(query, error)) << error;
    const backend::CxDataSet rows = query.TakeResult();
    EXPECT_NE(rows.Block(), nullptr) << "the result is a list also when nothing matched";
    std::vector<std::string> found;
    for (std::uint32_t index = 0; index < rows.GetCount(); ++index) {
      EXPECT_EQ(rows.GetValue(index).size(), sizeof(engine::OrderRow));
      const auto row = engine::RowFromBytes<engine::OrderRow>(rows.GetValue(index));
      if (row) found.push_back(std::string(Text(row->szExchangeCode)) + ":" + std::string(Text(row->szOrderNo)));
    }
    return found;
  }

  engine_testing::OpenEngine engine;  // never started: busy with the initial download
};

TEST_F(ConditionalQuery, FindsTheRowsWhoseKeysAllMatch) {
  struct Case {
    std::vector<std::pair<std::size_t, std::string>> keys;
    std::vector<std::string> found;
  };
  const Case cases[] = {
      {{}, {"F1:1001", "F1:1002", "F2:1001"}},  // all keys empty: the whole table
      {{{order_key::kExchangeCode, "F1"}}, {"F1:1001", "F1:1002"}},
      {{{order_key::kOrderNo, "1001"}}, {"F1:1001", "F2:1001"}},
      {{{order_key::kExchangeCode, "F1"}, {order_key::kOrderNo, "1001"}, {order_key::kOrderSeat, "S1"}}, {"F1:1001"}},
      {{{order_key::kExchangeCode, "F1"}, {order_key::kOrderNo, "1003"}}, {}},  // another order number
      {{{order_key::kContractCode, "cu2609"}, {order_key::kBuySell, "1"}}, {"F1:1002"}},
      {{{order_key::kContractCode, "cu260"}}, {}},  // whole texts only
      {{{order_key::kOrderSeat, "S2"}, {order_key::kExchangeCode, "F1"}}, {}},
  };
  for (const Case& c : cases) {
    EngineQueryRecord query(table_id::kOrders);
    query.SetAccount("someone else");  // carried, never compared
    for (const auto& [key, text] : c.keys) ASSERT_TRUE(query.SetKey(key, text));
    EXPECT_EQ(RunOrders(query), c.found) << ::testing::PrintToString(c.keys);
  }
}

TEST_F(ConditionalQuery, ComparesFullFieldsWithinTheirWidth) {
  // A seat filling its 16 bytes runs straight into the next field.
  engine::OrderRow full = Order({.exchange = "F3", .orderNo = "2001", .contract = "cu2609", .orderSeat = ""});
  std::memset(full.szOrderSeat, 'A', sizeof full.szOrderSeat);
  SetText(full.szAnswerField33, "BBBB");
  engine.Add(Table::kOrders, full);
  for (const std::string& seat : {std::string(15, 'A'), std::string("A")}) {
    EngineQueryRecord query(table_id::kOrders);
    ASSERT_TRUE(query.SetKey(order_key::kOrderSeat, seat));
    EXPECT_EQ(RunOrders(query), std::vector<std::string>{}) << seat;
  }

  // The fifth order-kind key is wider than its 2-byte field: a full field
  // equals the key of its two bytes, not of the bytes that follow it.
  engine::OrderKindRow kind{};
  SetText(kind.szExchangeCode, "F1");
  std::memcpy(kind.szKindKey5, "AB", 2);
  SetText(kind.szLegCount, "2");
  engine.Add(Table::kOrderKinds, kind);
  EngineQueryRecord kinds(table_id::kOrderKinds);
  ASSERT_TRUE(kinds.SetKey(engine::order_kind_key::kKindKey5, "AB"));
  std::string error;
  ASSERT_TRUE(engine.QueryTableByConditionUnguarded(kinds, error)) << error;
  EXPECT_EQ(kinds.TakeResult().GetCount(), 1u);
}

TEST_F(ConditionalQuery, SkipsEntriesShorterThanTheRow) {
  const engine::OrderRow row = Order({.exchange = "F1", .orderNo = "1009", .contract = "cu2609", .orderSeat = "S1"});
  {
    std::lock_guard guard(engine.lock_);
    ASSERT_TRUE(engine.TableAt(Table::kOrders).AddEntry(&row, sizeof row - 1, backend::data_set_block::kRawType));
  }
  EngineQueryRecord query(table_id::kOrders);
  ASSERT_TRUE(query.SetKey(order_key::kOrderNo, "1009"));
  EXPECT_EQ(RunOrders(query), std::vector<std::string>{});
}

TEST_F(ConditionalQuery, RefusesTablesItDoesNotServe) {
  for (const int tableId : {0, 1, 4, 6, 7, 13, 14, 15, 16, 18, 19, 20, 21, 22, 99}) {
    EngineQueryRecord query(tableId);
    std::string error;
    EXPECT_FALSE(engine.QueryTableByConditionUnguarded(query, error)) << tableId;
    EXPECT_EQ(error, engine::kNoConditionalQueryText) << tableId;
    EXPECT_FALSE(query.HasResult()) << tableId;
  }
}

TEST_F(ConditionalQuery, ReadsTheStoredOrderKindAndCombinationTables) {
  engine::OrderKindRow kind{};
  SetText(kind.szExchangeCode, "F1");
  SetText(kind.szStrategyCode, "SP");
  engine.Add(Table::kOrderKinds, kind);
  engine::CombinationContractRow combination{};
  SetText(combination.szExchangeCode, "F2");
  SetText(combination.szStrategyCode, "SP");
  SetText(combination.szContractCode, "SP m2609&m2701");
  engine.Add(Table::kCombinationContracts, combination);

  EngineQueryRecord kinds(table_id::kOrderKinds);
  ASSERT_TRUE(kinds.SetKey(engine::order_kind_key::kStrategyCode, "SP"));
  EngineQueryRecord combinations(table_id::kCombinationContracts);
  ASSERT_TRUE(combinations.SetKey(engine::combination_contract_key::kContractCode, "SP m2609&m2701"));
  std::string error;
  for (EngineQueryRecord* query : {&kinds, &combinations}) {
    ASSERT_TRUE(engine.QueryTableByConditionUnguarded(*query, error)) << error;
    const backend::CxDataSet rows = query->TakeResult();
    EXPECT_EQ(rows.GetCount(), 1u) << query->TableId();
  }
}

TEST_F(ConditionalQuery, TheGuardedFormRefusesWhileTheEngineDownloads) {
  EngineQueryRecord query(table_id::kOrders);
  std::string error;
  EXPECT_FALSE(engine.QueryTableByCondition(query, error));
  EXPECT_EQ(error, engine::kInitialDownloadBusyText);
  EXPECT_FALSE(query.HasResult());
}

}  // namespace
