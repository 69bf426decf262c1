// One row of a toolkit grid: a text per column, each with its text colour
// and whether the user may edit it in place. The texts are GBK and lie back
// to back in one block, so that a grid of 100,000 rows holds little more
// than its texts. A new row's cells are empty, in the default colour and
// read-only. No toolkit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

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

  // Every accessor ignores a column outside the row (an empty text, the
  // default colour, not editable).
  std::string_view Text(int column) const;
  void SetText(int column, std::string_view text);

  std::uint32_t Colour(int column) const;  // 0x00BBGGRR or kDefaultColour
  void SetColour(int column, std::uint32_t colour);

  bool IsEditable(int column) const;
  void SetEditable(int column, bool editable);

  friend bool operator==(const GridRow&, const GridRow&) = default;

 private:
  std::size_t EndOf(int column) const;
  std::size_t StartOf(int column) const;
  void SetEnd(int column, std::size_t end);

  // The end offset of each cell's text (16 bits each), then the texts.
  std::string block_;
  // Empty while every cell has the default colour.
  std::vector<std::uint32_t> colours_;
  std::uint64_t editable_ = 0;
  std::uint16_t count_ = 0;
};

}  // namespace ui
