#include "engine/table_catalogue.h"

#include <array>
#include <utility>

namespace engine {

std::optional<Table> StoredTableFor(int tableId) {
  static constexpr std::array<std::pair<int, Table>, 18> kCatalogue{{
      {table_id::kFunds, Table::kFunds},
      {table_id::kOrders, Table::kOrders},
      {table_id::kSpecialOrders, Table::kSpecialOrders},
      {table_id::kTrades, Table::kTrades},
      {table_id::kPositionSummary, Table::kPositionSummary},
      {table_id::kOrderKinds, Table::kOrderKinds},
      {table_id::kOrderTypes, Table::kOrderTypes},
      {table_id::kExchangeSeats, Table::kExchangeSeats},
      {table_id::kContracts, Table::kContracts},
      {table_id::kCombinationContracts, Table::kCombinationContracts},
      {table_id::kTradeCodes, Table::kTradeCodes},
      {table_id::kAlwaysEmpty15, Table::kAlwaysEmpty15},
      {table_id::kAlwaysEmpty16, Table::kAlwaysEmpty16},
      {table_id::kStoredOrders, Table::kStoredOrders},
      {table_id::kProfitLossOrders, Table::kProfitLossOrders},
      {table_id::kConditionOrders, Table::kConditionOrders},
      {table_id::kExercisableQuantities, Table::kExercisableQuantities},
      {table_id::kExerciseOrders, Table::kExerciseOrders},
  }};
  for (const auto& [id, table] : kCatalogue) {
    if (id == tableId) return table;
  }
  return std::nullopt;
}

}  // namespace engine
