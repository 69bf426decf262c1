// The special-order pushes: 15008 (a new state) and 15009 (a new state with
// the deal so far). Both advance the order when they are newer than its
// row and give its legs' frozen amounts back once it needs them no more.
// Every record goes to the GUI at once.
#include <mutex>

#include "engine/answer_fields.h"
#include "engine/operation_engine_base.h"
#include "order_updates.h"

namespace engine {
namespace {

namespace field {
constexpr int kAccount = 8;
constexpr int kOrderNo = 9;
constexpr int kState = 10;
constexpr int kSequence = 11;
constexpr int kExchangeCode = 14;
constexpr int kOrderSeat = 16;
constexpr int kOrderTime = 21;
constexpr int kDeclareTime = 22;
constexpr int kDelOrderTime = 23;
constexpr int kAnswerField23 = 24;
constexpr int kDealHands = 26;
constexpr int kDealPrice = 27;
constexpr int kReleaseFlag = 41;
}  // namespace field

bool ReleaseFlagSet(const LineFields& line) {
  return order_updates::LeadingInteger(line.Field(field::kReleaseFlag)) != 0;
}

}  // namespace

void COperationEngineBase::ApplySpecialOrderPush(const LineFields& line, bool release,
                                                 const std::function<void(SpecialOrderRow&)>& change) {
  std::unique_lock guard(lock_);
  const std::optional<std::uint32_t> index = FindOrFetchSpecialOrder(
      {line.Field(field::kOrderNo), line.Field(field::kExchangeCode), line.Field(field::kOrderSeat)},
      line.Field(field::kAccount), guard);
  if (!index) return;
  EngineTable& orders = TableAt(Table::kSpecialOrders);
  SpecialOrderRow order = *typed_rows::RowAt<SpecialOrderRow>(orders, *index);
  if (!order_updates::IsNewer(line.Field(field::kSequence), order.szStateSequence)) return;
  SetText(order.szFlagOrderState, line.Field(field::kState));
  SetText(order.szStateSequence, line.Field(field::kSequence));
  SetText(order.szOrderTime, line.Field(field::kOrderTime));
  SetText(order.szDeclareTime, line.Field(field::kDeclareTime));
  change(order);
  // The row's record shows the legs as they are after the release.
  if (release) ReleaseSpecialOrderFrozen(order);
  typed_rows::StoreRow(orders, *index, order);
  NotifyTableChange(order_updates::RowUpdate(table_id::kSpecialOrders, orders, *index, RowBytes(order)));
}

void COperationEngineBase::OnSpecialOrderPush(std::string_view pushed) {
  const LineFields line(pushed);
  // The state push releases when the flag is set, the state-and-deal push
  // when it is not.
  ApplySpecialOrderPush(line, ReleaseFlagSet(line), [](SpecialOrderRow&) {});
}

void COperationEngineBase::OnSpecialOrderStatePush(std::string_view pushed) {
  const LineFields line(pushed);
  ApplySpecialOrderPush(line, !ReleaseFlagSet(line), [&](SpecialOrderRow& order) {
    SetText(order.szDealHands, line.Field(field::kDealHands));
    SetText(order.szDealPrice, line.Field(field::kDealPrice));
    SetText(order.szAnswerField23, line.Field(field::kAnswerField23));
    SetText(order.szDelOrderTime, line.Field(field::kDelOrderTime));
  });
}

}  // namespace engine
