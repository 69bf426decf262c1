// The exercise orders view's model: one row per exercise or abandon order
// of the engine's table 21, kept up to date from its change records, which
// orders may be cancelled, and what their cancel sends. No toolkit.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "backend/exercise_order_row.h"
#include "engine/table_change_record.h"
#include "ui/grid_model.h"

namespace tradeviews {

// The columns of the exercise orders grid.
namespace order_column {
inline constexpr int kOrderNo = 0;
inline constexpr int kContract = 1;
inline constexpr int kState = 2;
inline constexpr int kType = 5;
inline constexpr int kSeat = 13;
inline constexpr int kCustomer = 15;
inline constexpr int kOrderSeat = 16;
inline constexpr int kTradingCode = 17;
}  // namespace order_column

std::vector<ui::ColumnSpec> ExerciseOrderColumns();

// The members of an order row by meaning.
struct ExerciseOrderFields {
  explicit ExerciseOrderFields(const backend::ExerciseOrderRow& row) : row(row) {}
  std::string_view Account() const;
  std::string_view OrderNo() const;
  std::string_view Exchange() const;
  std::string_view Contract() const;
  std::string_view State() const;
  std::string_view BuySell() const;
  std::string_view Hedge() const;
  std::string_view Lots() const;
  std::string_view TradingCode() const;
  std::string_view OrderTime() const;
  std::string_view ApplyTime() const;
  std::string_view CancelTime() const;
  std::string_view Seat() const;
  std::string_view OrderSeat() const;
  std::string_view Type() const;  // "1" exercise, "2" abandon
  std::string_view FrozenMargin() const;
  std::string_view FrozenFee() const;
  std::string_view Remark() const;

  const backend::ExerciseOrderRow& row;
};

// A row is found again by its order seat, contract and order number.
ui::RowKey ExerciseOrderKey(const backend::ExerciseOrderRow& row);

struct ExerciseOrderSources {
  std::function<bool(std::vector<backend::ExerciseOrderRow>& rows)> orders;
  std::function<std::string(std::string_view exchange)> exchangeName;
};

class ExerciseOrderRows {
 public:
  // The grid outlives the rows.
  ExerciseOrderRows(ui::GridModel& grid, ExerciseOrderSources sources) : grid_(grid), sources_(std::move(sources)) {}

  // A record of table 21: 'f' reloads every order (sorted on the order
  // number), 'i' adds one, 'u' rewrites its row; others are ignored.
  void OnTableChanged(const engine::TableChangeRecord& record);
  ui::GridRow MakeRow(const backend::ExerciseOrderRow& order) const;

 private:
  ui::GridModel& grid_;
  ExerciseOrderSources sources_;
};

// Only orders waiting ("n") or entered ("a") may be cancelled; the state is
// the text the row shows.
bool IsCancellable(std::string_view stateText);

// The filter of "只显示等待发出的委托单": the states of the orders that
// still wait.
ui::ColumnFilterState WaitingOrdersFilter();

}  // namespace tradeviews
