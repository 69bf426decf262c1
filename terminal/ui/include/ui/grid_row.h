// One row of a toolkit grid: a text per column, each with its text colour
// and whether the user may edit it in place. The cells, their colours and
// the texts (GBK) lie in one block, so that a row costs one allocation and
// a grid of 100,000 rows holds little more than its texts. A new row's
// cells are empty, in the default colour and read-only. No toolkit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "ui/colour_ref.h"

namespace ui {

class GridRow {
 public:
  // Columns beyond the last that a row can have.
  static constexpr int kMaxColumns = 64;

  GridRow() = default;
  // A row of `columnCount` empty cells (cut to kMaxColumns).
  explicit GridRow(int columnCount);

  int ColumnCount() const { return count_; }
  // Makes this a row of `columnCount` empty cells (cut to kMaxColumns), as
  // new, keeping the room its block has.
  void Reset(int columnCount);

  // Every accessor ignores a column outside the row (an empty text, the
  // default colour, not editable).
  std::string_view Text(int column) const;
  // The block holds at most 64 KiB of text: a text that would not fit is
  // cut, on a character boundary.
  void SetText(int column, std::string_view text);

  std::uint32_t Colour(int column) const;  // 0x00BBGGRR or kDefaultColour
  void SetColour(int column, std::uint32_t colour);

  bool IsEditable(int column) const;
  void SetEditable(int column, bool editable);

  // Gives back most of the room the block keeps beyond its live texts, as
  // a row does when a grid takes it to hold.
  void Compact();

  // The same texts, colours and editability.
  friend bool operator==(const GridRow& a, const GridRow& b);

 private:
  struct Cell {
    std::uint16_t offset;
    std::uint16_t length;
  };
  Cell CellAt(int column) const;
  void SetCell(int column, Cell cell);
  // Puts the texts back to back in column order, without dead bytes.
  void Pack();

  std::size_t ColourTableAt() const;
  std::size_t TextsAt() const;
  // The most the block may grow to, leaving room for a colour table.
  std::size_t BlockLimit() const;
  // Makes room for a colour per cell, each the default.
  void AddColourTable();

  // A (offset, length) pair per cell; once a cell has a colour other than
  // the default, a colour per cell; then the texts. A text that grows goes
  // to the end of the block; what it leaves behind is dead until the block
  // is packed, once the dead bytes outweigh the live ones.
  std::string block_;
  std::uint64_t editable_ = 0;
  std::uint16_t count_ = 0;
  std::uint16_t dead_ = 0;
  bool coloured_ = false;
};

}  // namespace ui
