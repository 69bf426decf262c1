#include "tradeviews/model/bar_table.h"

#include <string>
#include <utility>
#include <vector>

#include "engine/query_facade.h"
#include "engine/row_field.h"
#include "tradeviews/model/bar_rows.h"
#include "tradeviews/model/query_bar_spec.h"

namespace tradeviews {
namespace {

constexpr char kReload = engine::TableChangeRecord::kReload;
constexpr char kInsert = engine::TableChangeRecord::kInsert;
constexpr char kUpdate = engine::TableChangeRecord::kUpdate;
constexpr char kDelete = engine::TableChangeRecord::kDelete;

// The order number's column: the order and trade bars are sorted by it.
constexpr int kOrderNoColumn = 1;

template <class Row, class Make>
auto FromBytes(std::span<const std::uint8_t> bytes, Make make) -> std::optional<decltype(make(std::declval<Row>()))> {
  const std::optional<Row> row = engine::RowFromBytes<Row>(bytes);
  if (!row) return std::nullopt;
  return make(*row);
}

}  // namespace

QueryBarTable::QueryBarTable(BarTableKind kind, ui::GridModel& grid, BarLookups& lookups)
    : kind_(kind), grid_(grid), lookups_(lookups) {}

int QueryBarTable::TableId() const {
  switch (kind_) {
    case BarTableKind::kOrders: return kOrderTable;
    case BarTableKind::kTrades: return kTradeTable;
    case BarTableKind::kFunds: return kFundTable;
    case BarTableKind::kPositions: return kPositionTable;
  }
  return 0;
}

std::optional<ui::RowKey> QueryBarTable::KeyOf(std::span<const std::uint8_t> bytes) const {
  switch (kind_) {
    case BarTableKind::kOrders: return FromBytes<engine::OrderRow>(bytes, OrderRowKeyOf);
    case BarTableKind::kTrades: return FromBytes<engine::TradeRow>(bytes, TradeRowKeyOf);
    case BarTableKind::kFunds: return FromBytes<engine::FundRow>(bytes, FundRowKeyOf);
    case BarTableKind::kPositions: return FromBytes<engine::PositionSummaryRow>(bytes, PositionRowKeyOf);
  }
  return std::nullopt;
}

std::optional<ui::GridRow> QueryBarTable::RowOf(std::span<const std::uint8_t> bytes, const ui::GridRow* shown) {
  switch (kind_) {
    case BarTableKind::kOrders:
      return FromBytes<engine::OrderRow>(bytes, [&](const auto& row) { return OrderGridRow(row, lookups_); });
    case BarTableKind::kTrades:
      return FromBytes<engine::TradeRow>(bytes, [&](const auto& row) { return TradeGridRow(row, lookups_); });
    case BarTableKind::kFunds: return FromBytes<engine::FundRow>(bytes, FundGridRow);
    case BarTableKind::kPositions:
      return FromBytes<engine::PositionSummaryRow>(bytes, [&](const auto& row) {
        return shown != nullptr ? RefreshedPositionGridRow(*shown, row, lookups_) : PositionGridRow(row, lookups_);
      });
  }
  return std::nullopt;
}

bool QueryBarTable::TakeCopy(backend::CxDataSet& copy) const {
  std::string error;
  return engine::QueryEngineTable(lookups_.Engine(), TableId(), copy, error);
}

void QueryBarTable::Reload() {
  lookups_.Forget();
  // The order bar keeps what it shows until it has the new rows; the other
  // bars show nothing rather than rows that may be gone.
  if (kind_ != BarTableKind::kOrders) grid_.RemoveAllRows();
  backend::CxDataSet copy;
  if (!TakeCopy(copy)) return;
  std::vector<std::pair<ui::GridRow, ui::RowKey>> rows;
  rows.reserve(copy.GetCount());
  for (std::uint32_t index = 0; index < copy.GetCount(); ++index) {
    const std::span<const std::uint8_t> bytes = copy.GetValue(index);
    std::optional<ui::RowKey> key = KeyOf(bytes);
    std::optional<ui::GridRow> row = RowOf(bytes, nullptr);
    if (key && row) rows.emplace_back(std::move(*row), std::move(*key));
  }
  // Sorted before the rows go in, so that they are put in order once.
  if (kind_ == BarTableKind::kOrders || kind_ == BarTableKind::kTrades) {
    grid_.SetSortColumns({{kOrderNoColumn, true}});
  }
  grid_.ReplaceRows(std::move(rows));
}

void QueryBarTable::Apply(const engine::TableChangeRecord& record) {
  if (kind_ != BarTableKind::kFunds && record.TableId() != TableId()) return;
  const char operation = record.Operation();
  if (operation == kReload) {
    Reload();
    return;
  }
  switch (kind_) {
    case BarTableKind::kOrders:
      if (operation == kInsert) Insert(record);
      if (operation == kUpdate) Update(record);
      return;
    case BarTableKind::kTrades:
      if (operation == kInsert && record.Flag() == 0) Insert(record);
      return;
    case BarTableKind::kFunds: Update(record); return;
    case BarTableKind::kPositions:
      // Such a record stands for the whole table, not for its row copy.
      if (record.Flag() != 0 && record.RowIndex() == -1) return;
      if (operation == kInsert) Insert(record);
      if (operation == kUpdate) Update(record);
      if (operation == kDelete) Remove(record);
      return;
  }
}

void QueryBarTable::Insert(const engine::TableChangeRecord& record) {
  std::optional<ui::RowKey> key = KeyOf(record.Row());
  std::optional<ui::GridRow> row = RowOf(record.Row(), nullptr);
  if (key && row) grid_.AddRow(std::move(*row), std::move(*key));
}

void QueryBarTable::Update(const engine::TableChangeRecord& record) {
  const std::optional<ui::RowKey> key = KeyOf(record.Row());
  const std::optional<ui::RowId> id = key ? grid_.FindRow(*key) : std::nullopt;
  if (!id) return;
  if (std::optional<ui::GridRow> row = RowOf(record.Row(), grid_.Row(*id))) grid_.UpdateRow(*id, std::move(*row));
}

void QueryBarTable::Remove(const engine::TableChangeRecord& record) {
  const std::optional<ui::RowKey> key = KeyOf(record.Row());
  if (const std::optional<ui::RowId> id = key ? grid_.FindRow(*key) : std::nullopt) grid_.RemoveRow(*id);
}

}  // namespace tradeviews
