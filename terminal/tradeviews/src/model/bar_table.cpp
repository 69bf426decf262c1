#include "tradeviews/model/bar_table.h"

#include <string>
#include <utility>
#include <vector>

#include "engine/query_facade.h"
#include "engine/row_field.h"
#include "tradeviews/model/bar_rows.h"
#include "tradeviews/model/query_bar_layout.h"

namespace tradeviews {
namespace {

constexpr char kReload = engine::TableChangeRecord::kReload;
constexpr char kInsert = engine::TableChangeRecord::kInsert;
constexpr char kUpdate = engine::TableChangeRecord::kUpdate;
constexpr char kDelete = engine::TableChangeRecord::kDelete;

// The order number's column: the order and trade bars are sorted by it.
constexpr int kOrderNoColumn = 1;

// Each table's key and row fill, by the engine row it holds. `shown` is
// the row the grid shows for the key, when the fill refreshes it.
ui::RowKey KeyOf(const engine::OrderRow& row) { return OrderRowKeyOf(row); }
ui::RowKey KeyOf(const engine::TradeRow& row) { return TradeRowKeyOf(row); }
ui::RowKey KeyOf(const engine::FundRow& row) { return FundRowKeyOf(row); }
ui::RowKey KeyOf(const engine::PositionSummaryRow& row) { return PositionRowKeyOf(row); }

ui::GridRow FillOf(const engine::OrderRow& row, const ui::GridRow*, ui::GridModel& grid, BarLookups& lookups) {
  return OrderGridRow(row, lookups, grid.NewRow());
}
ui::GridRow FillOf(const engine::TradeRow& row, const ui::GridRow*, ui::GridModel& grid, BarLookups& lookups) {
  return TradeGridRow(row, lookups, grid.NewRow());
}
ui::GridRow FillOf(const engine::FundRow& row, const ui::GridRow*, ui::GridModel& grid, BarLookups&) {
  return FundGridRow(row, grid.NewRow());
}
ui::GridRow FillOf(const engine::PositionSummaryRow& row, const ui::GridRow* shown, ui::GridModel& grid,
                   BarLookups& lookups) {
  return shown != nullptr ? RefreshedPositionGridRow(*shown, row, lookups)
                          : PositionGridRow(row, lookups, grid.NewRow());
}

template <class Row, class Use>
void ReadAs(std::span<const std::uint8_t> bytes, Use& use) {
  if (const std::optional<Row> row = engine::RowFromBytes<Row>(bytes)) use(*row);
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

template <class Use>
void QueryBarTable::Read(std::span<const std::uint8_t> bytes, Use&& use) const {
  switch (kind_) {
    case BarTableKind::kOrders: ReadAs<engine::OrderRow>(bytes, use); return;
    case BarTableKind::kTrades: ReadAs<engine::TradeRow>(bytes, use); return;
    case BarTableKind::kFunds: ReadAs<engine::FundRow>(bytes, use); return;
    case BarTableKind::kPositions: ReadAs<engine::PositionSummaryRow>(bytes, use); return;
  }
}

void QueryBarTable::Reload() {
  lookups_.Forget();
  // The order bar keeps what it shows until it has the new rows; the other
  // bars show nothing rather than rows that may be gone.
  if (kind_ != BarTableKind::kOrders) grid_.RemoveAllRows();
  std::vector<std::pair<ui::GridRow, ui::RowKey>> rows;
  // The rows are built while the engine holds its table still, and go to
  // the grid (and so to the window) only once the engine lock is released.
  const engine::RowVisitor fill{
      .count = [&](std::uint32_t count) { rows.reserve(count); },
      .row =
          [&](std::span<const std::uint8_t> bytes) {
            Read(bytes, [&](const auto& row) { rows.emplace_back(FillOf(row, nullptr, grid_, lookups_), KeyOf(row)); });
          },
  };
  std::string error;
  if (!engine::ReadEngineTable(lookups_.Engine(), TableId(), fill, error)) return;
  // The sort is set on an empty grid and the rows go in once, in order.
  grid_.RemoveAllRows();
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
  Read(record.Row(), [&](const auto& row) { grid_.AddRow(FillOf(row, nullptr, grid_, lookups_), KeyOf(row)); });
}

void QueryBarTable::Update(const engine::TableChangeRecord& record) {
  Read(record.Row(), [&](const auto& row) {
    if (const std::optional<ui::RowId> id = grid_.FindRow(KeyOf(row))) {
      grid_.UpdateRow(*id, FillOf(row, grid_.Row(*id), grid_, lookups_));
    }
  });
}

void QueryBarTable::Remove(const engine::TableChangeRecord& record) {
  Read(record.Row(), [&](const auto& row) {
    if (const std::optional<ui::RowId> id = grid_.FindRow(KeyOf(row))) grid_.RemoveRow(*id);
  });
}

}  // namespace tradeviews
