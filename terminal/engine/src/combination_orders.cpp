// Special (combination) orders: one added with its legs' amounts frozen in
// the account's funds, the release of those amounts, and the answers of
// sending (5321) and cancelling (5322) one.
#include <mutex>

#include "combination_order_legs.h"
#include "download_rows.h"
#include "engine/answer_fields.h"
#include "engine/operation_engine_base.h"
#include "order_updates.h"

namespace engine {
namespace {

using backend::CxDataSetView;
using combination_order_legs::kFrozenCharge;
using combination_order_legs::kFrozenMoney;
using download_rows::FillInOrder;

constexpr std::size_t kStatusLine = 0;

// The leg amounts of a send answer (5321): the four frozen margins, then
// the four frozen fees.
constexpr int kFirstFrozenMoneyField = 38;
constexpr int kFirstFrozenChargeField = 42;

// The fields of a cancel answer (5322).
namespace cancel_field {
constexpr int kOrderNo = 6;
constexpr int kState = 7;
constexpr int kSequence = 8;
constexpr int kExchangeCode = 11;
constexpr int kOrderSeat = 13;
constexpr int kDelOrderTime = 20;
constexpr int kDealHands = 23;
constexpr int kDealPrice = 24;
}  // namespace cancel_field

constexpr std::string_view kCancelled = "d";

// The row of a send answer, whose account is its own field 5. Field 16
// would land behind field 15's text and field 22 is not kept: nothing reads
// either.
SpecialOrderRow RowFromAnswer(const LineFields& line) {
  SpecialOrderRow row{};
  FillInOrder(line, 5, row.szTradeAccount, row.szOrderNo, row.szFlagOrderState, row.szStateSequence, row.szSysNo,
              row.szMapCode, row.szExchangeCode, row.szSeatCode, row.szOrderSeat, row.szAnswerField33,
              row.szAnswerField30);
  FillInOrder(line, 17, row.szAnswerField27, row.szOrderTime, row.szDeclareTime, row.szDelOrderTime,
              row.szAnswerField23);
  FillInOrder(line, 23, row.szDealHands, row.szDealPrice, row.szOrderHands, row.szOrderPrice, row.szStrategyCode,
              row.szOrderFormType, row.szDealAttr, row.szKindKey3, row.szNameBS, row.szNameEO, row.szNameSH,
              row.szLegContractCode1, row.szLegContractCode2, row.szLegContractCode3, row.szLegContractCode4);
  for (std::size_t leg = 0; leg < kFrozenMoney.size(); ++leg) {
    const int offset = static_cast<int>(leg);
    order_updates::SetMoneyText(row.*kFrozenMoney[leg], line.Field(kFirstFrozenMoneyField + offset));
    order_updates::SetMoneyText(row.*kFrozenCharge[leg], line.Field(kFirstFrozenChargeField + offset));
  }
  return row;
}

bool SameSpecialOrder(const SpecialOrderRow& row, const OrderSelectors& order, std::string_view account) {
  return Text(row.szTradeAccount) == account && Text(row.szExchangeCode) == order.exchangeCode &&
         Text(row.szOrderSeat) == order.orderSeat && order_updates::SameOrderNo(Text(row.szOrderNo), order.orderNo);
}

OrderSelectors SelectorsOf(const SpecialOrderRow& row) {
  return {Text(row.szOrderNo), Text(row.szExchangeCode), Text(row.szOrderSeat)};
}

// Moves the legs' frozen amounts into (`sign` 1) or out of (-1) the first
// fund row of the order's account and stores the row; nothing when the
// order's kind is unknown, its legs freeze nothing or the account has no
// fund row.
std::optional<FundRow> ShiftLegFrozen(const COperationEngineBase& engine, EngineTable& funds,
                                      const SpecialOrderRow& order, double sign) {
  OrderKindRow kind{};
  if (!combination_order_legs::FindKindOf(engine, order, kind)) return std::nullopt;
  FrozenSums legs;
  combination_order_legs::AddLegFrozen(order, kind, legs);
  if (legs.buy == 0.0 && legs.sell == 0.0 && legs.fee == 0.0) return std::nullopt;
  const std::optional<std::uint32_t> index = typed_rows::FindIndex<FundRow>(
      funds, [&](const FundRow& fund) { return Text(fund.szTradeAccount) == Text(order.szTradeAccount); });
  if (!index) return std::nullopt;
  FundRow fund = *typed_rows::RowAt<FundRow>(funds, *index);
  const double total = legs.buy + legs.sell + legs.fee;
  SetMoney(fund.szTotalFreeze, ReadMoney(fund.szTotalFreeze) + sign * total);
  SetMoney(fund.szUsableMoney, ReadMoney(fund.szUsableMoney) - sign * total);
  SetMoney(fund.szBFreeze, ReadMoney(fund.szBFreeze) + sign * legs.buy);
  SetMoney(fund.szSFreeze, ReadMoney(fund.szSFreeze) + sign * legs.sell);
  SetMoney(fund.szFreezeCommissionCharge, ReadMoney(fund.szFreezeCommissionCharge) + sign * legs.fee);
  typed_rows::StoreRow(funds, *index, fund);
  return fund;
}

}  // namespace

std::optional<std::uint32_t> COperationEngineBase::AddSpecialOrder(const SpecialOrderRow& row, bool deliverAtOnce) {
  std::lock_guard guard(lock_);
  EngineTable& orders = TableAt(Table::kSpecialOrders);
  if (!typed_rows::AppendRow(orders, row)) return std::nullopt;
  const auto index = static_cast<std::uint32_t>(orders.GetCount() - 1);
  RaiseChange(TableChangeRecord::RowChange(table_id::kSpecialOrders, TableChangeRecord::kInsert,
                                           static_cast<int>(orders.GetCount()), static_cast<int>(index), RowBytes(row)),
              deliverAtOnce);
  if (const std::optional<FundRow> fund = ShiftLegFrozen(*this, TableAt(Table::kFunds), row, 1.0)) {
    RaiseChange(order_updates::FundChange(RowBytes(*fund)), deliverAtOnce);
  }
  return index;
}

void COperationEngineBase::ReleaseSpecialOrderFrozen(SpecialOrderRow& order) {
  std::lock_guard guard(lock_);
  const std::optional<FundRow> fund = ShiftLegFrozen(*this, TableAt(Table::kFunds), order, -1.0);
  if (!fund) return;
  NotifyTableChange(order_updates::FundChange(RowBytes(*fund)));
  for (std::size_t leg = 0; leg < kFrozenMoney.size(); ++leg) {
    SetMoney(order.*kFrozenMoney[leg], 0.0);
    SetMoney(order.*kFrozenCharge[leg], 0.0);
  }
}

std::optional<std::uint32_t> COperationEngineBase::FindOrFetchSpecialOrder(
    const OrderSelectors& order, std::string_view account, std::unique_lock<platform::CriticalSection>& guard) {
  const auto matches = [&](const SpecialOrderRow& row) { return SameSpecialOrder(row, order, account); };
  const auto fetch = [&]() -> std::optional<SpecialOrderRow> {
    TableChangeRecord record;
    if (!QueryOrderRecord(order, account, record)) return std::nullopt;
    // An ordinary order of the same keys is no special order.
    return order_updates::FetchedRow<SpecialOrderRow>(record, table_id::kSpecialOrders, matches);
  };
  return order_updates::FindOrFetch<SpecialOrderRow>(
      guard, TableAt(Table::kSpecialOrders), order.orderNo, matches, fetch,
      [&](const SpecialOrderRow& row) { return AddSpecialOrder(row, kAtOnce); });
}

void COperationEngineBase::ApplySpecialOrderAnswer(std::string_view, const CxDataSetView& answer, bool deliverAtOnce) {
  const SpecialOrderRow row = RowFromAnswer(LineFields(AnswerLineAt(answer, kStatusLine)));
  if (!order_updates::NamesAnOrder(Text(row.szOrderNo))) return;
  std::lock_guard guard(lock_);
  // A push may have brought the order first; it is known under the account
  // the answer names, which the row keeps.
  const bool known =
      typed_rows::FindIndex<SpecialOrderRow>(TableAt(Table::kSpecialOrders), [&](const SpecialOrderRow& stored) {
        return SameSpecialOrder(stored, SelectorsOf(row), Text(row.szTradeAccount));
      }).has_value();
  if (!known) AddSpecialOrder(row, deliverAtOnce);
}

void COperationEngineBase::ApplySpecialCancelAnswer(std::string_view customer, const CxDataSetView& answer,
                                                    bool deliverAtOnce) {
  using namespace cancel_field;
  const LineFields line(AnswerLineAt(answer, kStatusLine));
  std::unique_lock guard(lock_);
  const std::optional<std::uint32_t> index = FindOrFetchSpecialOrder(
      {line.Field(kOrderNo), line.Field(kExchangeCode), line.Field(kOrderSeat)}, customer, guard);
  if (!index) return;
  EngineTable& orders = TableAt(Table::kSpecialOrders);
  SpecialOrderRow order = *typed_rows::RowAt<SpecialOrderRow>(orders, *index);
  if (!order_updates::IsNewer(line.Field(kSequence), order.szStateSequence)) return;
  SetText(order.szFlagOrderState, line.Field(kState));
  SetText(order.szStateSequence, line.Field(kSequence));
  SetText(order.szDelOrderTime, line.Field(kDelOrderTime));
  SetText(order.szDealHands, line.Field(kDealHands));
  SetText(order.szDealPrice, line.Field(kDealPrice));
  if (Text(order.szFlagOrderState) == kCancelled) ReleaseSpecialOrderFrozen(order);
  typed_rows::StoreRow(orders, *index, order);
  RaiseChange(order_updates::RowUpdate(table_id::kSpecialOrders, orders, *index, RowBytes(order)), deliverAtOnce);
}

}  // namespace engine
