#include <gtest/gtest.h>

#include <string>

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
  }
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

  // The engine's own copy is not guarded.
  ASSERT_TRUE(engine.COperationEngineBase::GetTableCopy(table_id::kContracts, copy, error));
  EXPECT_EQ(engine_testing::RowsOf<ContractRow>(copy).size(), 1u);
}

}  // namespace
