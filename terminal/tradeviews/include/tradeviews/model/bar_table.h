// How a query bar keeps its grid in step with its engine table: a reload
// ('f') reads the engine's table afresh, and the other records change
// one row, found by the key of the record's row copy. The bars differ:
//
//   orders     'f' keeps the rows when the engine refuses the read, then
//              sorts by order number; 'i' adds, 'u' refills; 'd' ignored
//   trades     'f' empties first; 'i' adds only when the record's flag is
//              0; 'u' and 'd' ignored; sorted by order number
//   funds      'f' empties first; every other letter refills the row of
//              the record's customer and never adds one
//   positions  'f' empties first, not sorted; a record whose flag is set
//              with row index -1 is skipped; 'i' adds, 'u' refreshes the
//              changing columns, 'd' removes
//
// Records of another table are dropped, except by the fund bar, which takes
// what it is handed. No toolkit.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "engine/table_change_record.h"
#include "tradeviews/model/bar_cells.h"
#include "ui/grid_model.h"

namespace tradeviews {

enum class BarTableKind { kOrders, kTrades, kFunds, kPositions };

class QueryBarTable {
 public:
  // The grid and the look-ups outlive this object.
  QueryBarTable(BarTableKind kind, ui::GridModel& grid, BarLookups& lookups);

  BarTableKind Kind() const { return kind_; }
  int TableId() const;

  void Apply(const engine::TableChangeRecord& record);
  // The 'f' of the bar: the rows of the engine's table afresh.
  void Reload();

 private:
  // Calls `use` with the engine row of the table that the bytes hold,
  // read once; nothing when they hold no whole row.
  template <class Use>
  void Read(std::span<const std::uint8_t> bytes, Use&& use) const;
  void Insert(const engine::TableChangeRecord& record);
  void Update(const engine::TableChangeRecord& record);
  void Remove(const engine::TableChangeRecord& record);

  BarTableKind kind_;
  ui::GridModel& grid_;
  BarLookups& lookups_;
};

}  // namespace tradeviews
