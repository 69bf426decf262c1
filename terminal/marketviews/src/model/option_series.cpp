#include "marketviews/model/option_series.h"

#include <algorithm>

#include "engine/query_facade.h"
#include "engine/reference_rows.h"
#include "engine/table_catalogue.h"
#include "quotes/contract_key.h"

namespace marketviews {
namespace {

constexpr std::string_view kOptionFlag = "1";
constexpr std::string_view kGroupFlag = "1";

template <std::size_t N>
std::string Text(const char (&field)[N]) {
  return std::string(quotes::FieldText(field));
}

// Every row of a table copy, read as `Row`.
template <typename Row>
std::vector<Row> RowsOf(const backend::CxDataSet& copy) {
  std::vector<Row> rows;
  for (std::uint32_t index = 0; index < copy.GetCount(); ++index) {
    if (const std::optional<Row> row = engine::RowFromBytes<Row>(copy.GetValue(index))) rows.push_back(*row);
  }
  return rows;
}

}  // namespace

std::string SeriesNameOf(const engine::ContractRow& row) {
  if (quotes::FieldText(row.szTradeClass) != kOptionFlag) return {};
  return Text(row.szVarietyCode) + Text(row.szAccountDay);
}

OptionExchange& OptionMap::ExchangeById(const std::string& id) {
  const auto found = std::ranges::find(exchanges_, id, &OptionExchange::id);
  if (found != exchanges_.end()) return *found;
  return exchanges_.emplace_back(OptionExchange{.id = id});
}

OptionMap OptionMap::Build(const std::vector<engine::ExchangeSeatRow>& seats,
                           const std::vector<engine::ContractRow>& contracts) {
  OptionMap map;
  for (const engine::ExchangeSeatRow& seat : seats) {
    if (quotes::FieldText(seat.szGroupFlag) != kGroupFlag) continue;
    OptionExchange& exchange = map.ExchangeById(Text(seat.szExchangeCode));
    if (exchange.listed) continue;
    exchange.listed = true;
    exchange.name = Text(seat.szExchangeName);
    exchange.abbreviation = Text(seat.szExchangeAbbr);
  }
  for (const engine::ContractRow& row : contracts) {
    OptionContract option{.exchange = Text(row.szExchangeCode),
                          .code = Text(row.szContractCode),
                          .letter = Text(row.szOptionType),
                          .strike = Text(row.szStrikePrice),
                          .series = SeriesNameOf(row)};
    if (option.exchange.empty() || option.series.empty()) continue;
    std::vector<OptionSeries>& series = map.ExchangeById(option.exchange).series;
    auto found = std::ranges::find(series, option.series, &OptionSeries::name);
    if (found == series.end()) found = series.insert(series.end(), OptionSeries{.name = option.series});
    found->contracts.push_back(std::move(option));
  }
  return map;
}

OptionMap OptionMap::FromEngine(engine::COperationEngine& engine) {
  backend::CxDataSet seats;
  backend::CxDataSet contracts;
  std::string error;
  if (!engine::QueryEngineTable(engine, engine::table_id::kExchangeSeats, seats, error) ||
      !engine::EngineQueryContracts(engine, contracts, true)) {
    return {};
  }
  return Build(RowsOf<engine::ExchangeSeatRow>(seats), RowsOf<engine::ContractRow>(contracts));
}

bool OptionMap::Empty() const { return FirstSeries() == nullptr; }

const OptionSeries* OptionMap::FirstSeries() const {
  for (const OptionExchange& exchange : exchanges_) {
    if (!exchange.series.empty()) return &exchange.series.front();
  }
  return nullptr;
}

const OptionSeries* OptionMap::FindSeries(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (const OptionExchange& exchange : exchanges_) {
    const auto found = std::ranges::find(exchange.series, name, &OptionSeries::name);
    if (found != exchange.series.end()) return &*found;
  }
  return nullptr;
}

const OptionExchange* OptionMap::ExchangeOf(std::string_view seriesName) const {
  for (const OptionExchange& exchange : exchanges_) {
    if (std::ranges::find(exchange.series, seriesName, &OptionSeries::name) != exchange.series.end()) {
      return &exchange;
    }
  }
  return nullptr;
}

std::vector<SeriesGroup> GroupSeries(const OptionExchange& exchange) {
  std::vector<SeriesGroup> groups;
  for (const OptionSeries& series : exchange.series) {
    const std::string name = series.name.substr(0, series.name.size() - 1);
    auto group = std::ranges::find(groups, name, &SeriesGroup::name);
    if (group == groups.end()) group = groups.insert(groups.end(), SeriesGroup{.name = name});
    group->series.push_back(series.name);
  }
  return groups;
}

std::optional<std::string> FirstSeriesContaining(const OptionMap& map, std::string_view text) {
  for (const OptionExchange& exchange : map.Exchanges()) {
    if (!exchange.listed) continue;
    for (const SeriesGroup& group : GroupSeries(exchange)) {
      for (const std::string& series : group.series) {
        if (series.find(text) != std::string::npos) return series;
      }
    }
  }
  return std::nullopt;
}

}  // namespace marketviews
