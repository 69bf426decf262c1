// One row of a keyed table added, changed or removed, with the record that
// tells the GUI of it. Callers hold the engine lock.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/engine_table.h"
#include "engine/row_field.h"
#include "engine/table_change_record.h"
#include "order_updates.h"
#include "typed_rows.h"

namespace engine::row_changes {

// Appends `row`; its 'i' record, or nothing when the table cannot grow.
template <EngineRow Row>
std::optional<TableChangeRecord> Append(int tableId, EngineTable& table, const Row& row) {
  if (!typed_rows::AppendRow(table, row)) return std::nullopt;
  const auto count = static_cast<int>(table.GetCount());
  return TableChangeRecord::RowChange(tableId, TableChangeRecord::kInsert, count, count - 1, RowBytes(row));
}

// Lets `change` change the first row that `matches` and stores it; its 'u'
// record, or nothing when no row matches.
template <EngineRow Row, typename Predicate, typename Change>
std::optional<TableChangeRecord> UpdateFirst(int tableId, EngineTable& table, Predicate matches, Change change) {
  const std::optional<std::uint32_t> index = typed_rows::FindIndex<Row>(table, matches);
  if (!index) return std::nullopt;
  Row row = *typed_rows::RowAt<Row>(table, *index);
  change(row);
  typed_rows::StoreRow(table, *index, row);
  return order_updates::RowUpdate(tableId, table, *index, RowBytes(row));
}

// Removes the first row that `matches` once `raise` has raised its 'd'
// record, so that the record still finds the row in the table.
template <EngineRow Row, typename Predicate, typename Raise>
void RemoveFirst(int tableId, EngineTable& table, Predicate matches, Raise raise) {
  const std::optional<std::uint32_t> index = typed_rows::FindIndex<Row>(table, matches);
  if (!index) return;
  raise(TableChangeRecord::RowChange(tableId, TableChangeRecord::kDelete, static_cast<int>(table.GetCount()),
                                     static_cast<int>(*index), table.GetValue(*index)));
  table.RemoveEntry(*index);
}

}  // namespace engine::row_changes
