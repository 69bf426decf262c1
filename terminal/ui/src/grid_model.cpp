#include "ui/grid_model.h"

#include <algorithm>
#include <charconv>
#include <numeric>
#include <utility>

namespace ui {
namespace {

// How a cell sorts: empty cells first, then numbers by value, then other
// texts by their bytes (GBK orders the common characters by their reading).
struct CellOrder {
  enum Kind { kEmpty, kNumber, kText } kind = kEmpty;
  double number = 0;
  std::string_view text;
};

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A whole decimal number, perhaps signed and perhaps a percentage
// ("-120.00", "85.12%"); nothing for any other text.
std::optional<double> NumberOf(std::string_view text) {
  if (!text.empty() && text.back() == '%') text.remove_suffix(1);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const std::size_t body = !text.empty() && text.front() == '-' ? 1 : 0;
  // from_chars also reads "inf" and "nan", which are no cell numbers.
  if (body >= text.size() || !(IsDigit(text[body]) || text[body] == '.')) return std::nullopt;
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

CellOrder OrderOf(std::string_view text) {
  const std::string_view trimmed = Trimmed(text);
  if (trimmed.empty()) return {};
  if (const std::optional<double> number = NumberOf(trimmed)) return {CellOrder::kNumber, *number, {}};
  return {CellOrder::kText, 0, trimmed};
}

// Below 0 when a sorts before b in ascending order, 0 when equal.
int Compare(const CellOrder& a, const CellOrder& b) {
  if (a.kind != b.kind) return a.kind < b.kind ? -1 : 1;
  if (a.kind == CellOrder::kNumber) return a.number < b.number ? -1 : (b.number < a.number ? 1 : 0);
  return a.text.compare(b.text);
}

// A row with exactly the grid's columns.
GridRow Fitted(GridRow row, int columnCount) {
  if (row.ColumnCount() == columnCount) return row;
  GridRow fitted(columnCount);
  for (int column = 0; column < std::min(columnCount, row.ColumnCount()); ++column) {
    fitted.SetText(column, row.Text(column));
    fitted.SetColour(column, row.Colour(column));
    fitted.SetEditable(column, row.IsEditable(column));
  }
  return fitted;
}

}  // namespace

void GridModel::SetColumns(std::vector<ColumnSpec> columns) {
  RemoveAllRows();
  if (listener_ != nullptr) listener_->ColumnsChanging();
  columns_ = std::move(columns);
  if (columns_.size() > static_cast<std::size_t>(GridRow::kMaxColumns)) {
    columns_.erase(columns_.begin() + GridRow::kMaxColumns, columns_.end());
  }
  sort_.clear();
  filter_ = {};
  selected_.clear();
  if (listener_ != nullptr) listener_->ColumnsChanged();
}

void GridModel::SetColumnVisible(int column, bool visible) {
  if (column < 0 || column >= ColumnCount() || columns_[static_cast<std::size_t>(column)].visible == visible) return;
  columns_[static_cast<std::size_t>(column)].visible = visible;
  if (listener_ != nullptr) listener_->HeaderChanged();
}

RowId GridModel::Hold(GridRow row, RowKey key) {
  RowId id;
  if (free_.empty()) {
    id = static_cast<RowId>(slots_.size());
    slots_.emplace_back();
  } else {
    id = free_.back();
    free_.pop_back();
  }
  Slot& slot = slots_[id];
  slot.row = Fitted(std::move(row), ColumnCount());
  slot.row.Compact();
  slot.key = std::move(key);
  slot.rank = nextRank_++;
  slot.held = true;
  keys_.emplace(slot.key.hash, id);
  return id;
}

GridRow GridModel::NewRow() {
  if (spares_.empty()) return GridRow(ColumnCount());
  GridRow row = std::move(spares_.back());
  spares_.pop_back();
  row.Reset(ColumnCount());
  return row;
}

RowId GridModel::AddRow(GridRow row, RowKey key) {
  const RowId id = Hold(std::move(row), std::move(key));
  if (Passes(slots_[id].row)) Show(id);
  return id;
}

void GridModel::ReplaceRows(std::vector<std::pair<GridRow, RowKey>> rows) {
  RemoveAllRows();
  slots_.reserve(rows.size());
  keys_.reserve(rows.size());
  for (auto& [row, key] : rows) Hold(std::move(row), std::move(key));
  std::vector<RowId> shown = OrderedRows(true);
  if (shown.empty()) return;
  if (listener_ != nullptr) listener_->RowsInserting(0, static_cast<int>(shown.size()) - 1);
  shown_ = std::move(shown);
  if (listener_ != nullptr) listener_->RowsInserted();
}

bool GridModel::UpdateRow(RowId id, GridRow row) {
  if (Row(id) == nullptr) return false;
  Slot& slot = slots_[id];
  row = Fitted(std::move(row), ColumnCount());
  if (row == slot.row) return true;
  // Where the row stands is found by its cells before the change.
  const int position = ShownPositionOf(id);
  slot.row = std::move(row);
  const bool passes = Passes(slot.row);
  if (position < 0) {
    if (passes) Show(id);
  } else if (!passes) {
    if (listener_ != nullptr) listener_->RowsRemoving(position, position);
    shown_.erase(shown_.begin() + position);
    if (listener_ != nullptr) listener_->RowsRemoved();
  } else {
    Reposition(position);
  }
  return true;
}

bool GridModel::RemoveRow(RowId id) {
  if (Row(id) == nullptr) return false;
  const int position = ShownPositionOf(id);
  if (position >= 0) {
    if (listener_ != nullptr) listener_->RowsRemoving(position, position);
    shown_.erase(shown_.begin() + position);
    if (listener_ != nullptr) listener_->RowsRemoved();
  }
  ForgetKey(id);
  slots_[id] = Slot{};
  free_.push_back(id);
  return true;
}

void GridModel::RemoveAllRows() {
  if (!shown_.empty()) {
    if (listener_ != nullptr) listener_->RowsRemoving(0, ShownRowCount() - 1);
    shown_.clear();
    if (listener_ != nullptr) listener_->RowsRemoved();
  }
  // The spares never outnumber the rows the grid held at once; the newest
  // are taken first, and the oldest go.
  const std::size_t kept = std::max(static_cast<std::size_t>(RowCount()), spares_.size());
  for (Slot& slot : slots_) {
    if (slot.held) spares_.push_back(std::move(slot.row));
  }
  if (spares_.size() > kept) spares_.erase(spares_.begin(), spares_.end() - static_cast<std::ptrdiff_t>(kept));
  slots_.clear();
  free_.clear();
  keys_.clear();
  nextRank_ = 0;
}

void GridModel::ForgetKey(RowId id) {
  const auto [first, last] = keys_.equal_range(slots_[id].key.hash);
  for (auto entry = first; entry != last; ++entry) {
    if (entry->second == id) {
      keys_.erase(entry);
      return;
    }
  }
}

std::optional<RowId> GridModel::FindRow(const RowKey& key) const {
  std::optional<RowId> found;
  const auto [first, last] = keys_.equal_range(key.hash);
  for (auto entry = first; entry != last; ++entry) {
    const Slot& slot = slots_[entry->second];
    if (slot.key == key && (!found || slot.rank < slots_[*found].rank)) found = entry->second;
  }
  return found;
}

const GridRow* GridModel::Row(RowId id) const {
  return id < slots_.size() && slots_[id].held ? &slots_[id].row : nullptr;
}

std::vector<RowId> GridModel::RowsInGridOrder() const { return OrderedRows(false); }

int GridModel::ShownPositionOf(RowId id) const {
  if (Row(id) == nullptr) return -1;
  const auto found = std::lower_bound(shown_.begin(), shown_.end(), id,
                                      [this](RowId shown, RowId wanted) { return Before(shown, wanted); });
  return found != shown_.end() && *found == id ? static_cast<int>(found - shown_.begin()) : -1;
}

std::string_view GridModel::ShownText(int position, int column) const {
  if (position < 0 || position >= ShownRowCount()) return {};
  return slots_[shown_[static_cast<std::size_t>(position)]].row.Text(column);
}

bool GridModel::Before(RowId a, RowId b) const {
  const Slot& first = slots_[a];
  const Slot& second = slots_[b];
  for (const SortColumn& sort : sort_) {
    const int order = Compare(OrderOf(first.row.Text(sort.column)), OrderOf(second.row.Text(sort.column)));
    if (order != 0) return sort.ascending ? order < 0 : order > 0;
  }
  return first.rank < second.rank;
}

int GridModel::PlaceOf(RowId id, int first, int last) const {
  const auto place = std::lower_bound(shown_.begin() + first, shown_.begin() + last, id,
                                      [this](RowId shown, RowId placed) { return Before(shown, placed); });
  return static_cast<int>(place - shown_.begin());
}

void GridModel::Show(RowId id) {
  const int place = PlaceOf(id, 0, ShownRowCount());
  if (listener_ != nullptr) listener_->RowsInserting(place, place);
  shown_.insert(shown_.begin() + place, id);
  if (listener_ != nullptr) listener_->RowsInserted();
}

void GridModel::Reposition(int position) {
  const RowId id = shown_[static_cast<std::size_t>(position)];
  const auto at = shown_.begin() + position;
  if (position > 0 && Before(id, shown_[static_cast<std::size_t>(position) - 1])) {
    const int place = PlaceOf(id, 0, position);
    if (listener_ != nullptr) listener_->RowMoving(position, place);
    std::rotate(shown_.begin() + place, at, at + 1);
    if (listener_ != nullptr) listener_->RowMoved();
  } else if (position + 1 < ShownRowCount() && Before(shown_[static_cast<std::size_t>(position) + 1], id)) {
    const int place = PlaceOf(id, position + 1, ShownRowCount());
    if (listener_ != nullptr) listener_->RowMoving(position, place);
    std::rotate(at, at + 1, shown_.begin() + place);
    if (listener_ != nullptr) listener_->RowMoved();
  }
  if (listener_ != nullptr) listener_->RowChanged(id);
}

std::vector<RowId> GridModel::OrderedRows(bool passingOnly) const {
  std::vector<RowId> rows;
  rows.reserve(slots_.size());
  for (RowId id = 0; id < slots_.size(); ++id) {
    if (slots_[id].held && (!passingOnly || Passes(slots_[id].row))) rows.push_back(id);
  }
  // Each cell is read once: the sort then compares what was read.
  const std::size_t width = sort_.size();
  std::vector<CellOrder> cells(rows.size() * width);
  for (std::size_t i = 0; i < rows.size(); ++i) {
    for (std::size_t s = 0; s < width; ++s) cells[i * width + s] = OrderOf(slots_[rows[i]].row.Text(sort_[s].column));
  }
  std::vector<std::uint32_t> order(rows.size());
  std::iota(order.begin(), order.end(), 0U);
  std::sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t b) {
    for (std::size_t s = 0; s < width; ++s) {
      const int compared = Compare(cells[a * width + s], cells[b * width + s]);
      if (compared != 0) return sort_[s].ascending ? compared < 0 : compared > 0;
    }
    return slots_[rows[a]].rank < slots_[rows[b]].rank;
  });
  std::vector<RowId> ordered(rows.size());
  for (std::size_t i = 0; i < order.size(); ++i) ordered[i] = rows[order[i]];
  return ordered;
}

void GridModel::Sort(int column, bool ascending, bool add) {
  if (column < 0 || column >= ColumnCount()) return;
  std::vector<SortColumn> columns = add ? sort_ : std::vector<SortColumn>{};
  const auto existing =
      std::find_if(columns.begin(), columns.end(), [column](const SortColumn& sort) { return sort.column == column; });
  if (existing != columns.end()) {
    existing->ascending = ascending;
  } else {
    columns.push_back({column, ascending});
  }
  SetSortColumns(std::move(columns));
}

void GridModel::SetSortColumns(std::vector<SortColumn> columns) {
  std::erase_if(columns, [this](const SortColumn& sort) { return sort.column < 0 || sort.column >= ColumnCount(); });
  sort_ = std::move(columns);
  // The whole store is put in the new order, so that equal cells keep the
  // order they had whether shown now or later.
  const std::vector<RowId> ordered = OrderedRows(false);
  for (std::size_t i = 0; i < ordered.size(); ++i) slots_[ordered[i]].rank = i;
  nextRank_ = ordered.size();
  if (listener_ != nullptr) listener_->OrderChanging();
  shown_.clear();
  std::copy_if(ordered.begin(), ordered.end(), std::back_inserter(shown_),
               [this](RowId id) { return Passes(slots_[id].row); });
  if (listener_ != nullptr) {
    listener_->OrderChanged();
    listener_->HeaderChanged();
  }
}

int GridModel::ColumnSortState(int column) const {
  for (const SortColumn& sort : sort_) {
    if (sort.column == column) return sort.ascending ? 1 : -1;
  }
  return 0;
}

bool GridModel::Passes(const GridRow& row) const {
  if (filter_.column < 0 || filter_.column >= row.ColumnCount() || filter_.allSelected) return true;
  return selected_.find(row.Text(filter_.column)) != selected_.end();
}

void GridModel::SetFilter(ColumnFilterState filter) {
  filter_ = std::move(filter);
  selected_.clear();
  selected_.insert(filter_.selectedValues.begin(), filter_.selectedValues.end());
  ReshowAll();
  if (listener_ != nullptr) listener_->HeaderChanged();
}

void GridModel::ReshowAll() {
  if (!shown_.empty()) {
    if (listener_ != nullptr) listener_->RowsRemoving(0, ShownRowCount() - 1);
    shown_.clear();
    if (listener_ != nullptr) listener_->RowsRemoved();
  }
  std::vector<RowId> shown = OrderedRows(true);
  if (shown.empty()) return;
  if (listener_ != nullptr) listener_->RowsInserting(0, static_cast<int>(shown.size()) - 1);
  shown_ = std::move(shown);
  if (listener_ != nullptr) listener_->RowsInserted();
}

bool GridModel::IsColumnFiltered(int column) const {
  return column >= 0 && filter_.column == column && !filter_.allSelected;
}

std::vector<std::string> GridModel::CollectColumnValues(int column) const {
  std::vector<std::string> values;
  std::unordered_set<std::string_view> seen;
  for (const RowId id : shown_) {
    const std::string_view text = slots_[id].row.Text(column);
    if (seen.insert(text).second) values.emplace_back(text);
  }
  return values;
}

bool GridModel::EditCell(RowId id, int column, std::string_view text) {
  const GridRow* row = Row(id);
  if (row == nullptr || !row->IsEditable(column)) return false;
  GridRow edited = *row;
  edited.SetText(column, text);
  UpdateRow(id, std::move(edited));
  if (listener_ != nullptr) listener_->CellEdited(id, column);
  return true;
}

int HeaderMarkOf(const GridModel& grid, int column) {
  const int state = grid.ColumnSortState(column);
  return (grid.IsColumnFiltered(column) ? 3 : 0) + (state > 0 ? 1 : (state < 0 ? 2 : 0));
}

}  // namespace ui
