#include "ui/grid_row.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/gbk.h"

namespace ui {
namespace {

constexpr std::size_t kCellBytes = 2 * sizeof(std::uint16_t);
constexpr std::size_t kColourBytes = sizeof(std::uint32_t);
constexpr std::size_t kMaxBlock = std::numeric_limits<std::uint16_t>::max();
// Room made for the colour and the text of a new row, per column: most
// rows that colour a cell are then built without growing their block.
constexpr std::size_t kRoomPerColumn = kColourBytes + 8;

}  // namespace

GridRow::GridRow(int columnCount) { Reset(columnCount); }

void GridRow::Reset(int columnCount) {
  count_ = static_cast<std::uint16_t>(std::clamp(columnCount, 0, kMaxColumns));
  editable_ = 0;
  dead_ = 0;
  coloured_ = false;
  const std::size_t table = ColourTableAt();
  // A new block makes room for the cells' colours and texts; a block used
  // before keeps the room it has, which rows of one grid mostly fill alike.
  if (block_.capacity() < table) block_.reserve(table + count_ * kRoomPerColumn);
  // Every cell is empty at the end of the table.
  block_.assign(table, '\0');
  for (int column = 0; column < count_; ++column) SetCell(column, {static_cast<std::uint16_t>(table), 0});
}

std::size_t GridRow::ColourTableAt() const { return count_ * kCellBytes; }

std::size_t GridRow::TextsAt() const { return ColourTableAt() + (coloured_ ? count_ * kColourBytes : 0); }

std::size_t GridRow::BlockLimit() const { return kMaxBlock - (coloured_ ? 0 : count_ * kColourBytes); }

GridRow::Cell GridRow::CellAt(int column) const {
  Cell cell;
  std::memcpy(&cell.offset, block_.data() + static_cast<std::size_t>(column) * kCellBytes, sizeof cell.offset);
  std::memcpy(&cell.length, block_.data() + static_cast<std::size_t>(column) * kCellBytes + 2, sizeof cell.length);
  return cell;
}

void GridRow::SetCell(int column, Cell cell) {
  std::memcpy(block_.data() + static_cast<std::size_t>(column) * kCellBytes, &cell.offset, sizeof cell.offset);
  std::memcpy(block_.data() + static_cast<std::size_t>(column) * kCellBytes + 2, &cell.length, sizeof cell.length);
}

std::string_view GridRow::Text(int column) const {
  if (column < 0 || column >= count_) return {};
  const Cell cell = CellAt(column);
  return std::string_view(block_).substr(cell.offset, cell.length);
}

void GridRow::SetText(int column, std::string_view text) {
  if (column < 0 || column >= count_) return;
  Cell cell = CellAt(column);
  if (text.size() <= cell.length) {
    // A text no longer than the old one takes its place.
    text.copy(block_.data() + cell.offset, text.size());
    dead_ = static_cast<std::uint16_t>(dead_ + cell.length - text.size());
    cell.length = static_cast<std::uint16_t>(text.size());
    SetCell(column, cell);
    return;
  }
  dead_ = static_cast<std::uint16_t>(dead_ + cell.length);
  SetCell(column, {cell.offset, 0});
  const std::size_t live = block_.size() - dead_;
  if (dead_ > live - TextsAt() || block_.size() + text.size() > BlockLimit()) Pack();
  text = text.substr(0, platform::GbkFitLength(text, BlockLimit() - block_.size()));
  SetCell(column, {static_cast<std::uint16_t>(block_.size()), static_cast<std::uint16_t>(text.size())});
  block_.append(text);
}

void GridRow::Pack() {
  std::string packed(block_, 0, TextsAt());
  packed.reserve(block_.size() - dead_);
  const std::string old = std::move(block_);
  block_ = std::move(packed);
  for (int column = 0; column < count_; ++column) {
    Cell cell;
    std::memcpy(&cell, old.data() + static_cast<std::size_t>(column) * kCellBytes, sizeof cell);
    const std::uint16_t offset = static_cast<std::uint16_t>(block_.size());
    block_.append(old, cell.offset, cell.length);
    SetCell(column, {offset, cell.length});
  }
  dead_ = 0;
}

void GridRow::Compact() {
  if (dead_ != 0) Pack();
  // A little room is not worth a copy of the block.
  if (block_.capacity() > block_.size() + block_.size() / 4) block_.shrink_to_fit();
}

std::uint32_t GridRow::Colour(int column) const {
  if (column < 0 || column >= count_ || !coloured_) return kDefaultColour;
  std::uint32_t colour;
  std::memcpy(&colour, block_.data() + ColourTableAt() + static_cast<std::size_t>(column) * kColourBytes,
              sizeof colour);
  return colour;
}

void GridRow::SetColour(int column, std::uint32_t colour) {
  if (column < 0 || column >= count_) return;
  if (!coloured_) {
    if (colour == kDefaultColour) return;
    AddColourTable();
  }
  std::memcpy(block_.data() + ColourTableAt() + static_cast<std::size_t>(column) * kColourBytes, &colour,
              sizeof colour);
}

void GridRow::AddColourTable() {
  // The texts move up by the table's size, for which BlockLimit kept room.
  const std::size_t table = count_ * kColourBytes;
  block_.insert(ColourTableAt(), table, '\0');
  for (int column = 0; column < count_; ++column) {
    const Cell cell = CellAt(column);
    SetCell(column, {static_cast<std::uint16_t>(cell.offset + table), cell.length});
    const std::uint32_t colour = kDefaultColour;
    std::memcpy(block_.data() + ColourTableAt() + static_cast<std::size_t>(column) * kColourBytes, &colour,
                sizeof colour);
  }
  coloured_ = true;
}

bool GridRow::IsEditable(int column) const { return column >= 0 && column < count_ && (editable_ >> column & 1) != 0; }

void GridRow::SetEditable(int column, bool editable) {
  if (column < 0 || column >= count_) return;
  const std::uint64_t bit = std::uint64_t{1} << column;
  editable_ = editable ? editable_ | bit : editable_ & ~bit;
}

bool operator==(const GridRow& a, const GridRow& b) {
  if (a.count_ != b.count_ || a.editable_ != b.editable_) return false;
  for (int column = 0; column < a.count_; ++column) {
    if (a.Text(column) != b.Text(column) || a.Colour(column) != b.Colour(column)) return false;
  }
  return true;
}

}  // namespace ui
