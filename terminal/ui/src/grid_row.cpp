#include "ui/grid_row.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "platform/gbk.h"

namespace ui {
namespace {

constexpr std::size_t kEndBytes = sizeof(std::uint16_t);
constexpr std::size_t kMaxBlock = std::numeric_limits<std::uint16_t>::max();

}  // namespace

GridRow::GridRow(int columnCount)
    : block_(static_cast<std::size_t>(std::clamp(columnCount, 0, kMaxColumns)) * kEndBytes, '\0'),
      count_(static_cast<std::uint16_t>(std::clamp(columnCount, 0, kMaxColumns))) {
  // Every cell ends where the texts begin.
  for (int column = 0; column < count_; ++column) SetEnd(column, block_.size());
}

std::size_t GridRow::EndOf(int column) const {
  std::uint16_t end = 0;
  std::memcpy(&end, block_.data() + static_cast<std::size_t>(column) * kEndBytes, kEndBytes);
  return end;
}

std::size_t GridRow::StartOf(int column) const {
  return column == 0 ? static_cast<std::size_t>(count_) * kEndBytes : EndOf(column - 1);
}

void GridRow::SetEnd(int column, std::size_t end) {
  const auto value = static_cast<std::uint16_t>(end);
  std::memcpy(block_.data() + static_cast<std::size_t>(column) * kEndBytes, &value, kEndBytes);
}

std::string_view GridRow::Text(int column) const {
  if (column < 0 || column >= count_) return {};
  const std::size_t start = StartOf(column);
  return std::string_view(block_).substr(start, EndOf(column) - start);
}

void GridRow::SetText(int column, std::string_view text) {
  if (column < 0 || column >= count_) return;
  const std::size_t start = StartOf(column);
  const std::size_t oldLength = EndOf(column) - start;
  // The block's offsets are 16 bits: a text that would overflow it is cut,
  // on a character boundary.
  const std::size_t room = kMaxBlock - (block_.size() - oldLength);
  text = text.substr(0, platform::GbkFitLength(text, room));
  block_.replace(start, oldLength, text);
  const std::ptrdiff_t shift = static_cast<std::ptrdiff_t>(text.size()) - static_cast<std::ptrdiff_t>(oldLength);
  if (shift == 0) return;
  for (int later = column; later < count_; ++later) {
    SetEnd(later, static_cast<std::size_t>(static_cast<std::ptrdiff_t>(EndOf(later)) + shift));
  }
}

std::uint32_t GridRow::Colour(int column) const {
  if (column < 0 || column >= count_ || colours_.empty()) return kDefaultColour;
  return colours_[static_cast<std::size_t>(column)];
}

void GridRow::SetColour(int column, std::uint32_t colour) {
  if (column < 0 || column >= count_) return;
  if (colours_.empty()) {
    if (colour == kDefaultColour) return;
    colours_.assign(count_, kDefaultColour);
  }
  colours_[static_cast<std::size_t>(column)] = colour;
}

bool GridRow::IsEditable(int column) const { return column >= 0 && column < count_ && (editable_ >> column & 1) != 0; }

void GridRow::SetEditable(int column, bool editable) {
  if (column < 0 || column >= count_) return;
  const std::uint64_t bit = std::uint64_t{1} << column;
  editable_ = editable ? editable_ | bit : editable_ & ~bit;
}

}  // namespace ui
