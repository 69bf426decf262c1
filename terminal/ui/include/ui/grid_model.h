// The row store behind every toolkit grid: its columns, its rows with their
// keys, the order it shows them in (sorted on one or more columns, stable,
// numbers as numbers) and the value filter on one column. A window reads it
// through a GridListener, which is told of every change in the terms of
// what the grid shows (shown rows inserted, removed or moved, a row's cells
// changed, the order redone) so that it never has to be reset.
//
// Rows are found again by their RowId (stable while the row is held) or by
// their RowKey. GUI thread only; no toolkit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "ui/grid_row.h"
#include "ui/row_keys.h"

namespace ui {

// Column alignments as the grids' column lists give them.
inline constexpr int kAlignLeft = 0;
inline constexpr int kAlignRight = 1;
inline constexpr int kAlignCentre = 2;

// One column of a grid: caption (GBK), width in pixels, alignment of its
// cells (headers are always centred), the row field it shows, and whether
// it is shown.
struct ColumnSpec {
  ColumnSpec(std::string caption, int width = 70, int alignment = kAlignRight, std::string key = {},
             bool visible = true)
      : caption(std::move(caption)), width(width), alignment(alignment), key(std::move(key)), visible(visible) {}

  std::string caption;
  int width;
  int alignment;
  std::string key;
  bool visible;
};

using RowId = std::uint32_t;

struct SortColumn {
  int column = 0;
  bool ascending = true;
  friend bool operator==(const SortColumn&, const SortColumn&) = default;
};

// The value filter: on one column at a time (-1: none), the cell texts that
// stay shown. With `allSelected` ("(全选)" checked) every row stays shown.
struct ColumnFilterState {
  int column = -1;
  bool allSelected = true;
  std::vector<std::string> selectedValues;  // GBK, in the pick list's order

  friend bool operator==(const ColumnFilterState&, const ColumnFilterState&) = default;
};

// Told of every change of what a grid shows. Row positions are shown
// positions; a "...ing" call comes before the change, its pair after it.
class GridListener {
 public:
  virtual void RowsInserting(int first, int last) = 0;
  virtual void RowsInserted() = 0;
  virtual void RowsRemoving(int first, int last) = 0;
  virtual void RowsRemoved() = 0;
  // A shown row moves; `destination` is the position before which it goes,
  // counted before the move.
  virtual void RowMoving(int from, int destination) = 0;
  virtual void RowMoved() = 0;
  // The cells of a shown row changed where it stands.
  virtual void RowChanged(RowId id) = 0;
  // The same rows are shown in another order (a sort).
  virtual void OrderChanging() = 0;
  virtual void OrderChanged() = 0;
  // The columns were replaced (no row is held).
  virtual void ColumnsChanging() = 0;
  virtual void ColumnsChanged() = 0;
  // The sort columns, the filter or a column's visibility changed: what the
  // header shows.
  virtual void HeaderChanged() = 0;
  // The user's edit of a cell was stored.
  virtual void CellEdited(RowId id, int column) = 0;

 protected:
  ~GridListener() = default;
};

class GridModel {
 public:
  GridModel() = default;
  GridModel(const GridModel&) = delete;
  GridModel& operator=(const GridModel&) = delete;

  void SetListener(GridListener* listener) { listener_ = listener; }

  // Columns. Replacing them removes every row, the sort and the filter.
  void SetColumns(std::vector<ColumnSpec> columns);
  int ColumnCount() const { return static_cast<int>(columns_.size()); }
  const ColumnSpec& Column(int column) const { return columns_.at(static_cast<std::size_t>(column)); }
  void SetColumnVisible(int column, bool visible);

  // A row of the grid's columns, every cell empty, to fill and add. It
  // reuses the block of a row that a removal of every row let go, so that
  // a reload of many rows takes no fresh memory from the system; the grid
  // keeps no more such rows than it has held at once.
  GridRow NewRow();

  // Adds the row (cut or padded to the column count); it shows in its
  // sorted place unless the filter hides it.
  RowId AddRow(GridRow row, RowKey key = {});
  // Replaces every row; the order and the filter stay.
  void ReplaceRows(std::vector<std::pair<GridRow, RowKey>> rows);
  // Replaces a row's cells; the row moves to its sorted place and shows or
  // hides as the filter says. False for an unknown id.
  bool UpdateRow(RowId id, GridRow row);
  bool RemoveRow(RowId id);
  void RemoveAllRows();

  // The held row of the key (its hash and its texts both equal), the first
  // added when several share it.
  std::optional<RowId> FindRow(const RowKey& key) const;
  // Null for an unknown id.
  const GridRow* Row(RowId id) const;
  // Rows held, shown or not.
  int RowCount() const { return static_cast<int>(slots_.size() - free_.size()); }
  // Every held row in the grid's order, the hidden ones included.
  std::vector<RowId> RowsInGridOrder() const;

  // What the grid shows, in order.
  int ShownRowCount() const { return static_cast<int>(shown_.size()); }
  RowId ShownRow(int position) const { return shown_.at(static_cast<std::size_t>(position)); }
  // -1 when the row is hidden or unknown.
  int ShownPositionOf(RowId id) const;
  std::string_view ShownText(int position, int column) const;

  // Sorts on the column; `add` makes it the next sort column after those in
  // force (or turns its direction), else the only one. Equal cells keep the
  // order they had. A column outside the grid changes nothing.
  void Sort(int column, bool ascending, bool add);
  // Sorting as restored from a saved state; columns outside the grid are
  // dropped.
  void SetSortColumns(std::vector<SortColumn> columns);
  const std::vector<SortColumn>& SortColumns() const { return sort_; }
  // Above 0 sorted ascending, below 0 descending, 0 not a sort column.
  int ColumnSortState(int column) const;

  // The value filter.
  const ColumnFilterState& Filter() const { return filter_; }
  void SetFilter(ColumnFilterState filter);
  void ClearFilter() { SetFilter({}); }
  // The column filters some value out ("(全选)" not checked).
  bool IsColumnFiltered(int column) const;
  // The distinct texts of the column's shown rows, in shown order.
  std::vector<std::string> CollectColumnValues(int column) const;

  // The user's edit of an editable cell: stored, then told as CellEdited.
  // False when the cell is not editable.
  bool EditCell(RowId id, int column, std::string_view text);

 private:
  struct Slot {
    GridRow row;
    RowKey key;
    // Ties in the sort keep this order: the order of adding, renumbered by
    // each full sort to the order it made.
    std::uint64_t rank = 0;
    bool held = false;
  };
  struct StringHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const { return std::hash<std::string_view>{}(text); }
  };

  bool Passes(const GridRow& row) const;
  // Whether a comes before b in the grid's order.
  bool Before(RowId a, RowId b) const;
  // Where a row not in `shown_` goes, searching [first, last).
  int PlaceOf(RowId id, int first, int last) const;
  // Shows the row at its place.
  void Show(RowId id);
  // Puts the shown row at `position` where the order wants it.
  void Reposition(int position);
  RowId Hold(GridRow row, RowKey key);
  // Every held row that passes the filter, in the grid's order.
  std::vector<RowId> OrderedRows(bool passingOnly) const;
  // Replaces the shown rows by the held rows that pass, in order.
  void ReshowAll();
  void ForgetKey(RowId id);

  std::vector<ColumnSpec> columns_;
  std::vector<Slot> slots_;
  std::vector<RowId> free_;
  // Rows let go by RemoveAllRows, kept for NewRow.
  std::vector<GridRow> spares_;
  std::unordered_multimap<std::int32_t, RowId> keys_;
  std::vector<RowId> shown_;
  std::vector<SortColumn> sort_;
  ColumnFilterState filter_;
  std::unordered_set<std::string, StringHash, std::equal_to<>> selected_;
  std::uint64_t nextRank_ = 0;
  GridListener* listener_ = nullptr;
};

// A new row of the grid: one empty cell per column, none editable. The
// caller fills it and adds it.
inline GridRow CreateGridRow(const GridModel& grid) { return GridRow(grid.ColumnCount()); }

// Gives the grid these columns, in this order (GridModel::SetColumns).
inline void InsertGridColumns(GridModel& grid, std::vector<ColumnSpec> columns) { grid.SetColumns(std::move(columns)); }

// The header mark of a column: 0 plain, 1 sorted ascending, 2 sorted
// descending, 3 filtered, 4 filtered and sorted ascending, 5 filtered and
// sorted descending.
int HeaderMarkOf(const GridModel& grid, int column);

}  // namespace ui
