#include "marketviews/model/contract_catalogue.h"

#include <charconv>
#include <optional>

#include "engine/combination_contract_row.h"
#include "engine/query_facade.h"
#include "engine/reference_rows.h"
#include "engine/table_catalogue.h"
#include "marketviews/model/quote_format.h"
#include "quotes/contract_key.h"

namespace marketviews {
namespace {

// The tick of a price-step text; 1 for a text that is no positive number.
double TickOf(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  double tick = 0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), tick);
  return result.ec == std::errc() && tick > 0 ? tick : 1;
}

}  // namespace

void ContractCatalogue::Add(std::string code, std::string name, double tick) {
  contracts_.insert_or_assign(std::move(code), ContractInfo{std::move(name), tick, PriceDecimals(tick)});
}

const ContractInfo* ContractCatalogue::Find(std::string_view code) const {
  const auto found = contracts_.find(code);
  return found == contracts_.end() ? nullptr : &found->second;
}

int ContractCatalogue::DecimalsOf(std::string_view code) const {
  const ContractInfo* info = Find(code);
  return info == nullptr ? 0 : info->decimals;
}

double ContractCatalogue::TickOf(std::string_view code) const {
  const ContractInfo* info = Find(code);
  return info == nullptr ? 1 : info->tick;
}

ContractCatalogue ContractCatalogue::FromEngine(engine::COperationEngine& engine) {
  ContractCatalogue catalogue;
  backend::CxDataSet rows;
  if (engine::EngineQueryContracts(engine, rows, true)) catalogue.AddRows<engine::ContractRow>(rows);
  std::string error;
  if (engine::QueryEngineTable(engine, engine::table_id::kCombinationContracts, rows, error)) {
    catalogue.AddRows<engine::CombinationContractRow>(rows);
  }
  return catalogue;
}

template <typename Row>
void ContractCatalogue::AddRows(const backend::CxDataSet& rows) {
  for (std::uint32_t index = 0; index < rows.GetCount(); ++index) {
    if (const std::optional<Row> row = engine::RowFromBytes<Row>(rows.GetValue(index))) {
      Add(std::string(quotes::FieldText(row->szContractCode)), std::string(quotes::FieldText(row->szContractName)),
          marketviews::TickOf(quotes::FieldText(row->szMinPriceStep)));
    }
  }
}

}  // namespace marketviews
