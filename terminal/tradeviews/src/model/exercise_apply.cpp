#include "tradeviews/model/exercise_apply.h"

#include <cstdlib>

#include "client/code_tables.h"
#include "engine/row_field.h"

namespace tradeviews {
namespace {

using engine::TableChangeRecord;
using engine::Text;

constexpr std::string_view kOptionClass = "1";
constexpr std::string_view kBuy = "0";
constexpr std::string_view kSpeculation = "0";
constexpr std::string_view kFinancialFutures = "cffex";

std::string OrZero(std::string_view text) { return text.empty() ? std::string("0") : std::string(text); }

// The lots of the option position: the back end's field 14 of the
// exercisable-quantity answer, which the engine carries unnamed.
std::string_view HeldLots(const engine::ExercisableQuantityRow& quantity) { return Text(quantity.szAnswerField14); }

template <typename Row>
std::optional<Row> RecordRow(const TableChangeRecord& record) {
  return engine::RowFromBytes<Row>(record.Row());
}

// Rewrites some cells of a held row.
void SetCells(ui::GridModel& grid, ui::RowId id, std::initializer_list<std::pair<int, std::string>> cells) {
  const ui::GridRow* held = grid.Row(id);
  if (held == nullptr) return;
  ui::GridRow row = *held;
  for (const auto& [column, text] : cells) row.SetText(column, text);
  grid.UpdateRow(id, std::move(row));
}

}  // namespace

std::vector<ui::ColumnSpec> ExerciseApplyColumns() {
  return {{"合约", 160},         {"买卖", 100}, {"持仓量", 100}, {"已申请执行量", 150},
          {"已申请放弃量", 150}, {"投保", 80},  {"交易所", 100}, {"席位", 100}};
}

ui::RowKey ExerciseApplyKey(const engine::PositionSummaryRow& position) {
  return ui::MakeExerciseRowKey(Text(position.szTradeAccount), Text(position.szContractCode), Text(position.szFlagBS),
                                Text(position.szFlagSH), Text(position.szSeatCode));
}

ui::RowKey ExerciseApplyKey(const engine::ExercisableQuantityRow& quantity) {
  return ui::MakeExerciseRowKey(Text(quantity.szTradeAccount), Text(quantity.szContractCode), kBuy, kSpeculation,
                                Text(quantity.szExerciseKey));
}

void ExerciseApplyRows::OnTableChanged(const TableChangeRecord& record) {
  const int table = record.TableId();
  if (table == engine::table_id::kPositionSummary) {
    if (record.Operation() == TableChangeRecord::kReload) {
      ReloadPositions();
    } else if (const auto position = RecordRow<engine::PositionSummaryRow>(record)) {
      OnPosition(record, *position);
    }
  } else if (table == engine::table_id::kExercisableQuantities) {
    if (record.Operation() == TableChangeRecord::kReload) {
      MergeQuantities();
    } else if (record.Operation() == TableChangeRecord::kInsert || record.Operation() == TableChangeRecord::kUpdate) {
      if (const auto quantity = RecordRow<engine::ExercisableQuantityRow>(record)) OnQuantity(*quantity);
    }
  }
}

bool ExerciseApplyRows::Listed(const engine::PositionSummaryRow& position) const {
  return Text(position.szTradeClass) == kOptionClass && Text(position.szFlagBS) == kBuy &&
         sources_.exchangeAbbreviation(Text(position.szExchangeCode)) != kFinancialFutures;
}

void ExerciseApplyRows::AddPosition(const engine::PositionSummaryRow& position) {
  ui::GridRow row = ui::CreateGridRow(grid_);
  row.SetText(apply_column::kContract, Text(position.szContractCode));
  row.SetText(apply_column::kBuySell, client::BuySellText(Text(position.szFlagBS)));
  row.SetColour(apply_column::kBuySell, kRed);
  row.SetText(apply_column::kPosition, OrZero(Text(position.szPositionVolume)));
  row.SetText(apply_column::kAppliedExercise, "0");
  row.SetText(apply_column::kAppliedAbandon, "0");
  row.SetText(apply_column::kHedge, client::HedgeText(Text(position.szFlagSH)));
  row.SetText(apply_column::kExchange, sources_.exchangeName(Text(position.szExchangeCode)));
  row.SetText(apply_column::kSeat, Text(position.szSeatCode));
  grid_.AddRow(std::move(row), ExerciseApplyKey(position));
}

void ExerciseApplyRows::ReloadPositions() {
  grid_.RemoveAllRows();
  std::vector<engine::PositionSummaryRow> positions;
  if (sources_.positions(positions)) {
    for (const engine::PositionSummaryRow& position : positions) {
      if (Listed(position)) AddPosition(position);
    }
  }
  if (!sources_.engineBusy()) MergeQuantities();
}

void ExerciseApplyRows::MergeQuantities() {
  std::vector<engine::ExercisableQuantityRow> quantities;
  if (!sources_.quantities(quantities)) return;
  for (const engine::ExercisableQuantityRow& quantity : quantities) {
    const std::optional<ui::RowId> id = grid_.FindRow(ExerciseApplyKey(quantity));
    if (id) {
      SetCells(grid_, *id,
               {{apply_column::kAppliedExercise, OrZero(Text(quantity.szFrozenHandsKind1))},
                {apply_column::kAppliedAbandon, OrZero(Text(quantity.szFrozenHands))},
                {apply_column::kPosition, OrZero(HeldLots(quantity))}});
    } else {
      AddQuantity(quantity);
    }
  }
}

void ExerciseApplyRows::OnPosition(const TableChangeRecord& record, const engine::PositionSummaryRow& position) {
  const std::optional<ui::RowId> id = grid_.FindRow(ExerciseApplyKey(position));
  switch (record.Operation()) {
    case TableChangeRecord::kInsert:
      // A row the engine inserted only to tell of it, without a place.
      if (record.Flag() != 0 && record.RowIndex() == -1) return;
      [[fallthrough]];
    case TableChangeRecord::kUpdate:
      if (!Listed(position)) return;
      if (id) {
        SetCells(grid_, *id, {{apply_column::kPosition, OrZero(Text(position.szPositionVolume))}});
      } else if (record.Operation() == TableChangeRecord::kInsert) {
        AddPosition(position);
      }
      return;
    case TableChangeRecord::kDelete:
      if (id) grid_.RemoveRow(*id);
      return;
    default: return;
  }
}

void ExerciseApplyRows::OnQuantity(const engine::ExercisableQuantityRow& quantity) {
  const std::optional<ui::RowId> id = grid_.FindRow(ExerciseApplyKey(quantity));
  if (id) {
    SetCells(grid_, *id,
             {{apply_column::kAppliedExercise, OrZero(Text(quantity.szFrozenHandsKind1))},
              {apply_column::kAppliedAbandon, OrZero(Text(quantity.szFrozenHands))}});
  } else {
    AddQuantity(quantity);
  }
}

void ExerciseApplyRows::AddQuantity(const engine::ExercisableQuantityRow& quantity) {
  const std::string_view position = HeldLots(quantity);
  if (std::atoi(std::string(position).c_str()) == 0) return;
  ui::GridRow row = ui::CreateGridRow(grid_);
  row.SetText(apply_column::kContract, Text(quantity.szContractCode));
  row.SetText(apply_column::kBuySell, client::BuySellText(kBuy));
  row.SetColour(apply_column::kBuySell, kRed);
  row.SetText(apply_column::kPosition, position);
  row.SetText(apply_column::kAppliedExercise, OrZero(Text(quantity.szFrozenHandsKind1)));
  row.SetText(apply_column::kAppliedAbandon, OrZero(Text(quantity.szFrozenHands)));
  row.SetText(apply_column::kHedge, client::HedgeText(kSpeculation));
  row.SetText(apply_column::kExchange, sources_.exchangeName(Text(quantity.szExchangeCode)));
  row.SetText(apply_column::kSeat, Text(quantity.szExerciseKey));
  grid_.AddRow(std::move(row), ExerciseApplyKey(quantity));
}

std::string CheckExerciseInput(std::string_view contract, std::string_view quantity,
                               const std::function<bool(std::string& error)>& knownContract) {
  std::string messages;
  if (contract.empty()) {
    messages += "合约不能为空!\n";
  } else if (std::string error; !knownContract(error)) {
    messages += error.empty() ? "合约: " + std::string(contract) + " 不合法!\n" : error + "\n";
  }
  if (quantity.empty()) {
    messages += "委托手数不能为空!\n";
  } else if (std::atoi(std::string(quantity).c_str()) == 0) {
    messages += "委托手数不能为0!\n";
  } else if (quantity.front() == '0') {
    messages += "委托手数第一位不能为0!\n";
  }
  return messages;
}

std::string_view InstructionRefusal(int instructionCode, bool exercise) {
  if (exercise) return instructionCode == 1 || instructionCode == 3 ? "" : "该合约不支持期权执行申请！";
  return instructionCode == 2 || instructionCode == 3 ? "" : "该合约不支持期权放弃执行申请！";
}

std::string ExerciseOrderLine(bool sent, std::string_view type, std::string_view customerNo, std::string_view buySell,
                              std::string_view hedge, std::string_view quantity, std::string_view orderNoOrError) {
  std::string line = "期权申请";
  if (type == "2") line += "放弃";
  line += sent ? "执行委托单发送成功，[" : "执行委托单发送失败，[";
  line.append(customerNo).append("]").append(client::BuySellText(buySell)).append("|");
  line.append(client::HedgeText(hedge)).append("|").append(quantity).append("|委托单号=").append(orderNoOrError);
  return line;
}

}  // namespace tradeviews
