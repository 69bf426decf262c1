// The grid model's current row, selection range and sorting.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <new>
#include <numeric>
#include <string>

#include "gridctl/model/grid_model.h"

namespace gridctl {
namespace {

// A numeric column sorts by its value in units of its last decimal, rounded
// half up; a text that is no number counts as 0.
double NumericKey(std::string_view text, int decimals) {
  const double value = std::strtod(std::string(text).c_str(), nullptr);
  const double factor = decimals > 0 ? std::pow(10.0, decimals) : 1.0;
  return std::floor(value * factor + 0.5);
}

}  // namespace

void GridModel::SetCurrentRow(int row) {
  if (row < -1 || row >= GetRowCount()) return;
  MarkRange(anchor_, end_, false);
  const int previous = currentRow_;
  currentRow_ = row;
  if (settings_.multiSelect || settings_.selectRowOnClick) {
    anchor_ = row;
    end_ = row;
    SetRowSelected(row, true);
  } else {
    anchor_ = -1;
    end_ = -1;
  }
  if (row != previous) Notify(notify::kCurrentRow, row, -1);
  Repaint();
}

void GridModel::SetRowSelected(int row, bool selected) {
  if (RowBlock* block = BlockOf(row)) block->selected = selected;
}

bool GridModel::IsRowSelected(int row) const {
  const RowBlock* block = BlockOf(row);
  return block != nullptr && block->selected;
}

void GridModel::ClearSelection() {
  MarkRange(anchor_, end_, false);
  anchor_ = -1;
  end_ = -1;
}

void GridModel::MarkRange(int from, int to, bool selected) {
  if (from < 0 || to < 0) return;
  const int last = std::min(std::max(from, to), GetRowCount() - 1);
  for (int row = std::min(from, to); row <= last; ++row) SetRowSelected(row, selected);
}

void GridModel::ExtendSelectionTo(int row) {
  if (!settings_.multiSelect || row < 0 || row >= GetRowCount()) return;
  MarkRange(anchor_, end_, false);
  if (currentRow_ < 0) {
    SetCurrentRow(row);
    return;
  }
  anchor_ = std::min(currentRow_, row);
  end_ = std::max(currentRow_, row);
  MarkRange(anchor_, end_, true);
  Repaint();
}

void GridModel::ToggleRowSelection(int row) {
  if (!settings_.multiSelect || row < 0 || row >= GetRowCount()) return;
  if (!IsRowSelected(row)) {
    SetRowSelected(row, true);
    anchor_ = anchor_ < 0 ? row : std::min(anchor_, row);
    end_ = end_ < 0 ? row : std::max(end_, row);
    Repaint();
    return;
  }
  SetRowSelected(row, false);
  // An end of the range that lost its row moves inward to the nearest row
  // still selected.
  if (row == anchor_) {
    while (anchor_ <= end_ && !IsRowSelected(anchor_)) ++anchor_;
  }
  if (row == end_) {
    while (end_ >= anchor_ && !IsRowSelected(end_)) --end_;
  }
  if (anchor_ > end_) {
    anchor_ = -1;
    end_ = -1;
    currentRow_ = -1;
  } else if (currentRow_ < anchor_) {
    currentRow_ = anchor_;
  } else if (currentRow_ > end_) {
    currentRow_ = end_;
  }
  Repaint();
}

bool GridModel::MoveCurrentRow(int delta) {
  const int from = currentRow_;
  const int to = from + (delta > 0 ? 1 : -1);
  if (delta > 0 ? from >= GetRowCount() - 1 : from <= 0) return false;
  if (anchor_ < 0) SetRowSelected(from, false);
  SetCurrentRow(to);
  anchor_ = to;
  end_ = to;
  SetRowSelected(to, true);
  if (delta > 0) {
    // The new row's bottom edge below the client: one line down.
    const int bottom = settings_.headerHeight + (from - topRow_ + 2) * settings_.rowHeight;
    if (bottom > layout_.viewport.height) ScrollVertical(ScrollAction::kLineForward);
  } else if (to < topRow_) {
    ScrollVertical(ScrollAction::kLineBack);
  }
  Repaint();
  return true;
}

bool GridModel::SortByColumn(int column) {
  const Column* sorted = ColumnRecord(column);
  if (sorted == nullptr) return false;
  const int rows = GetRowCount();
  if (rows - settings_.fixedRows <= 1) return true;
  const int remembered = currentRow_;
  ClearSelection();
  const int direction = sortField_ == sorted->field && sortDirection_ > 0 ? kSortDescending : kSortAscending;
  try {
    // Equal rows keep their order ascending; descending is the ascending
    // order turned round, so equal rows come in reverse.
    std::vector<std::int32_t> order(static_cast<std::size_t>(rows));
    std::iota(order.begin(), order.end(), 0);
    if (sorted->type == kNumericFieldType) {
      std::vector<double> keys(order.size());
      for (int row = 0; row < rows; ++row) keys[row] = NumericKey(GetCellText(row, sorted->field), sorted->decimals);
      std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) { return keys[a] < keys[b]; });
    } else {
      std::vector<std::string_view> keys(order.size());
      for (int row = 0; row < rows; ++row) keys[row] = GetCellText(row, sorted->field);
      std::stable_sort(order.begin(), order.end(), [&](std::int32_t a, std::int32_t b) { return keys[a] < keys[b]; });
    }
    if (direction == kSortDescending) std::reverse(order.begin(), order.end());
    store_.ReorderRows(order);
    sortField_ = sorted->field;
    sortDirection_ = direction;
  } catch (const std::bad_alloc&) {
    // Out of memory: the rows keep their order, and so do the sort marks.
  }
  // The selection stays at the same position, not with the moved record.
  anchor_ = remembered;
  end_ = remembered;
  SetRowSelected(remembered, true);
  Relayout();
  return true;
}

}  // namespace gridctl
