// The exercise application view's model: its rows, one per long option
// position outside the financial futures exchange, with the lots already
// applied for exercise and abandonment, kept up to date from the position
// table (5) and the exercisable-quantity table (20); the checks before an
// exercise or abandon order; and the output lines of its sending. No
// toolkit: the grid's row store and the engine's tables are handed in.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/table_catalogue.h"
#include "engine/table_change_record.h"
#include "engine/trading_rows.h"
#include "ui/grid_model.h"

namespace tradeviews {

// Text colours of the option views (0x00BBGGRR).
inline constexpr std::uint32_t kRed = 0x0000FF;
inline constexpr std::uint32_t kGreen = 0x00FF00;
inline constexpr std::uint32_t kOlive = 0x008080;

// The columns of the exercise application grid.
namespace apply_column {
inline constexpr int kContract = 0;
inline constexpr int kBuySell = 1;
inline constexpr int kPosition = 2;
inline constexpr int kAppliedExercise = 3;
inline constexpr int kAppliedAbandon = 4;
inline constexpr int kHedge = 5;
inline constexpr int kExchange = 6;
inline constexpr int kSeat = 7;
}  // namespace apply_column

std::vector<ui::ColumnSpec> ExerciseApplyColumns();

// What the rows are made from.
struct ExerciseApplySources {
  std::function<bool(std::vector<engine::PositionSummaryRow>& rows)> positions;
  std::function<bool(std::vector<engine::ExercisableQuantityRow>& rows)> quantities;
  // True while the engine reconnects or downloads.
  std::function<bool()> engineBusy;
  // An exchange id's abbreviation ("cffex" ...) and name.
  std::function<std::string(std::string_view exchange)> exchangeAbbreviation;
  std::function<std::string(std::string_view exchange)> exchangeName;
};

class ExerciseApplyRows {
 public:
  // The grid outlives the rows.
  ExerciseApplyRows(ui::GridModel& grid, ExerciseApplySources sources) : grid_(grid), sources_(std::move(sources)) {}

  // A record of table 5 or 20; others are ignored.
  void OnTableChanged(const engine::TableChangeRecord& record);

 private:
  void ReloadPositions();
  void OnPosition(const engine::TableChangeRecord& record, const engine::PositionSummaryRow& position);
  void OnQuantity(const engine::ExercisableQuantityRow& quantity);
  // Every exercisable quantity into its position's row, or a row of its own.
  void MergeQuantities();
  // A row of a quantity whose position has no row; none for no lots.
  void AddQuantity(const engine::ExercisableQuantityRow& quantity);
  // A long option position outside "cffex".
  bool Listed(const engine::PositionSummaryRow& position) const;
  void AddPosition(const engine::PositionSummaryRow& position);

  ui::GridModel& grid_;
  ExerciseApplySources sources_;
};

// The key of a position's row and of its exercisable quantity's: the
// account, contract, buy/sell code, hedge code and seat. Exercisable
// quantities are of long positions and carry no hedge flag of their own:
// they count as speculative.
ui::RowKey ExerciseApplyKey(const engine::PositionSummaryRow& position);
ui::RowKey ExerciseApplyKey(const engine::ExercisableQuantityRow& quantity);

// The checks of an exercise or abandon order before it is sent: every
// failed check's message, each ending in a line break; empty when the input
// passes. `knownContract` tells whether the contract may be applied for
// (false with the engine's message, or with none).
std::string CheckExerciseInput(std::string_view contract, std::string_view quantity,
                               const std::function<bool(std::string& error)>& knownContract);

// Whether the seat's instructions (1 exercise only, 2 abandon only, 3 both)
// take the order; the message when they do not, else empty.
std::string_view InstructionRefusal(int instructionCode, bool exercise);

// The output line of an exercise ("1") or abandon ("2") order sent, naming
// its order number, or failed, naming the error.
std::string ExerciseOrderLine(bool sent, std::string_view type, std::string_view customerNo, std::string_view buySell,
                              std::string_view hedge, std::string_view quantity, std::string_view orderNoOrError);

}  // namespace tradeviews
