// The input-sequence dialog without its window: one row per place of the
// sequence showing the name of the field held there, rows moved up and
// down with the selection, and the names read back into the sequence.
// No toolkit; texts are GBK.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "client/order_settings.h"
#include "tradeviews/model/order_panel.h"

namespace tradeviews {

// "买卖", "数量", "价格", "开平", "定单类型", "成交属性", "触发价格" for
// codes 0 to 6; empty for any other code.
std::string_view FieldName(int code);

// The setting "OrderInputSequence" of the order settings, and back.
InputSequence InputSequenceOf(const client::OrderSettings& settings);
void SetInputSequence(client::OrderSettings& settings, const InputSequence& sequence);

class InputSequenceRows {
 public:
  // Row i shows the name of entry i's code; the first row is selected.
  explicit InputSequenceRows(const InputSequence& sequence);

  const std::vector<std::string>& Rows() const { return rows_; }
  int Selected() const { return selected_; }
  // -1 selects no row.
  void Select(int row);

  // "↑": the selected row changes place with the one above and stays
  // selected; nothing on the first row or without a selection.
  void MoveUp();
  // "↓": the same downwards; nothing on the last row; without a selection
  // the first row moves.
  void MoveDown();

  // Each row whose text is a field's whole name gives its place that code;
  // a row that names no field leaves its place as it was.
  void Store(InputSequence& sequence) const;

 private:
  void Swap(int row, int other);

  std::vector<std::string> rows_;
  int selected_ = 0;
};

}  // namespace tradeviews
