// Condition orders: the answers that add (5477), change (5479), cancel
// (5480) and restate (5481) one, and the user's confirmation of a new one
// whose trigger is already met.
#include <mutex>
#include <string>

#include "download_rows.h"
#include "engine/answer_fields.h"
#include "engine/operation_engine_base.h"
#include "order_updates.h"
#include "protocol/function_numbers.h"
#include "row_changes.h"

namespace engine {
namespace {

using backend::CxDataSetView;

constexpr std::size_t kStatusLine = 0;
constexpr int kOrderNoField = 5;
constexpr int kStateField = 23;

constexpr std::string_view kCancelled = "d";
constexpr std::string_view kTriggerMet = "1";

constexpr std::string_view kTriggerMetQuestion = "下条件单时, 触发条件已经满足。是否继续？";
constexpr EngineRequest kConfirmTriggered{"条件下单条件满足确认", protocol::function_no::kSendConditionOrder,
                                          AnswerForm::kSingleLine};
constexpr std::string_view kConfirmedText = "条件下单条件满足确认成功！";
constexpr std::string_view kConfirmFailedText = "条件下单条件满足确认：";

ConditionOrderRow RowFromAnswer(const CxDataSetView& answer) {
  return download_rows::ConditionOrderRowFromLine(download_rows::AsDownloadLine(AnswerLineAt(answer, kStatusLine)));
}

auto WithOrderNo(std::string_view orderNo) {
  return [orderNo](const ConditionOrderRow& row) { return Text(row.szConditionOrderNo) == orderNo; };
}

}  // namespace

void COperationEngineBase::AddConditionOrder(const ConditionOrderRow& row) {
  std::lock_guard guard(lock_);
  if (const auto record = row_changes::Append(table_id::kConditionOrders, TableAt(Table::kConditionOrders), row)) {
    NotifyTableChange(*record);
  }
}

void COperationEngineBase::ApplyConditionOrderAnswer(const CxDataSetView& answer) {
  const ConditionOrderRow row = RowFromAnswer(answer);
  // An answer without an order number names no order to add.
  if (!order_updates::NamesAnOrder(Text(row.szConditionOrderNo))) return;
  if (Text(row.szTriggerMetFlag) == kTriggerMet) {
    ConfirmTriggeredConditionOrder(row);
  } else {
    AddConditionOrder(row);
  }
}

void COperationEngineBase::ConfirmTriggeredConditionOrder(const ConditionOrderRow& row) {
  if (AskUser({std::string(kTriggerMetQuestion), PromptButtons::kYesNo, PromptIcon::kQuestion}) != PromptAnswer::kYes) {
    return;
  }
  // The order as the user placed it, confirmed: the back end places it now.
  const backend::RequestPtr record = BuildEngineRequest(kConfirmTriggered, EngineAccountKey(),
                                                        {Text(row.szAnswerField8),
                                                         Text(row.szAnswerField6),
                                                         Text(row.szAnswerField7),
                                                         Text(row.szAnswerField19),
                                                         Text(row.szAnswerField12),
                                                         Text(row.szAnswerField10),
                                                         Text(row.szAnswerField11),
                                                         Text(row.szAnswerField14),
                                                         Text(row.szAnswerField13),
                                                         Text(row.szAnswerField26),
                                                         Text(row.szAnswerField27),
                                                         Text(row.szAnswerField28),
                                                         "0",
                                                         "-1",
                                                         "-1",
                                                         "0",
                                                         "",
                                                         "1",
                                                         Text(row.szAnswerField40),
                                                         Text(row.szAnswerField41),
                                                         Text(row.szAnswerField43),
                                                         Text(row.szAnswerField44)});
  if (!record) return;
  // The confirmed order is stored as answered, even when its answer still
  // reports the trigger met: the user has confirmed it once.
  SendAndTell(*record, kConfirmedText, kConfirmFailedText,
              [this](const CxDataSetView& answer) { AddConditionOrder(RowFromAnswer(answer)); });
}

void COperationEngineBase::ApplyConditionOrderChange(const CxDataSetView& answer) {
  const ConditionOrderRow changed = RowFromAnswer(answer);
  std::lock_guard guard(lock_);
  if (const auto record = row_changes::UpdateFirst<ConditionOrderRow>(
          table_id::kConditionOrders, TableAt(Table::kConditionOrders), WithOrderNo(Text(changed.szConditionOrderNo)),
          [&](ConditionOrderRow& row) { row = changed; })) {
    NotifyTableChange(*record);
  }
}

void COperationEngineBase::SetConditionOrderState(std::string_view orderNo, std::string_view stateCode) {
  std::lock_guard guard(lock_);
  if (const auto record = row_changes::UpdateFirst<ConditionOrderRow>(
          table_id::kConditionOrders, TableAt(Table::kConditionOrders), WithOrderNo(orderNo),
          [&](ConditionOrderRow& row) { SetText(row.szFlagConditionState, stateCode); })) {
    NotifyTableChange(*record);
  }
}

void COperationEngineBase::ApplyConditionOrderCancel(const CxDataSetView& answer) {
  const LineFields line(AnswerLineAt(answer, kStatusLine));
  SetConditionOrderState(line.Field(kOrderNoField), kCancelled);
}

void COperationEngineBase::ApplyConditionOrderState(const CxDataSetView& answer) {
  const LineFields line(AnswerLineAt(answer, kStatusLine));
  // An answer cut before its state would wipe the order's.
  if (line.Trimmed(kStateField).empty()) {
    WriteLog("条件单状态应答缺少状态，未更新。", 1);
    return;
  }
  SetConditionOrderState(line.Field(kOrderNoField), line.Field(kStateField));
}

}  // namespace engine
