#include "quotes/group_tables.h"

#include <optional>
#include <set>
#include <string_view>

#include "engine/combination_contract_row.h"
#include "engine/query_facade.h"
#include "engine/reference_rows.h"
#include "engine/table_catalogue.h"

namespace quotes {
namespace {

template <std::size_t N>
std::string Text(const char (&field)[N]) {
  return std::string(FieldText(field));
}

// The rows of one of the engine's tables, each read as `Row`; none while the
// engine is busy.
template <engine::EngineRow Row, typename Take>
void ForEachRow(engine::COperationEngine& engine, int tableId, Take take) {
  backend::CxDataSet copy;
  std::string error;
  if (!engine::QueryEngineTable(engine, tableId, copy, error)) return;
  for (std::uint32_t index = 0; index < copy.GetCount(); ++index) {
    if (const std::optional<Row> row = engine::RowFromBytes<Row>(copy.GetValue(index))) take(*row);
  }
}

// The keys of the contracts of one exchange that `wanted` picks.
template <typename Wanted>
ContractGroup Built(const std::string& name, const std::vector<GroupContract>& contracts, Wanted wanted) {
  ContractGroup group;
  group.name = FitGroupName(name);
  group.built = true;
  for (const GroupContract& contract : contracts) {
    if (contract.exchangeName == name && wanted(contract)) group.keys.push_back(contract.key);
  }
  group.capacity = GroupCapacityFor(group.Count());
  return group;
}

}  // namespace

GroupTables ReadGroupTables(engine::COperationEngine& engine) {
  GroupTables tables;
  ForEachRow<engine::ExchangeSeatRow>(engine, engine::table_id::kExchangeSeats, [&](const auto& row) {
    tables.exchanges.push_back(
        {Text(row.szExchangeName), Text(row.szGroupFlag) == "1", Text(row.szCombinationFlag) == "1"});
  });
  ForEachRow<engine::ContractRow>(engine, engine::table_id::kContracts, [&](const auto& row) {
    tables.contracts.push_back({Text(row.szExchangeName),
                                MakeContractKey(FieldText(row.szExchangeCode), FieldText(row.szContractCode)),
                                Text(row.szTradeClass) == "1"});
  });
  ForEachRow<engine::CombinationContractRow>(engine, engine::table_id::kCombinationContracts, [&](const auto& row) {
    tables.combinations.push_back({Text(row.szExchangeName),
                                   MakeContractKey(FieldText(row.szExchangeCode), FieldText(row.szContractCode)),
                                   false});
  });
  return tables;
}

std::array<std::vector<ContractGroup>, kGroupKinds> BuildGroups(const GroupTables& tables) {
  std::array<std::vector<ContractGroup>, kGroupKinds> built;
  std::set<std::string> contractExchanges;
  std::set<std::string> combinationExchanges;
  for (const GroupExchange& exchange : tables.exchanges) {
    if (exchange.contractGroups && contractExchanges.insert(exchange.name).second) {
      built[kFutureKind].push_back(
          Built(exchange.name, tables.contracts, [](const GroupContract& contract) { return !contract.option; }));
      built[kOptionKind].push_back(
          Built(exchange.name, tables.contracts, [](const GroupContract& contract) { return contract.option; }));
    }
    if (exchange.combinationGroup && combinationExchanges.insert(exchange.name).second) {
      built[kCombinationKind].push_back(
          Built(exchange.name, tables.combinations, [](const GroupContract&) { return true; }));
    }
  }
  return built;
}

}  // namespace quotes
