// Profit/loss orders: the answers that add (5473), change (5475) and delete
// (5476) one, and the state that the condition-order push reports for one.
#include <algorithm>
#include <array>
#include <mutex>
#include <string>

#include "download_rows.h"
#include "engine/answer_fields.h"
#include "engine/operation_engine_base.h"
#include "order_updates.h"
#include "row_changes.h"

namespace engine {
namespace {

using backend::CxDataSetView;

constexpr std::size_t kStatusLine = 0;
constexpr int kOrderNoField = 5;

ProfitLossOrderRow RowFromAnswer(const CxDataSetView& answer) {
  return download_rows::ProfitLossOrderRowFromLine(download_rows::AsDownloadLine(AnswerLineAt(answer, kStatusLine)));
}

auto WithOrderNo(std::string_view orderNo) {
  return [orderNo](const ProfitLossOrderRow& row) { return Text(row.szProfitLossOrderNo) == orderNo; };
}

// A pushed state: the code the row stores and what the log says of it.
struct PushedState {
  std::string_view pushed;
  std::string_view stored;
  std::string_view logText;
};

constexpr std::array<PushedState, 5> kPushedStates{{
    {"1", "2", "：已生成条件单。"},
    {"2", "1", "：已生成止损委托单。"},
    {"3", "4", "：已生成止盈委托单。"},
    {"5", "3", "：错误委托。"},
    {"4", "d", "：已删除。"},
}};
constexpr PushedState kOtherState{"", "0", "：未生成条件单。"};

const PushedState& StateOf(std::string_view pushed) {
  const auto* found = std::find_if(kPushedStates.begin(), kPushedStates.end(),
                                   [&](const PushedState& state) { return state.pushed == pushed; });
  return found != kPushedStates.end() ? *found : kOtherState;
}

// "盈损单(<number>)" and the text.
std::string AboutOrder(std::string_view orderNo, std::string_view text) {
  return "盈损单(" + std::string(orderNo) + ")" + std::string(text);
}

}  // namespace

void COperationEngineBase::ApplyProfitLossOrderAdd(const CxDataSetView& answer) {
  const ProfitLossOrderRow row = RowFromAnswer(answer);
  // An answer without an order number names no order to add.
  if (!order_updates::NamesAnOrder(Text(row.szProfitLossOrderNo))) return;
  std::lock_guard guard(lock_);
  if (const auto record = row_changes::Append(table_id::kProfitLossOrders, TableAt(Table::kProfitLossOrders), row)) {
    AppendToChangeQueue(*record);
  }
}

void COperationEngineBase::ApplyProfitLossOrderChange(const CxDataSetView& answer) {
  const ProfitLossOrderRow changed = RowFromAnswer(answer);
  std::lock_guard guard(lock_);
  if (const auto record = row_changes::UpdateFirst<ProfitLossOrderRow>(
          table_id::kProfitLossOrders, TableAt(Table::kProfitLossOrders),
          WithOrderNo(Text(changed.szProfitLossOrderNo)), [&](ProfitLossOrderRow& row) { row = changed; })) {
    NotifyTableChange(*record);
  }
}

void COperationEngineBase::ApplyProfitLossOrderDelete(const CxDataSetView& answer) {
  const LineFields line(AnswerLineAt(answer, kStatusLine));
  std::lock_guard guard(lock_);
  row_changes::RemoveFirst<ProfitLossOrderRow>(table_id::kProfitLossOrders, TableAt(Table::kProfitLossOrders),
                                               WithOrderNo(line.Field(kOrderNoField)),
                                               [this](const TableChangeRecord& record) { NotifyTableChange(record); });
}

void COperationEngineBase::OnProfitLossOrderState(std::string_view orderNo, std::string_view state,
                                                  std::string_view statusText) {
  const PushedState& pushed = StateOf(state);
  WriteLog(AboutOrder(orderNo, pushed.logText).c_str(), 3);
  std::lock_guard guard(lock_);
  const auto record =
      row_changes::UpdateFirst<ProfitLossOrderRow>(table_id::kProfitLossOrders, TableAt(Table::kProfitLossOrders),
                                                   WithOrderNo(orderNo), [&](ProfitLossOrderRow& row) {
                                                     SetText(row.szFlagProfitLossState, pushed.stored);
                                                     SetText(row.szProfitLossStateText, statusText);
                                                   });
  if (!record) {
    WriteLog(("收到" + AboutOrder(orderNo, "状态推送时，盈损单还没有生成！")).c_str(), 3);
    return;
  }
  WriteLog(AboutOrder(orderNo, "：状态变更通知界面更新。").c_str(), 3);
  AppendToChangeQueue(*record);
}

}  // namespace engine
