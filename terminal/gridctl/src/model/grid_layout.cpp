// The grid model's scroll-bar layout, scrolling, hit tests and column sizes.
#include <algorithm>
#include <cstring>

#include "gridctl/model/grid_model.h"

namespace gridctl {

int GridModel::ContentWidth() const {
  int width = 0;
  for (const Column& column : columns_) width += column.ShownWidth();
  return width;
}

int GridModel::ContentHeight() const { return settings_.headerHeight + GetRowCount() * settings_.rowHeight; }

int GridModel::FixedColumnsWidth() const {
  int width = 0;
  for (int column = 0; column < std::min(settings_.fixedColumns, ColumnCount()); ++column) {
    width += columns_[column].ShownWidth();
  }
  return width;
}

const ScrollLayout& GridModel::LayOut(Size client, Size barExtent) {
  client_ = client;
  barExtent_ = barExtent;
  const Size extent = settings_.scrollBarsShown ? barExtent : Size{};
  const int fixed = std::clamp(settings_.fixedColumns, 0, ColumnCount());
  bool topRowReset = false;
  for (;;) {
    const int contentWidth = ContentWidth();
    const int contentHeight = ContentHeight();
    ScrollLayout layout;
    if (contentWidth > client.width) {
      layout.horizontal = true;
      layout.vertical = contentHeight > client.height - extent.height;
    } else if (contentHeight > client.height) {
      layout.vertical = true;
      layout.horizontal = contentWidth > client.width - extent.width;
    }
    layout.horizontalShown = layout.horizontal && settings_.scrollBarsShown;
    layout.verticalShown = layout.vertical && settings_.scrollBarsShown;
    layout.viewport = {client.width - (layout.verticalShown ? extent.width : 0),
                       client.height - (layout.horizontalShown ? extent.height : 0)};
    if (!layout.horizontal || firstScrolledColumn_ < fixed) firstScrolledColumn_ = fixed;
    layout_ = layout;
    if (layout.vertical || GetRowCount() == 0 || topRow_ == 0) break;
    topRow_ = 0;
    topRowReset = true;
  }
  // Columns the client got room for come back into view from the left.
  int freeWidth = layout_.viewport.width - FixedColumnsWidth();
  for (int column = firstScrolledColumn_; column < ColumnCount(); ++column) freeWidth -= columns_[column].ShownWidth();
  while (firstScrolledColumn_ > fixed && columns_[firstScrolledColumn_ - 1].ShownWidth() <= freeWidth) {
    freeWidth -= columns_[--firstScrolledColumn_].ShownWidth();
  }
  int lastWidth = 0;
  for (const Column& column : columns_) {
    if (column.ShownWidth() > 0) lastWidth = column.ShownWidth();
  }
  layout_.horizontalMax = std::max(0, ContentWidth() - (FixedColumnsWidth() + lastWidth));
  for (int column = fixed; column < firstScrolledColumn_; ++column) {
    layout_.horizontalPosition += columns_[column].ShownWidth();
  }
  layout_.verticalMax =
      std::max(0, ContentHeight() - (settings_.fixedRows + 1) * settings_.rowHeight - settings_.headerHeight);
  layout_.verticalPosition = topRow_ * settings_.rowHeight;
  if (topRowReset) {
    Repaint();
    Notify(notify::kTopRow, 0, -1);
  }
  return layout_;
}

void GridModel::SetTopRow(int row) {
  if (row < 0 || row >= GetRowCount() || row == topRow_) return;
  topRow_ = row;
  Relayout();
  // A grid whose rows all fit has just gone back to row 0 and said so.
  if (topRow_ == row) Notify(notify::kTopRow, row, -1);
}

int GridModel::LastScrollableTop() const {
  return settings_.rowHeight > 0 ? layout_.verticalMax / settings_.rowHeight : 0;
}

void GridModel::ScrollVertical(ScrollAction action, int thumbPosition) {
  const int rowHeight = settings_.rowHeight;
  if (!layout_.vertical || rowHeight <= 0) return;
  const int page = std::max(1, (layout_.viewport.height - settings_.headerHeight) / rowHeight);
  int top = topRow_;
  switch (action) {
    case ScrollAction::kLineBack: --top; break;
    case ScrollAction::kLineForward:
      if (top < GetRowCount() - 1 && (top + 1) * rowHeight <= layout_.verticalMax) ++top;
      break;
    case ScrollAction::kPageBack: top -= page; break;
    case ScrollAction::kPageForward: top += page; break;
    case ScrollAction::kToStart: top = 0; break;
    case ScrollAction::kToEnd: top = LastScrollableTop(); break;
    case ScrollAction::kThumb: top = thumbPosition / rowHeight; break;
  }
  SetTopRow(std::clamp(top, 0, std::max(0, std::min(LastScrollableTop(), GetRowCount() - 1))));
}

void GridModel::ScrollHorizontal(ScrollAction action, int thumbPosition) {
  if (!layout_.horizontal) return;
  const int fixed = std::clamp(settings_.fixedColumns, 0, ColumnCount());
  const auto shown = [this](int column) { return columns_[column].ShownWidth() > 0; };
  const auto width = [this](int column) { return columns_[column].ShownWidth(); };
  const int room = layout_.viewport.width - FixedColumnsWidth();
  int first = firstScrolledColumn_;
  switch (action) {
    case ScrollAction::kLineBack:
      for (int column = first - 1; column >= fixed; --column) {
        if (shown(column)) {
          first = column;
          break;
        }
      }
      break;
    case ScrollAction::kLineForward:
      for (int column = first + 1; column < ColumnCount(); ++column) {
        if (shown(column)) {
          first = column;
          break;
        }
      }
      break;
    case ScrollAction::kPageBack: {
      int covered = 0;
      while (first > fixed && (covered + width(first - 1) <= room || covered == 0)) covered += width(--first);
      break;
    }
    case ScrollAction::kPageForward: {
      int covered = 0;
      while (first < ColumnCount() - 1 && (covered + width(first) <= room || covered == 0)) covered += width(first++);
      break;
    }
    case ScrollAction::kToStart: first = fixed; break;
    case ScrollAction::kToEnd:
      for (int column = fixed; column < ColumnCount(); ++column) {
        if (shown(column)) first = column;
      }
      break;
    case ScrollAction::kThumb: {
      int passed = 0;
      for (int column = fixed; column < ColumnCount(); ++column) {
        passed += width(column);
        if (passed > thumbPosition) {
          first = column;
          break;
        }
      }
      break;
    }
  }
  // Never scroll past the range: the last shown column stays in view.
  const auto positionOf = [&](int column) {
    int position = 0;
    for (int before = fixed; before < column; ++before) position += width(before);
    return position;
  };
  while (first > fixed && positionOf(first) > layout_.horizontalMax) --first;
  if (first == firstScrolledColumn_) return;
  firstScrolledColumn_ = first;
  Relayout();
}

std::vector<int> GridModel::ShownColumns() const {
  std::vector<int> shown;
  const int fixed = std::clamp(settings_.fixedColumns, 0, ColumnCount());
  for (int column = 0; column < fixed; ++column) shown.push_back(column);
  for (int column = std::max(firstScrolledColumn_, fixed); column < ColumnCount(); ++column) shown.push_back(column);
  return shown;
}

int GridModel::ColumnLeft(int column) const {
  int left = 0;
  for (const int shown : ShownColumns()) {
    if (shown == column) return left;
    left += columns_[shown].ShownWidth();
  }
  return -1;
}

int GridModel::VisibleRowCount() const {
  const int rowHeight = settings_.rowHeight;
  const int room = layout_.viewport.height - settings_.headerHeight;
  if (rowHeight <= 0 || room <= 0) return 0;
  return std::max(0, std::min((room + rowHeight - 1) / rowHeight, GetRowCount() - topRow_));
}

int GridModel::RowAt(int y) const {
  if (y < settings_.headerHeight || y >= layout_.viewport.height || settings_.rowHeight <= 0) return -1;
  const int position = (y - settings_.headerHeight) / settings_.rowHeight;
  if (position >= VisibleRowCount()) return -1;
  return position < settings_.fixedRows ? position : position + topRow_;
}

int GridModel::PositionOfRow(int row) const {
  if (row < 0 || row >= GetRowCount()) return -1;
  const int position = row < settings_.fixedRows ? row : row - topRow_;
  if (position < 0 || position >= VisibleRowCount() || (row >= settings_.fixedRows && position < settings_.fixedRows)) {
    return -1;
  }
  return position;
}

int GridModel::ColumnInside(int x, int margin) const {
  int left = 0;
  for (const int column : ShownColumns()) {
    const int right = left + columns_[column].ShownWidth();
    if (left + margin < x && x < right - margin) return column;
    left = right;
  }
  return -1;
}

int GridModel::ColumnAt(int x) const { return ColumnInside(x, 0); }

int GridModel::HeaderColumnAt(Point point) const {
  if (point.y < 0 || point.y >= settings_.headerHeight) return -1;
  return ColumnInside(point.x, settings_.dividerTolerance);
}

int GridModel::DividerAt(Point point) const {
  if (point.y < 0 || point.y >= settings_.headerHeight) return -1;
  const int tolerance = settings_.dividerTolerance;
  int right = 0;
  for (const int column : ShownColumns()) {
    right += columns_[column].ShownWidth();
    if (right - tolerance < point.x && point.x < right + tolerance) return column;
  }
  return -1;
}

Rect GridModel::CellRect(int row, int column) const {
  const int position = PositionOfRow(row);
  const int left = ColumnLeft(column);
  if (position < 0 || left < 0) return {};
  const int top = settings_.headerHeight + position * settings_.rowHeight;
  return {left, top, left + columns_[column].ShownWidth(), top + settings_.rowHeight};
}

Rect GridModel::HeaderRect(int column) const {
  const int left = ColumnLeft(column);
  if (left < 0) return {};
  return {left, 0, left + columns_[column].ShownWidth(), settings_.headerHeight};
}

bool GridModel::ResizeColumnFromDivider(int pressX, int releaseX) {
  if (pressX == releaseX) return false;
  int right = FixedColumnsWidth();
  for (int column = firstScrolledColumn_; column < ColumnCount(); ++column) {
    right += columns_[column].ShownWidth();
    if (right + settings_.dividerTolerance > pressX) {
      columns_[column].width = std::max(0, columns_[column].width + releaseX - pressX);
      Relayout();
      return true;
    }
  }
  return false;
}

int GridModel::FittingWidth(int column, const TextMeasure& measure) const {
  const Column* fitted = ColumnRecord(column);
  if (fitted == nullptr) return 0;
  const char* name = store_.GetFieldName(fitted->field);
  int width = measure(name == nullptr ? "" : name, settings_.headerFont).width + 6;
  // Boxes, images and combo items are sized by their byte count in half
  // header-font widths.
  const auto byCount = [this](std::size_t length) {
    return (static_cast<int>(length) * settings_.headerFont.height + 1) / 2;
  };
  for (int row = 0; row < GetRowCount(); ++row) {
    const std::string_view text = GetCellText(row, fitted->field);
    const CellAttributes* cell = Cell(row, fitted->field);
    const CellKind kind = cell == nullptr ? CellKind::kText : cell->kind;
    int needed = 0;
    if (kind == CellKind::kCheckBox || kind == CellKind::kImage) {
      needed = byCount(text.size()) + settings_.rowHeight + 3;
    } else if (kind == CellKind::kCombo) {
      std::size_t longest = 0;
      for (std::size_t start = 0; start < text.size();) {
        const std::size_t stop = std::min(text.find('\n', start), text.size());
        longest = std::max(longest, stop - start);
        start = stop + 1;
      }
      needed = byCount(longest) + settings_.rowHeight + 6;
    } else {
      const FontSpec& font = cell != nullptr && cell->font.height != 0 ? cell->font : settings_.rowFont;
      needed = measure(text, font).width + 6;
    }
    width = std::max(width, needed);
  }
  return width;
}

}  // namespace gridctl
