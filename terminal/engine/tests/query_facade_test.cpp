#include "engine/query_facade.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "engine/combination_contract_row.h"
#include "engine/testing/rows.h"
#include "engine/testing/started_engine.h"

namespace {

using engine_testing::Contract;
using engine_testing::ExchangeSeat;
using engine_testing::Order;

using engine::SetText;
using engine::Table;
using engine::Text;

engine::CombinationContractRow Combination(std::string_view exchange, std::string_view code, std::string_view name,
                                           std::string_view tick) {
  engine::CombinationContractRow row{};
  SetText(row.szExchangeCode, exchange);
  SetText(row.szContractCode, code);
  SetText(row.szContractName, name);
  SetText(row.szMinPriceStep, tick);
  return row;
}

// A ready engine holding two contracts, one combination contract, three
// seats and three orders.
class QueryFacade : public engine_testing::StartedEngine<> {
 protected:
  void SetUp() override {
    StartedEngine::SetUp();
    MakeReady();
    engine.Add(Table::kContracts, Contract({.exchange = "F1",
                                            .code = "cu2609",
                                            .name = "沪铜2609",
                                            .multiplier = "5",
                                            .variety = "v-cu",
                                            .varietyName = "品种",
                                            .tick = "10"}));
    engine.Add(Table::kContracts, Contract({.exchange = "F3",
                                            .code = "IO2609-C-4000",
                                            .name = "沪深300购4000",
                                            .multiplier = "100",
                                            .variety = "v-IO",
                                            .varietyName = "品种",
                                            .tick = "0.2",
                                            .tradeClass = "1"}));
    engine.Add(Table::kCombinationContracts, Combination("F2", "SP m2609&m2701", "豆粕价差", "0.125"));
    engine.Add(Table::kExchangeSeats, ExchangeSeat({.exchange = "F1",
                                                    .name = "上期所",
                                                    .abbreviation = "sfe",
                                                    .seat = "S1",
                                                    .closeToday = "1",
                                                    .exerciseInstruction = "1"}));
    engine.Add(Table::kExchangeSeats, ExchangeSeat({.exchange = "F2",
                                                    .name = "大商所",
                                                    .abbreviation = "dce",
                                                    .seat = "S2",
                                                    .marketOrders = "1",
                                                    .exerciseInstruction = "1"}));
    engine.Add(
        Table::kExchangeSeats,
        ExchangeSeat(
            {.exchange = "F3", .name = "中金所", .abbreviation = "cffex", .seat = "S3", .exerciseInstruction = "2"}));
    engine.Add(Table::kOrders, Order({.exchange = "F1", .orderNo = "1001", .contract = "cu2609", .orderSeat = "S1"}));
    engine.Add(Table::kOrders,
               Order({.exchange = "F1", .orderNo = "1002", .contract = "cu2609", .buySell = "1", .orderSeat = "S1"}));
    engine.Add(Table::kOrders, Order({.exchange = "F1", .orderNo = "1003", .contract = "cu2609", .orderSeat = "S9"}));
  }

  void MakeReconnecting() {
    engine.OnConnectionState(engine::connection_state::kConnected, 2, 0);
    ASSERT_EQ(engine.GetEngineState(), engine::EngineState::kReconnectDownload);
  }
};

TEST_F(QueryFacade, AnswersContractQuestions) {
  struct Case {
    std::string code;
    std::optional<std::string> exchange, name, optionFlag;
    int multiplier;
    double tick;
  };
  const Case cases[] = {
      {"cu2609", "F1", "沪铜2609", "0", 5, 10.0},
      {"IO2609-C-4000", "F3", "沪深300购4000", "1", 100, 0.2},
      // A combination: its tick to cents; no option flag or multiplier.
      {"SP m2609&m2701", "F2", "豆粕价差", std::nullopt, 10, 0.13},
      {"au2612", std::nullopt, std::nullopt, std::nullopt, 10, 1.0},
  };
  for (const Case& c : cases) {
    std::string error, exchange, name, optionFlag;
    EXPECT_EQ(engine::GetContractExchange(engine, c.code, error, exchange), c.exchange.has_value()) << c.code;
    EXPECT_EQ(engine::GetContractName(engine, c.code, name), c.name.has_value()) << c.code;
    EXPECT_EQ(engine::GetContractOptionFlag(engine, c.code, optionFlag), c.optionFlag.has_value()) << c.code;
    EXPECT_EQ(exchange, c.exchange.value_or("")) << c.code;
    EXPECT_EQ(name, c.name.value_or("")) << c.code;
    EXPECT_EQ(optionFlag, c.optionFlag.value_or("")) << c.code;
    EXPECT_EQ(engine::GetContractMultiplier(engine, c.code), c.multiplier) << c.code;
    EXPECT_DOUBLE_EQ(engine::GetPriceTick(engine, c.code), c.tick) << c.code;
    EXPECT_EQ(error, "") << c.code;
  }
}

TEST_F(QueryFacade, CodesWithAmpersandAreOnlyCombinations) {
  engine.Add(Table::kContracts,
             Contract({.exchange = "F8", .code = "SP m2609&m2701", .name = "decoy", .multiplier = "1", .tick = "1"}));
  engine.Add(Table::kCombinationContracts, Combination("F9", "m2609", "decoy", "1"));
  struct Case {
    std::string code, exchange, name;
  };
  for (const Case& c : {Case{"SP m2609&m2701", "F2", "豆粕价差"}, Case{"cu2609", "F1", "沪铜2609"}}) {
    std::string error, exchange, name;
    ASSERT_TRUE(engine::GetContractExchange(engine, c.code, error, exchange)) << c.code;
    ASSERT_TRUE(engine::GetContractName(engine, c.code, name)) << c.code;
    EXPECT_EQ(exchange, c.exchange);
    EXPECT_EQ(name, c.name);
  }
  std::string error, exchange;
  EXPECT_FALSE(engine::GetContractExchange(engine, "m2609", error, exchange)) << "no contract m2609";
}

TEST_F(QueryFacade, ChecksPricesAgainstTheTick) {
  engine.Add(Table::kContracts, Contract({.exchange = "F4", .code = "tick-0.2", .multiplier = "10", .tick = "0.2"}));
  engine.Add(Table::kContracts, Contract({.exchange = "F4", .code = "tick-0.5", .multiplier = "10", .tick = "0.5"}));
  engine.Add(Table::kContracts,
             Contract({.exchange = "F4", .code = "tick-0.0004", .multiplier = "10", .tick = "0.0004"}));
  engine.Add(Table::kContracts,
             Contract({.exchange = "F4", .code = "tick-0.001", .multiplier = "10", .tick = "0.001"}));
  struct Case {
    std::string code, price;
    bool onTick;
  };
  const Case cases[] = {
      {"tick-0.2", "3001.2", true},
      {"tick-0.5", "3001.2", false},
      {"tick-0.5", "3001.5", true},
      {"tick-0.2", " 3001.4\t", true},
      {"tick-0.001", "3001.237", true},
      {"tick-0.001", "3001.2374", true},    // rounded to thousandths first
      {"tick-0.0004", "3001.00001", true},  // a tick of no thousandth checks nothing
      {"SP m2609&m2701", "1.3", true},      // the combination's tick is 0.13
      {"SP m2609&m2701", "1.25", false},
      {"au2612", "3001", true},  // unknown: tick 1
      {"au2612", "3001.5", false},
      {"tick-0.2", "abc", false},
      {"tick-0.2", "", false},
      {"tick-0.2", "3001.2x", false},
      {"tick-0.2", "1e400", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(engine::CheckPriceTick(engine, c.code, c.price), c.onTick) << c.code << " " << c.price;
  }
}

TEST_F(QueryFacade, AnswersSeatAndExchangeQuestions) {
  struct Case {
    std::string exchange, seat;
    bool marketOrders, closeToday;
    int instruction;
  };
  const Case cases[] = {
      {"F1", "S1", false, true, 1},  {"F2", "S2", true, false, 1},
      {"F3", "S3", false, false, 2}, {"F1", "S9", false, false, 3},  // a seat not in the table
      {"F9", "S1", false, false, 3}, {"F1", "", false, true, 3},  // an empty seat: any seat for the flags, none for the
                                                                  // instruction
  };
  for (const Case& c : cases) {
    const std::string where = c.exchange + "/" + c.seat;
    EXPECT_EQ(engine::IsMarketOrderSupported(engine, c.exchange, c.seat), c.marketOrders) << where;
    EXPECT_EQ(engine::IsCloseTodaySupported(engine, c.exchange, c.seat), c.closeToday) << where;
    EXPECT_EQ(engine::GetExerciseInstructionCode(engine, c.exchange, c.seat), c.instruction) << where;
  }
  std::string abbreviation, name;
  ASSERT_TRUE(engine::GetExchangeCode(engine, "F3", abbreviation));
  ASSERT_TRUE(engine::GetExchangeName(engine, "F3", name));
  EXPECT_EQ(abbreviation, "cffex");
  EXPECT_EQ(name, "中金所");
  EXPECT_FALSE(engine::GetExchangeCode(engine, "F9", abbreviation));
  EXPECT_FALSE(engine::GetExchangeName(engine, "F9", name));
}

TEST_F(QueryFacade, FindsOrders) {
  backend::CxDataSet orders;
  ASSERT_TRUE(orders.AddText("replaced"));
  ASSERT_TRUE(engine::EngineQueryOrders(engine, "0", "F1", "cu2609", "another account", orders));
  const auto rows = engine_testing::RowsOf<engine::OrderRow>(orders);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(Text(rows[0].szOrderNo), "1001");
  EXPECT_EQ(Text(rows[1].szOrderNo), "1003");

  ASSERT_TRUE(engine::EngineQueryOrders(engine, "0", "F2", "cu2609", "", orders));
  EXPECT_EQ(orders.GetCount(), 0u);
  EXPECT_FALSE(engine::EngineQueryOrders(engine, "0", "F1", std::string(32, 'c'), "", orders))
      << "a contract too long for its key";

  engine::OrderRow order{};
  ASSERT_TRUE(engine::FindOrder(engine, "F1", "8001", "S1", "1002", order));
  EXPECT_EQ(Text(order.szNameBS), "1");
  SetText(order.szRemark, "untouched");
  EXPECT_FALSE(engine::FindOrder(engine, "F1", "8001", "S2", "1002", order));
  EXPECT_EQ(Text(order.szRemark), "untouched");
}

// The order lookup answers the table as it is now, however the rows moved
// since the last lookup.
TEST_F(QueryFacade, FindsTheFirstOrderOfTheVeryTextsAsTheTableChanges) {
  const auto remarked = [](std::string_view orderNo, std::string_view remark) {
    engine::OrderRow row = Order({.exchange = "F1", .orderNo = orderNo, .contract = "cu2609", .orderSeat = "S1"});
    SetText(row.szRemark, remark);
    return row;
  };
  const auto found = [&](std::string_view orderNo, std::string_view seat = "S1") -> std::optional<std::string> {
    engine::OrderRow order{};
    if (!engine::FindOrder(engine, "F1", "another account", seat, orderNo, order)) return std::nullopt;
    return std::string(Text(order.szRemark));
  };
  engine.Add(Table::kOrders, remarked("00123", "padded"));
  engine.Add(Table::kOrders, remarked("123", "first plain"));
  engine.Add(Table::kOrders, remarked("123", "second plain"));
  EXPECT_EQ(found("00123"), "padded");
  EXPECT_EQ(found("123"), "first plain") << "the same number in other digits is another text";
  EXPECT_EQ(found("0123"), std::nullopt);
  EXPECT_EQ(found("123", "S9"), std::nullopt);

  const auto removeRow = [&](std::uint32_t index) {
    std::lock_guard guard(engine.lock_);
    ASSERT_TRUE(engine.TableAt(Table::kOrders).RemoveEntry(index));
  };
  removeRow(0);  // "1001": every later row moves up
  EXPECT_EQ(found("123"), "first plain");
  EXPECT_EQ(found("00123"), "padded");
  removeRow(3);  // the first plain "123"
  EXPECT_EQ(found("123"), "second plain");
  removeRow(2);  // the padded one
  EXPECT_EQ(found("00123"), std::nullopt);

  // The last row gone and another appended in its place.
  removeRow(engine.TableAt(Table::kOrders).GetCount() - 1);
  engine.Add(Table::kOrders, remarked("123", "appended"));
  EXPECT_EQ(found("123"), "appended");

  // Emptied and loaded afresh, as a download does.
  {
    std::lock_guard guard(engine.lock_);
    engine.TableAt(Table::kOrders).Clear();
  }
  engine.Add(Table::kOrders, remarked("555", "reloaded"));
  EXPECT_EQ(found("123"), std::nullopt);
  EXPECT_EQ(found("555"), "reloaded");
}

TEST_F(QueryFacade, ListsContractsWholeOrReduced) {
  backend::CxDataSet whole;
  ASSERT_TRUE(engine::EngineQueryContracts(engine, whole, true));
  ASSERT_EQ(whole.GetCount(), 2u);
  EXPECT_EQ(whole.GetValue(1).size(), sizeof(engine::ContractRow));
  EXPECT_EQ(Text(engine::RowFromBytes<engine::ContractRow>(whole.GetValue(1))->szStrikePrice), "");

  backend::CxDataSet reduced;
  ASSERT_TRUE(reduced.AddText("kept"));
  ASSERT_TRUE(engine::EngineQueryContracts(engine, reduced, false));
  ASSERT_EQ(reduced.GetCount(), 3u) << "rows are appended";
  ASSERT_EQ(reduced.GetValue(2).size(), 120u);
  const auto row = engine::RowFromBytes<engine::ReducedContractRow>(reduced.GetValue(2));
  ASSERT_TRUE(row);
  EXPECT_EQ(Text(row->szExchangeCode), "F3");
  EXPECT_EQ(Text(row->szContractCode), "IO2609-C-4000");
  EXPECT_EQ(Text(row->szContractName), "沪深300购4000");
  EXPECT_EQ(Text(row->szVarietyCode), "v-IO");
  EXPECT_EQ(Text(row->szVarietyName), "品种");
  EXPECT_EQ(engine::PriceTickOf(*row), 0.2);
  const std::uint8_t littleEndianTwoTenths[8] = {0x9a, 0x99, 0x99, 0x99, 0x99, 0x99, 0xc9, 0x3f};
  EXPECT_EQ(std::memcmp(reduced.GetValue(2).data() + 112, littleEndianTwoTenths, 8), 0);
}

TEST_F(QueryFacade, BusyEngineAnswersItsDefaults) {
  MakeReconnecting();
  EXPECT_EQ(engine::GetContractMultiplier(engine, "cu2609"), 10);
  EXPECT_EQ(engine::GetPriceTick(engine, "cu2609"), 1.0);
  EXPECT_TRUE(engine::CheckPriceTick(engine, "cu2609", "3001"));
  EXPECT_FALSE(engine::CheckPriceTick(engine, "cu2609", "3001.2"));
  std::string text;
  ASSERT_TRUE(engine::GetExchangeCode(engine, "F1", text));
  EXPECT_EQ(text, "sfe");
  EXPECT_EQ(engine::GetExerciseInstructionCode(engine, "F3", "S3"), 2);

  std::string error, exchange;
  EXPECT_FALSE(engine::GetContractExchange(engine, "cu2609", error, exchange));
  EXPECT_EQ(error, engine::kReconnectBusyText);
  EXPECT_FALSE(engine::GetContractName(engine, "cu2609", text));
  EXPECT_FALSE(engine::GetContractOptionFlag(engine, "cu2609", text));
  EXPECT_FALSE(engine::GetExchangeName(engine, "F1", text));
  EXPECT_FALSE(engine::IsCloseTodaySupported(engine, "F1", "S1"));
  EXPECT_FALSE(engine::IsMarketOrderSupported(engine, "F2", "S2"));
  engine::OrderRow order{};
  EXPECT_FALSE(engine::FindOrder(engine, "F1", "8001", "S1", "1001", order));
  backend::CxDataSet list;
  EXPECT_FALSE(engine::EngineQueryOrders(engine, "0", "F1", "cu2609", "", list));
  EXPECT_FALSE(engine::EngineQueryContracts(engine, list, true));
}

TEST(QueryFacadeBeforeStart, AnswersAsDuringTheInitialDownload) {
  engine_testing::OpenEngine engine;
  std::string error, exchange;
  EXPECT_FALSE(engine::GetContractExchange(engine, "cu2609", error, exchange));
  EXPECT_EQ(error, engine::kInitialDownloadBusyText);
}

// Every question reads the tables under the engine lock, so a table changed
// meanwhile on another thread is never seen half written (the thread build
// reports any read without the lock).
TEST_F(QueryFacade, ReadsTablesUnderTheEngineLock) {
  std::atomic<bool> stop{false};
  std::thread writer([this, &stop] {
    const engine::ExchangeSeatRow seat = ExchangeSeat({.exchange = "F4",
                                                       .name = "郑商所",
                                                       .abbreviation = "czce",
                                                       .seat = "S4",
                                                       .closeToday = "1",
                                                       .marketOrders = "1",
                                                       .exerciseInstruction = "3"});
    while (!stop.load()) {
      {
        std::lock_guard guard(engine.lock_);
        engine::EngineTable& seats = engine.TableAt(Table::kExchangeSeats);
        const auto row = engine::RowBytes(seat);
        if (seats.AddEntry(row.data(), row.size(), backend::data_set_block::kRawType)) {
          seats.RemoveEntry(seats.GetCount() - 1);
        }
      }
      std::this_thread::yield();
    }
  });
  std::string text;
  for (int round = 0; round < 200; ++round) {
    EXPECT_EQ(engine::GetExerciseInstructionCode(engine, "F1", "S1"), 1);
    EXPECT_TRUE(engine::GetExchangeCode(engine, "F1", text));
    EXPECT_TRUE(engine::IsCloseTodaySupported(engine, "F1", "S1"));
  }
  stop.store(true);
  writer.join();
}

}  // namespace
