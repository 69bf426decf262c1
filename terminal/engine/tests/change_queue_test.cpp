#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <thread>

#include "backend/exercise_order_row.h"
#include "engine/row_field.h"
#include "engine/testing/rows.h"
#include "engine/testing/started_engine.h"
#include "engine/trading_rows.h"

namespace {

using engine::Table;
using engine::TableChangeRecord;
using engine_testing::ConnectionStateCall;
namespace table_id = engine::table_id;

constexpr std::size_t kOrderRowSize = 1126;
constexpr std::size_t kFundRowSize = 536;

void PutText(std::span<std::uint8_t> row, std::size_t offset, std::string_view text) {
  std::memcpy(row.data() + offset, text.data(), text.size());
}

std::string TextAt(std::span<const std::uint8_t> row, std::size_t offset) {
  return reinterpret_cast<const char*>(row.data() + offset);
}

// An order row: account, exchange code, order number, state, placing seat.
std::array<std::uint8_t, kOrderRowSize> OrderRow(std::string_view orderNo, std::string_view state,
                                                 std::string_view seat = "S1") {
  std::array<std::uint8_t, kOrderRowSize> row{};
  PutText(row, 0, "8001");
  PutText(row, 32, "F1");
  PutText(row, 52, orderNo);
  PutText(row, 132, state);
  PutText(row, 496, seat);
  return row;
}

std::array<std::uint8_t, kFundRowSize> FundRow(std::string_view account, std::string_view usable) {
  std::array<std::uint8_t, kFundRowSize> row{};
  PutText(row, 0, account);
  PutText(row, 208, usable);
  return row;
}

void AddRow(engine::EngineTable& table, std::span<const std::uint8_t> row) {
  ASSERT_TRUE(table.AddEntry(row.data(), row.size(), backend::data_set_block::kRawType));
}

class ChangeQueue : public engine_testing::StartedEngine<> {
 protected:
  void SetUp() override {
    StartedEngine::SetUp();
    MakeReady();
  }

  engine::EngineTable& Orders() { return engine.TableAt(Table::kOrders); }
  void SetOrderState(std::size_t index, std::string_view state) {
    std::uint8_t* row = Orders().GetDataPtr(index);
    std::memset(row + 132, 0, 4);
    std::memcpy(row + 132, state.data(), state.size());
  }
};

TEST_F(ChangeQueue, HeldOrderRecordsCarryTheRowAsItStandsAtTheBatchClose) {
  const auto row = OrderRow("17", "n");
  AddRow(Orders(), row);
  engine.RaiseChange(TableChangeRecord::RowChange(table_id::kOrders, 'i', 1, 0, row), false);
  SetOrderState(0, "a");
  engine.RaiseChange(TableChangeRecord::RowChange(table_id::kOrders, 'u', 1, 0, Orders().GetValue(0)), false);
  SetOrderState(0, "c");
  engine.RaiseChange(TableChangeRecord::RowChange(table_id::kOrders, 'u', 1, 0, Orders().GetValue(0)), false);
  EXPECT_TRUE(gui.changes.empty());

  engine.OnPushBatchDone();
  ASSERT_EQ(gui.changes.size(), 3u);
  EXPECT_EQ(gui.changes[0].Operation(), 'i');
  EXPECT_EQ(gui.changes[1].Operation(), 'u');
  EXPECT_EQ(gui.changes[2].Operation(), 'u');
  for (const TableChangeRecord& record : gui.changes) {
    EXPECT_EQ(TextAt(record.Row(), 132), "c");
    EXPECT_EQ(record.RowCount(), 1);
  }

  gui.Clear();
  engine.OnPushBatchDone();
  EXPECT_TRUE(gui.changes.empty()) << "the queue is empty after a batch close";
}

TEST_F(ChangeQueue, HeldRowIsFoundByExchangeOrderNumberAndSeat) {
  AddRow(Orders(), OrderRow("17", "a", "S2"));  // another seat: another order
  AddRow(Orders(), OrderRow("17", "a", "S1"));
  engine.RaiseChange(TableChangeRecord::RowChange(table_id::kOrders, 'u', 2, 1, OrderRow("17", "n", "S1")), false);
  SetOrderState(1, "d");

  engine.OnPushBatchDone();
  ASSERT_EQ(gui.changes.size(), 1u);
  EXPECT_EQ(TextAt(gui.changes[0].Row(), 132), "d");
  EXPECT_EQ(TextAt(gui.changes[0].Row(), 496), "S1");
  EXPECT_EQ(gui.changes[0].RowIndex(), 1);
}

TEST_F(ChangeQueue, HeldFundRecordIsRefreshedByItsAccount) {
  AddRow(engine.TableAt(Table::kFunds), FundRow("8002", "1.00"));
  AddRow(engine.TableAt(Table::kFunds), FundRow("8001", "2.00"));
  engine.RaiseChange(TableChangeRecord::RowChange(table_id::kFunds, 'u', 2, 1, FundRow("8001", "9.00")), false);

  engine.OnPushBatchDone();
  ASSERT_EQ(gui.changes.size(), 1u);
  EXPECT_EQ(TextAt(gui.changes[0].Row(), 0), "8001");
  EXPECT_EQ(TextAt(gui.changes[0].Row(), 208), "2.00");
}

// Two accounts of one log-in may hold the same option under the same key
// text; a held record takes its own account's row.
TEST_F(ChangeQueue, HeldExercisableQuantityIsRefreshedFromItsOwnAccountsRow) {
  const auto quantityRow = [](std::string_view account, int frozen) {
    return engine_testing::ExercisableQuantity({.account = account,
                                                .exchange = "F2",
                                                .contract = "m2609-C-3000",
                                                .key = "K1",
                                                .frozenLots = std::to_string(frozen)});
  };
  AddRow(engine.TableAt(Table::kExercisableQuantities), engine::RowBytes(quantityRow("8002", 5)));
  AddRow(engine.TableAt(Table::kExercisableQuantities), engine::RowBytes(quantityRow("8001", 2)));
  engine.RaiseChange(TableChangeRecord::RowChange(table_id::kExercisableQuantities, 'u', 2, 1,
                                                  engine::RowBytes(quantityRow("8001", 1))),
                     false);

  engine.OnPushBatchDone();
  ASSERT_EQ(gui.changes.size(), 1u);
  const auto delivered = engine::RowFromBytes<engine::ExercisableQuantityRow>(gui.changes[0].Row());
  EXPECT_EQ(engine::Text(delivered->szTradeAccount), "8001");
  EXPECT_EQ(engine::ReadInt(delivered->szFrozenHands), 2);
}

TEST_F(ChangeQueue, HeldExerciseOrderIsRefreshedFromItsOwnAccountsRow) {
  const auto applicationRow = [](std::string_view account, std::string_view state) {
    return engine_testing::Application({.account = account, .applicationNo = "100", .exchange = "F2", .state = state});
  };
  AddRow(engine.TableAt(Table::kExerciseOrders), engine::RowBytes(applicationRow("8002", "d")));
  AddRow(engine.TableAt(Table::kExerciseOrders), engine::RowBytes(applicationRow("8001", "a")));
  engine.RaiseChange(
      TableChangeRecord::RowChange(table_id::kExerciseOrders, 'u', 2, 1, engine::RowBytes(applicationRow("8001", "n"))),
      false);

  engine.OnPushBatchDone();
  ASSERT_EQ(gui.changes.size(), 1u);
  const auto delivered = engine::RowFromBytes<backend::ExerciseOrderRow>(gui.changes[0].Row());
  EXPECT_EQ(engine::Text(delivered->szAccount), "8001");
  EXPECT_EQ(engine::Text(delivered->szStateCode), "a");
}

TEST_F(ChangeQueue, RecordsWithoutACurrentRowOrKeyAreDeliveredAsQueued) {
  // The order was deleted before the close: its queued copy is what remains.
  const TableChangeRecord deletedOrder = TableChangeRecord::RowChange(table_id::kOrders, 'u', 1, 0, OrderRow("5", "a"));
  std::array<std::uint8_t, 308> summary{};
  PutText(summary, 0, "8001");
  const TableChangeRecord summaryRecord =
      TableChangeRecord::RowChange(table_id::kPositionSummary, 'u', 1, 0, summary, 1);
  engine.RaiseChange(deletedOrder, false);
  engine.RaiseChange(summaryRecord, false);

  engine.OnPushBatchDone();
  ASSERT_EQ(gui.changes.size(), 2u);
  EXPECT_TRUE(std::ranges::equal(gui.changes[0].Bytes(), deletedOrder.Bytes()));
  EXPECT_TRUE(std::ranges::equal(gui.changes[1].Bytes(), summaryRecord.Bytes()));
}

TEST_F(ChangeQueue, ConnectionChangesOfOneConnectionMergeIntoItsFirstRecord) {
  engine.OnConnectionState(2, 1, 1);
  engine.OnConnectionState(0, 2, 1);
  engine.OnConnectionState(1, 0, 2);
  EXPECT_TRUE(gui.connectionStates.empty());

  engine.OnPushBatchDone();
  EXPECT_EQ(gui.connectionStates, (std::vector<ConnectionStateCall>{{.connection = 1, .flag = 1, .state = 0},
                                                                    {.connection = 2, .flag = 0, .state = 1}}));
  EXPECT_TRUE(gui.changes.empty()) << "connection states never reach the table-change callback";
}

TEST_F(ChangeQueue, AtOnceRecordsOnTheGuiThreadAreDeliveredBeforeTheCallReturns) {
  engine.RaiseChange(TableChangeRecord::Reload(table_id::kTrades), true);
  EXPECT_EQ(gui.ChangedTableIds(), std::vector<int>{table_id::kTrades});
}

// An at-once record raised on another thread (the download thread's price
// refresh, the order thread's answers) waits for the GUI thread.
TEST_F(ChangeQueue, AtOnceRecordsOffTheGuiThreadWaitForTheNextBatchClose) {
  std::thread other([this] {
    EXPECT_FALSE(engine.OnGuiThread());
    engine.RaiseChange(TableChangeRecord::Reload(table_id::kTrades), true);
    engine.NotifyTableChange(TableChangeRecord::Reload(table_id::kFunds));
  });
  other.join();
  EXPECT_TRUE(gui.changes.empty());

  engine.OnPushBatchDone();
  EXPECT_EQ(gui.ChangedTableIds(), (std::vector<int>{table_id::kTrades, table_id::kFunds}));
}

TEST_F(ChangeQueue, BatchCloseSkipsItsTurnWhileAnotherThreadHoldsTheEngineLock) {
  engine.RaiseChange(TableChangeRecord::Reload(table_id::kTrades), false);
  platform::Event locked(platform::ResetMode::kManual);
  platform::Event release(platform::ResetMode::kManual);
  std::thread holder([&] {
    std::lock_guard guard(engine.lock_);
    locked.Set();
    release.Wait(std::chrono::seconds(10));
  });
  ASSERT_TRUE(locked.Wait(std::chrono::seconds(10)));
  engine.OnPushBatchDone();
  EXPECT_TRUE(gui.changes.empty());
  release.Set();
  holder.join();

  engine.OnPushBatchDone();
  EXPECT_EQ(gui.ChangedTableIds(), std::vector<int>{table_id::kTrades});
}

TEST_F(ChangeQueue, EngineLogLinesCarryThePrefixAndFitTheLine) {
  engine.WriteLog("下载线程启动。", 3);
  std::string longText;
  for (int i = 0; i < 600; ++i) longText += "中";
  engine.WriteLog(longText.c_str(), 1);
  engine.WriteLog(nullptr, 1);

  ASSERT_EQ(gui.logLines.size(), 2u);
  EXPECT_EQ(gui.logLines[0], (std::pair<int, std::string>{3, "计算引擎：下载线程启动。"}));
  const std::string& cut = gui.logLines[1].second;
  EXPECT_LE(cut.size(), 1023u);
  EXPECT_EQ(cut.size() % 2, 0u) << "cut inside a character";
  EXPECT_EQ(cut.substr(cut.size() - 2), "中");
}

TEST_F(ChangeQueue, ANewStartEmptiesEveryTableButTheTradeCodes) {
  AddRow(engine.TableAt(Table::kTradeCodes), std::array<std::uint8_t, 72>{'8'});
  AddRow(Orders(), OrderRow("1", "a"));
  AddRow(engine.TableAt(Table::kExerciseOrders), std::array<std::uint8_t, 880>{'8'});
  engine.RaiseChange(TableChangeRecord::Reload(table_id::kTrades), false);
  engine.Stop();

  engine::EngineCallbacks callbacks = gui.Callbacks();
  ASSERT_TRUE(engine.Start({.accounts = &accounts}, std::move(callbacks)));
  EXPECT_EQ(engine.TableAt(Table::kTradeCodes).GetCount(), 1u);
  EXPECT_EQ(Orders().GetCount(), 0u);
  EXPECT_EQ(engine.TableAt(Table::kExerciseOrders).GetCount(), 0u);
  EXPECT_EQ(engine.TableAt(Table::kChangeQueue).GetCount(), 0u);
}

}  // namespace
