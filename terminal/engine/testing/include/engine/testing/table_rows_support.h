// Rows put straight into an engine's stored tables, for the tests of the
// table copies, the conditional query and the query facade.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <mutex>
#include <string_view>
#include <vector>

#include "backend/data_set_block.h"
#include "engine/row_field.h"
#include "engine/table_catalogue.h"
#include "engine/testing/engine_test_support.h"
#include "engine/trading_rows.h"

namespace engine_test {

template <engine::EngineRow Row>
void AddRow(TestEngine& engine, engine::Table table, const Row& row) {
  std::lock_guard guard(engine.lock_);
  const auto bytes = engine::RowBytes(row);
  ASSERT_TRUE(engine.TableAt(table).AddEntry(nullptr, bytes.data(), bytes.size(), backend::data_set_block::kRawType));
}

// The rows of a list, each read as a Row.
template <engine::EngineRow Row>
std::vector<Row> RowsOf(const backend::CxDataSet& list) {
  std::vector<Row> rows;
  for (std::uint32_t index = 0; index < list.GetCount(); ++index) {
    const auto row = engine::RowFromBytes<Row>(list.GetValue(index));
    EXPECT_TRUE(row.has_value()) << "entry " << index;
    if (row) rows.push_back(*row);
  }
  return rows;
}

// An order of account 8001 with the fields the order queries compare.
inline engine::OrderRow Order(std::string_view exchange, std::string_view orderNo, std::string_view contract,
                              std::string_view buySell, std::string_view orderSeat) {
  engine::OrderRow row{};
  engine::SetText(row.szTradeAccount, "8001");
  engine::SetText(row.szExchangeCode, exchange);
  engine::SetText(row.szOrderNo, orderNo);
  engine::SetText(row.szContractCode, contract);
  engine::SetText(row.szNameBS, buySell);
  engine::SetText(row.szOrderSeat, orderSeat);
  return row;
}

}  // namespace engine_test
