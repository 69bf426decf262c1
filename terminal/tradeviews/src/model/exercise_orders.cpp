#include "tradeviews/model/exercise_orders.h"

#include <cstdio>
#include <cstdlib>

#include "client/code_tables.h"
#include "engine/row_field.h"
#include "engine/table_catalogue.h"
#include "tradeviews/model/exercise_apply.h"
#include "tradeviews/model/query_rows.h"

namespace tradeviews {
namespace {

using engine::TableChangeRecord;
using engine::Text;

constexpr std::string_view kCancelledState = "c";
constexpr std::string_view kWaitingStates = "npat";

std::string Amount(std::string_view text) {
  if (text.empty()) return "0.00";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.02f", std::strtod(std::string(text).c_str(), nullptr));
  return buffer;
}

std::string OrderNumber(std::string_view text) {
  const long long number = std::atoll(std::string(text).c_str());
  return number == 0 ? std::string() : std::to_string(number);
}

std::uint32_t StateColour(std::string_view state) {
  if (state == kCancelledState) return kRed;
  if (state.size() == 1 && kWaitingStates.find(state.front()) != std::string_view::npos) return kGreen;
  return kOlive;
}

}  // namespace

std::vector<ui::ColumnSpec> ExerciseOrderColumns() {
  return {{"委托单号", 90}, {"合约", 110},    {"委托状态", 100},       {"买卖", 80},
          {"委托手数", 80}, {"执行类型", 80}, {"执行冻结保证金", 120}, {"执行冻结手续费", 120},
          {"委托时间", 90}, {"申请时间", 90}, {"撤单时间", 90},        {"投保", 60},
          {"交易所", 80},   {"席位", 80},     {"备注", 150},           {"客户号", 80},
          {"下单席位", 80}, {"交易编码", 80}};
}

// Where the back end's answers put each meaning (the download of the
// orders and the answers of sending and cancelling agree on these members).
std::string_view ExerciseOrderFields::Account() const { return Text(row.szAccount); }
std::string_view ExerciseOrderFields::OrderNo() const { return Text(row.szApplicationNo); }
std::string_view ExerciseOrderFields::Exchange() const { return Text(row.szExchangeCode); }
std::string_view ExerciseOrderFields::Contract() const { return Text(row.szContractCode); }
std::string_view ExerciseOrderFields::State() const { return Text(row.szStateCode); }
std::string_view ExerciseOrderFields::BuySell() const { return Text(row.szTexts10[0]); }
std::string_view ExerciseOrderFields::Hedge() const { return Text(row.szTexts10[1]); }
std::string_view ExerciseOrderFields::Lots() const { return Text(row.szLots); }
std::string_view ExerciseOrderFields::TradingCode() const { return Text(row.szTexts16A[0]); }
std::string_view ExerciseOrderFields::OrderTime() const { return Text(row.szTexts16A[1]); }
std::string_view ExerciseOrderFields::ApplyTime() const { return Text(row.szText32); }
std::string_view ExerciseOrderFields::CancelTime() const { return Text(row.szTexts16B[3]); }
std::string_view ExerciseOrderFields::Seat() const { return Text(row.szTexts16B[0]); }
std::string_view ExerciseOrderFields::OrderSeat() const { return Text(row.szKey); }
std::string_view ExerciseOrderFields::Type() const { return Text(row.szKindFlag); }
std::string_view ExerciseOrderFields::FrozenMargin() const { return Text(row.szAmounts[0]); }
std::string_view ExerciseOrderFields::FrozenFee() const { return Text(row.szAmounts[1]); }
std::string_view ExerciseOrderFields::Remark() const { return Text(row.szText256); }

ui::RowKey ExerciseOrderKey(const backend::ExerciseOrderRow& row) {
  const ExerciseOrderFields order(row);
  return ui::MakeOrderRowKey(order.OrderSeat(), order.Contract(), order.OrderNo());
}

ui::GridRow ExerciseOrderRows::MakeRow(const backend::ExerciseOrderRow& row) const {
  const ExerciseOrderFields order(row);
  const std::string type = order.Type() == "1" ? "执行" : order.Type() == "2" ? "放弃" : "";
  const Cells cells = {OrderNumber(order.OrderNo()),
                       std::string(order.Contract()),
                       client::OrderStateText(order.State()),
                       client::BuySellText(order.BuySell()),
                       std::string(order.Lots()),
                       type,
                       Amount(order.FrozenMargin()),
                       Amount(order.FrozenFee()),
                       std::string(order.OrderTime()),
                       std::string(order.ApplyTime()),
                       std::string(order.CancelTime()),
                       client::HedgeText(order.Hedge()),
                       sources_.exchangeName(order.Exchange()),
                       std::string(order.Seat()),
                       std::string(order.Remark()),
                       std::string(order.Account()),
                       std::string(order.OrderSeat()),
                       std::string(order.TradingCode())};
  ui::GridRow gridRow = RowOfCells(grid_, cells);
  gridRow.SetColour(order_column::kState, StateColour(order.State()));
  gridRow.SetColour(3, order.BuySell() == "0" ? kRed : kGreen);
  gridRow.SetColour(order_column::kType, order.Type() == "1" ? kRed : kGreen);
  return gridRow;
}

void ExerciseOrderRows::OnTableChanged(const TableChangeRecord& record) {
  if (record.TableId() != engine::table_id::kExerciseOrders) return;
  switch (record.Operation()) {
    case TableChangeRecord::kReload: {
      std::vector<backend::ExerciseOrderRow> orders;
      if (!sources_.orders(orders)) return;
      std::vector<std::pair<ui::GridRow, ui::RowKey>> rows;
      for (const backend::ExerciseOrderRow& order : orders) rows.emplace_back(MakeRow(order), ExerciseOrderKey(order));
      grid_.ReplaceRows(std::move(rows));
      grid_.Sort(order_column::kOrderNo, true, false);
      return;
    }
    case TableChangeRecord::kInsert:
    case TableChangeRecord::kUpdate: {
      const auto order = engine::RowFromBytes<backend::ExerciseOrderRow>(record.Row());
      if (!order) return;
      const ui::RowKey key = ExerciseOrderKey(*order);
      if (record.Operation() == TableChangeRecord::kInsert) {
        grid_.AddRow(MakeRow(*order), key);
      } else if (const std::optional<ui::RowId> id = grid_.FindRow(key)) {
        grid_.UpdateRow(*id, MakeRow(*order));
      }
      return;
    }
    default: return;
  }
}

bool IsCancellable(std::string_view stateText) {
  const std::string_view code = client::OrderStateCode(stateText);
  return code == "n" || code == "a";
}

ui::ColumnFilterState WaitingOrdersFilter() { return {order_column::kState, false, {"等待发出", "已经报入"}}; }

}  // namespace tradeviews
