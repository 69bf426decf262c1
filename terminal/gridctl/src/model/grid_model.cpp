// The grid model's columns, rows and cells.
#include "gridctl/model/grid_model.h"

#include <algorithm>
#include <utility>

#include "platform/gbk.h"

namespace gridctl {

void GridModel::SetColumnCapacity(int capacity) { columnCapacity_ = std::clamp(capacity, 0, kMaxColumns); }

std::int32_t GridModel::AddColumn(std::int32_t dataWidth, int displayWidth) {
  if (ColumnCount() >= columnCapacity_) return -1;
  const std::int32_t field = store_.AddField(kTextFieldType, dataWidth, "");
  Column column;
  column.width = std::max(displayWidth, 0);
  column.field = field;
  column.dataWidth = store_.FindField(field)->width;
  columns_.push_back(column);
  Relayout();
  return field;
}

int GridModel::GetColumnOfField(std::int32_t field) const {
  const auto found =
      std::find_if(columns_.begin(), columns_.end(), [field](const Column& column) { return column.field == field; });
  return found == columns_.end() ? -1 : static_cast<int>(found - columns_.begin());
}

std::int32_t GridModel::GetFieldOfColumn(int column) const {
  const Column* found = ColumnRecord(column);
  return found == nullptr ? -1 : found->field;
}

const Column* GridModel::ColumnRecord(int column) const {
  if (column < 0 || column >= ColumnCount()) return nullptr;
  return &columns_[static_cast<std::size_t>(column)];
}

void GridModel::SetColumnWidth(int column, int width) {
  if (ColumnRecord(column) == nullptr) return;
  columns_[static_cast<std::size_t>(column)].width = std::max(width, 0);
  Relayout();
}

void GridModel::SetColumnHidden(int column, bool hidden) {
  if (ColumnRecord(column) == nullptr) return;
  columns_[static_cast<std::size_t>(column)].hidden = hidden;
  Relayout();
}

void GridModel::SetColumnAlignRight(int column, bool alignRight) {
  if (ColumnRecord(column) == nullptr) return;
  columns_[static_cast<std::size_t>(column)].alignRight = alignRight;
  Repaint();
}

void GridModel::SetColumnColours(int column, std::uint32_t headerBackground, std::uint32_t headerTextColour) {
  if (ColumnRecord(column) == nullptr) return;
  columns_[static_cast<std::size_t>(column)].headerBackground = headerBackground;
  columns_[static_cast<std::size_t>(column)].headerTextColour = headerTextColour;
  Repaint();
}

void GridModel::SetColumnNumeric(int column, int decimals) {
  if (ColumnRecord(column) == nullptr) return;
  columns_[static_cast<std::size_t>(column)].type = kNumericFieldType;
  columns_[static_cast<std::size_t>(column)].decimals = decimals;
}

bool GridModel::MoveScrolledColumn(int from, int to) {
  const int fixed = settings_.fixedColumns;
  if (from == to || from < fixed || to < fixed || ColumnRecord(from) == nullptr || ColumnRecord(to) == nullptr)
    return false;
  const auto first = columns_.begin();
  if (from < to) {
    std::rotate(first + from, first + from + 1, first + to + 1);
  } else {
    std::rotate(first + to, first + from, first + from + 1);
  }
  Relayout();
  return true;
}

std::int32_t GridModel::AddRow() {
  const std::int32_t row = store_.AddRecord();
  store_.SetRecordExtra<RowBlock>(row)->cells.reserve(columns_.size());
  Relayout();
  return row;
}

void GridModel::ClearRows() {
  const bool hadRows = GetRowCount() > 0;
  store_.ClearRecords();
  if (hadRows && topRow_ != 0) {
    topRow_ = 0;
    Notify(notify::kTopRow, 0, -1);
  }
  SetCurrentRow(-1);
  currentColumn_ = -1;
  anchor_ = -1;
  end_ = -1;
  Relayout();
}

bool GridModel::SetCellText(int row, std::int32_t field, std::string_view text, CellKind kind) {
  RowBlock* block = BlockOf(row);
  if (block == nullptr || GetColumnOfField(field) < 0) return false;
  store_.SetCellData(field, row, text);
  CellAttributes* cell = MutableCell(row, field);
  if (cell == nullptr) {
    block->cells.push_back(CellAttributes{});
    cell = &block->cells.back();
    cell->field = field;
  }
  cell->kind = kind;
  if (observer_ != nullptr) observer_->OnGridRepaintCell(row, field);
  return true;
}

bool GridModel::SetCellValue(int row, std::int32_t field, std::int32_t value) {
  CellAttributes* cell = MutableCell(row, field);
  if (cell == nullptr || cell->kind != CellKind::kImage) return false;
  cell->value = value;
  if (observer_ != nullptr) observer_->OnGridRepaintCell(row, field);
  return true;
}

const CellAttributes* GridModel::Cell(int row, std::int32_t field) const {
  const RowBlock* block = BlockOf(row);
  if (block == nullptr) return nullptr;
  const auto found = std::find_if(block->cells.begin(), block->cells.end(),
                                  [field](const CellAttributes& cell) { return cell.field == field; });
  return found == block->cells.end() ? nullptr : &*found;
}

CellAttributes* GridModel::MutableCell(int row, std::int32_t field) {
  return const_cast<CellAttributes*>(std::as_const(*this).Cell(row, field));
}

int GridModel::GetCellKind(int row, std::int32_t field) const {
  const CellAttributes* cell = Cell(row, field);
  return cell == nullptr ? -1 : static_cast<int>(cell->kind);
}

std::uint32_t GridModel::GetCellBackColour(int row, std::int32_t field) const {
  const CellAttributes* cell = Cell(row, field);
  return cell == nullptr ? kDefaultColour : cell->background;
}

std::uint32_t GridModel::GetCellTextColour(int row, std::int32_t field) const {
  const CellAttributes* cell = Cell(row, field);
  return cell == nullptr ? kDefaultColour : cell->textColour;
}

std::optional<FontSpec> GridModel::GetCellFont(int row, std::int32_t field) const {
  const CellAttributes* cell = Cell(row, field);
  if (cell == nullptr || cell->font.height == 0) return std::nullopt;
  return cell->font;
}

bool GridModel::SetCellColours(int row, std::int32_t field, std::uint32_t background, std::uint32_t textColour) {
  CellAttributes* cell = MutableCell(row, field);
  if (cell == nullptr) return false;
  cell->background = background;
  cell->textColour = textColour;
  if (observer_ != nullptr) observer_->OnGridRepaintCell(row, field);
  return true;
}

bool GridModel::SetCellFont(int row, std::int32_t field, const FontSpec& font) {
  CellAttributes* cell = MutableCell(row, field);
  if (cell == nullptr) return false;
  cell->font = font;
  if (observer_ != nullptr) observer_->OnGridRepaintCell(row, field);
  return true;
}

bool GridModel::SetCellStyle(int row, std::int32_t field, std::int32_t value) {
  CellAttributes* cell = MutableCell(row, field);
  if (cell == nullptr) return false;
  cell->value = value;
  if (observer_ != nullptr) observer_->OnGridRepaintCell(row, field);
  return true;
}

bool GridModel::SetComboLimits(int row, std::int32_t field, int textLimit, int dropHeight) {
  CellAttributes* cell = MutableCell(row, field);
  if (cell == nullptr) return false;
  cell->textLimit = std::max(textLimit, 0);
  cell->dropHeight = std::max(dropHeight, 0);
  return true;
}

bool GridModel::SetChosenText(int row, std::int32_t field, std::string_view text) {
  CellAttributes* cell = MutableCell(row, field);
  if (cell == nullptr) return false;
  cell->chosenText.assign(text.substr(0, platform::GbkFitLength(text, 255)));
  if (observer_ != nullptr) observer_->OnGridRepaintCell(row, field);
  return true;
}

bool GridModel::SetCellEditing(int row, std::int32_t field, bool editing) {
  CellAttributes* cell = MutableCell(row, field);
  if (cell == nullptr) return false;
  cell->editing = editing;
  if (observer_ != nullptr) observer_->OnGridRepaintCell(row, field);
  return true;
}

void GridModel::Notify(int code, int row, int column) const {
  if (observer_ != nullptr) observer_->OnGridNotify(code, kGridEventKind, row, column, 0);
}

void GridModel::Relayout() {
  LayOut(client_, barExtent_);
  if (observer_ != nullptr) observer_->OnGridLayout();
}

void GridModel::Repaint() const {
  if (observer_ != nullptr) observer_->OnGridRepaint();
}

}  // namespace gridctl
