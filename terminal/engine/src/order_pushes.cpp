// The order-state push (15002) and the cancel push (15004) applied to the
// engine's orders, and through them to the account's funds and condition
// orders. Every record goes to the GUI at once.
#include <compare>
#include <mutex>

#include "engine/answer_fields.h"
#include "engine/operation_engine_base.h"
#include "order_updates.h"

namespace engine {
namespace {

// The fields both pushes read.
namespace field {
constexpr int kAccount = 8;
constexpr int kOrderNo = 9;
constexpr int kExchangeCode = 10;
constexpr int kState = 14;
constexpr int kStateText = 15;
constexpr int kDealHands = 24;
constexpr int kDealPrice = 25;
constexpr int kDeclareTime = 31;
constexpr int kAnswerField23 = 33;
constexpr int kDelOrderTime = 34;
constexpr int kSequence = 39;
constexpr int kReleaseFlag = 41;
constexpr int kOrderSeat = 42;
}  // namespace field

OrderSelectors PushedOrder(const LineFields& line) {
  return {line.Field(field::kOrderNo), line.Field(field::kExchangeCode), line.Field(field::kOrderSeat)};
}

bool ReleaseFlagSet(const LineFields& line) {
  return order_updates::LeadingInteger(line.Field(field::kReleaseFlag)) != 0;
}

}  // namespace

void COperationEngineBase::OnOrderStatePush(std::string_view pushed) {
  const LineFields line(pushed);
  std::unique_lock guard(lock_);
  const std::optional<std::uint32_t> index = FindOrFetchOrder(PushedOrder(line), line.Field(field::kAccount), guard);
  if (!index) return;
  EngineTable& orders = TableAt(Table::kOrders);
  OrderRow order = *typed_rows::RowAt<OrderRow>(orders, *index);
  const std::strong_ordering sequence =
      order_updates::CompareSequence(line.Field(field::kSequence), order.szStateSequence);
  // An older state is passed over. The state the row holds, told again,
  // brings only the time it was reported.
  if (sequence < 0) return;
  if (sequence > 0) {
    // The state push releases when the flag is set, the cancel push when it
    // is not.
    if (ReleaseFlagSet(line)) ReleaseOrderFrozen(order, kAtOnce);
    SetText(order.szFlagOrderState, line.Field(field::kState));
    SetText(order.szOrderStateText, line.Field(field::kStateText));
    SetText(order.szStateSequence, line.Field(field::kSequence));
  }
  SetText(order.szDeclareTime, line.Field(field::kDeclareTime));
  typed_rows::StoreRow(orders, *index, order);
  RaiseChange(order_updates::RowUpdate(table_id::kOrders, orders, *index, RowBytes(order)), kAtOnce);
  if (sequence == 0) return;

  // The condition order that placed this order shows its state.
  EngineTable& conditionOrders = TableAt(Table::kConditionOrders);
  const std::optional<std::uint32_t> condition = order_updates::FindIndex<ConditionOrderRow>(
      conditionOrders, [&](const ConditionOrderRow& row) { return Text(row.szOrderNo) == Text(order.szOrderNo); });
  if (!condition) return;
  ConditionOrderRow conditionOrder = *typed_rows::RowAt<ConditionOrderRow>(conditionOrders, *condition);
  SetText(conditionOrder.szFlagOrderState, line.Field(field::kState));
  typed_rows::StoreRow(conditionOrders, *condition, conditionOrder);
  RaiseChange(
      order_updates::RowUpdate(table_id::kConditionOrders, conditionOrders, *condition, RowBytes(conditionOrder)),
      kAtOnce);
}

void COperationEngineBase::OnCancelPush(std::string_view pushed) {
  const LineFields line(pushed);
  std::unique_lock guard(lock_);
  const std::optional<std::uint32_t> index = FindOrFetchOrder(PushedOrder(line), line.Field(field::kAccount), guard);
  if (!index) return;
  EngineTable& orders = TableAt(Table::kOrders);
  OrderRow order = *typed_rows::RowAt<OrderRow>(orders, *index);
  if (!order_updates::IsNewer(line.Field(field::kSequence), order.szStateSequence)) return;
  SetText(order.szFlagOrderState, line.Field(field::kState));
  SetText(order.szOrderStateText, line.Field(field::kStateText));
  SetText(order.szDealHands, line.Field(field::kDealHands));
  SetText(order.szDealPrice, line.Field(field::kDealPrice));
  SetText(order.szAnswerField23, line.Field(field::kAnswerField23));
  SetText(order.szDelOrderTime, line.Field(field::kDelOrderTime));
  SetText(order.szStateSequence, line.Field(field::kSequence));
  if (!ReleaseFlagSet(line)) ReleaseOrderFrozen(order, kAtOnce);
  typed_rows::StoreRow(orders, *index, order);
  RaiseChange(order_updates::RowUpdate(table_id::kOrders, orders, *index, RowBytes(order)), kAtOnce);
}

}  // namespace engine
