#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

#include "engine/query_facade.h"
#include "engine/reference_rows.h"
#include "engine/testing/rows.h"
#include "engine/testing/started_engine.h"

namespace {

using engine::ContractRow;
using engine::SetText;
using engine::Table;
using engine::Text;
using engine_testing::Contract;
namespace table_id = engine::table_id;

class TableCopies : public engine_testing::StartedEngine<> {
 protected:
  void SetUp() override {
    StartedEngine::SetUp();
    MakeReady();
  }
};

TEST_F(TableCopies, CopyIsTheCallersToKeep) {
  engine.Add(Table::kContracts, Contract({.exchange = "F1", .code = "cu2609"}));
  engine.Add(Table::kContracts, Contract({.exchange = "F2", .code = "m2609"}));
  backend::CxDataSet copy;
  ASSERT_TRUE(copy.AddText("replaced by the copy"));
  std::string error;
  ASSERT_TRUE(engine.GetTableCopy(table_id::kContracts, copy, error)) << error;

  engine.Add(Table::kContracts, Contract({.exchange = "F3", .code = "SR609"}));
  const auto rows = engine_testing::RowsOf<ContractRow>(copy);
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(Text(rows[0].szContractCode), "cu2609");
  EXPECT_EQ(Text(rows[1].szContractCode), "m2609");
}

TEST_F(TableCopies, AnswersEveryIdOfTheCatalogue) {
  engine.Add(Table::kExchangeSeats, engine::ExchangeSeatRow{});
  struct Case {
    int tableId;
    bool copied;
    std::uint32_t rows;
  };
  const Case cases[] = {
      {table_id::kExchangeSeats, true, 1},
      {table_id::kContracts, true, 0},  // never filled: an empty copy
      {table_id::kAlwaysEmpty15, true, 0},
      {table_id::kAlwaysEmpty16, true, 0},
      {table_id::kExercisableQuantities, true, 0},
      {table_id::kPositionDetailsView, true, 0},  // built from the (empty) details
      {table_id::kCombinationPositionsView, true, 0},
      {table_id::kConnectionState, false, 0},
      {0, false, 0},
      {22, false, 0},
      {-1, false, 0},
  };
  for (const Case& c : cases) {
    backend::CxDataSet copy;
    std::string error;
    EXPECT_EQ(engine.GetTableCopy(c.tableId, copy, error), c.copied) << c.tableId;
    if (c.copied) {
      EXPECT_NE(copy.Block(), nullptr) << c.tableId << ": a copy is a list, also an empty one";
      EXPECT_EQ(copy.GetCount(), c.rows) << c.tableId;
    } else {
      EXPECT_EQ(error, engine::kNoSuchTableText) << c.tableId;
    }
    // The read in place answers the same ids with the same rows.
    std::uint32_t visited = 0;
    error.clear();
    std::uint32_t announced = 0;
    const engine::RowVisitor counting{.count = [&](std::uint32_t rows) { announced = rows; },
                                      .row = [&](std::span<const std::uint8_t>) { ++visited; }};
    EXPECT_EQ(engine.ReadTable(c.tableId, counting, error), c.copied) << c.tableId;
    EXPECT_EQ(announced, c.rows) << c.tableId;
    EXPECT_EQ(visited, c.rows) << c.tableId;
    EXPECT_EQ(error, c.copied ? "" : engine::kNoSuchTableText) << c.tableId;
  }
}

TEST_F(TableCopies, ReadSeesEachRowInPlaceUnderTheLock) {
  engine.Add(Table::kContracts, Contract({.exchange = "F1", .code = "cu2609"}));
  engine.Add(Table::kContracts, Contract({.exchange = "F2", .code = "m2609"}));
  std::vector<std::string> codes;
  std::string error;
  ASSERT_TRUE(engine::ReadEngineTable(
      engine, table_id::kContracts,
      {.row =
           [&](std::span<const std::uint8_t> bytes) {
             // The bytes are the table's own, not a copy's, and the lock is held.
             const std::size_t index = codes.size();
             EXPECT_EQ(bytes.data(), engine.TableAt(Table::kContracts).GetValue(index).data()) << index;
             EXPECT_FALSE(engine.LockFreeForOtherThreads()) << index;
             const std::optional<ContractRow> row = engine::RowFromBytes<ContractRow>(bytes);
             ASSERT_TRUE(row.has_value()) << index;
             codes.emplace_back(Text(row->szContractCode));
           }},
      error))
      << error;
  EXPECT_EQ(codes, (std::vector<std::string>{"cu2609", "m2609"}));
  EXPECT_TRUE(engine.LockFreeForOtherThreads()) << "the lock goes with the read";
}

// A writer on another thread rewrites the whole table under the lock, each
// time with rows of a new generation whose code and name both carry it: a
// read sees one generation whole, never rows of two or a row half written
// (the thread build reports any access without the lock).
TEST_F(TableCopies, ReadNeverSeesATableHalfWritten) {
  constexpr int kRows = 50;
  const auto rewrite = [this](int generation) {
    std::lock_guard guard(engine.lock_);
    engine::EngineTable& contracts = engine.TableAt(Table::kContracts);
    contracts.Clear();
    const std::string tag = std::to_string(generation);
    for (int row = 0; row < kRows; ++row) {
      ASSERT_TRUE(engine_testing::AddRow(contracts, Contract({.exchange = "F1", .code = tag, .name = tag})));
    }
  };
  rewrite(0);
  std::atomic<bool> stop{false};
  std::thread writer([&] {
    for (int generation = 1; !stop.load(); ++generation) {
      rewrite(generation);
      std::this_thread::yield();
    }
  });
  for (int round = 0; round < 200; ++round) {
    std::vector<std::string> tags;
    std::string error;
    ASSERT_TRUE(engine.ReadTable(table_id::kContracts,
                                 {.row =
                                      [&](std::span<const std::uint8_t> bytes) {
                                        const std::optional<ContractRow> row = engine::RowFromBytes<ContractRow>(bytes);
                                        ASSERT_TRUE(row.has_value());
                                        EXPECT_EQ(Text(row->szContractCode), Text(row->szContractName));
                                        tags.emplace_back(Text(row->szContractCode));
                                      }},
                                 error));
    ASSERT_EQ(tags.size(), static_cast<std::size_t>(kRows)) << round;
    for (const std::string& tag : tags) ASSERT_EQ(tag, tags.front()) << round;
  }
  stop.store(true);
  writer.join();
}

TEST_F(TableCopies, BusyEngineRefusesTheGuardedCopies) {
  engine.Add(Table::kContracts, Contract({.exchange = "F1", .code = "cu2609"}));
  engine.OnConnectionState(engine::connection_state::kConnected, 2, 0);  // a reconnection
  ASSERT_EQ(engine.GetEngineState(), engine::EngineState::kReconnectDownload);

  backend::CxDataSet copy;
  ASSERT_TRUE(copy.AddText("kept"));
  std::string error;
  EXPECT_FALSE(engine.GetTableCopy(table_id::kContracts, copy, error));
  EXPECT_EQ(error, engine::kReconnectBusyText);
  error.clear();
  EXPECT_FALSE(engine::QueryEngineTable(engine, table_id::kContracts, copy, error));
  EXPECT_EQ(error, engine::kReconnectBusyText);
  EXPECT_EQ(copy.GetCount(), 1u) << "a refused copy leaves the caller's list alone";
  bool visited = false;
  error.clear();
  EXPECT_FALSE(engine::ReadEngineTable(engine, table_id::kContracts,
                                       {.row = [&](std::span<const std::uint8_t>) { visited = true; }}, error));
  EXPECT_EQ(error, engine::kReconnectBusyText);
  EXPECT_FALSE(visited);

  // The engine's own copy is not guarded.
  ASSERT_TRUE(engine.COperationEngineBase::GetTableCopy(table_id::kContracts, copy, error));
  EXPECT_EQ(engine_testing::RowsOf<ContractRow>(copy).size(), 1u);
}

}  // namespace
