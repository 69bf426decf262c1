#include "tradeviews/model/input_sequence.h"

#include <algorithm>
#include <utility>

namespace tradeviews {
namespace {

constexpr std::string_view kFieldNames[field::kCount] = {"买卖",     "数量",     "价格",    "开平",
                                                         "定单类型", "成交属性", "触发价格"};

}  // namespace

std::string_view FieldName(int code) { return code >= 0 && code < field::kCount ? kFieldNames[code] : ""; }

InputSequence InputSequenceOf(const client::OrderSettings& settings) {
  InputSequence sequence{};
  std::copy(std::begin(settings.OrderInputSequence), std::end(settings.OrderInputSequence), sequence.begin());
  return sequence;
}

void SetInputSequence(client::OrderSettings& settings, const InputSequence& sequence) {
  std::copy(sequence.begin(), sequence.end(), std::begin(settings.OrderInputSequence));
}

InputSequenceRows::InputSequenceRows(const InputSequence& sequence) {
  for (const int code : sequence) rows_.emplace_back(FieldName(code));
}

void InputSequenceRows::Select(int row) { selected_ = row >= 0 && row < static_cast<int>(rows_.size()) ? row : -1; }

void InputSequenceRows::Swap(int row, int other) {
  std::swap(rows_[static_cast<std::size_t>(row)], rows_[static_cast<std::size_t>(other)]);
  selected_ = other;
}

void InputSequenceRows::MoveUp() {
  if (selected_ > 0) Swap(selected_, selected_ - 1);
}

void InputSequenceRows::MoveDown() {
  const int row = selected_ < 0 ? 0 : selected_;
  if (row + 1 < static_cast<int>(rows_.size())) Swap(row, row + 1);
}

void InputSequenceRows::Store(InputSequence& sequence) const {
  for (std::size_t place = 0; place < rows_.size() && place < sequence.size(); ++place) {
    for (int code = 0; code < field::kCount; ++code) {
      if (rows_[place] == kFieldNames[code]) sequence[place] = code;
    }
  }
}

}  // namespace tradeviews
