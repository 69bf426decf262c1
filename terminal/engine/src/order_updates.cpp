// An order added to the engine's tables with its amounts frozen in the
// account's funds, the release of those amounts, and an order found locally
// or fetched from the back end.
#include "order_updates.h"

#include <charconv>
#include <iterator>
#include <mutex>

#include "backend/field_text.h"
#include "engine/operation_engine_base.h"
#include "order_flags.h"

namespace engine {
namespace order_updates {
namespace {

// The last character before any trailing blanks ParseDecimal would trim; 0
// for a blank text.
char LastNonBlank(std::string_view text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text.empty() ? '\0' : text.back();
}

}  // namespace

std::string OrderNoKey(std::string_view orderNo) {
  std::string key;
  AppendOrderNoKey(key, orderNo);
  return key;
}

void AppendOrderNoKey(std::string& key, std::string_view orderNo) {
  // A number and a text of the same digits must not meet: "#" and "=" keep
  // them apart.
  if (const std::optional<int> value = backend::ParseDecimal(orderNo)) {
    char digits[16];
    const std::to_chars_result written = std::to_chars(std::begin(digits), std::end(digits), *value);
    key.push_back('#');
    key.append(digits, written.ptr);
    return;
  }
  key.push_back('=');
  key.append(orderNo);
}

bool SameOrderNo(std::string_view a, std::string_view b) {
  if (a == b) return true;
  // Two numbers of the same value end in the same digit: most other orders
  // of a table differ there and need no parsing.
  if (LastNonBlank(a) != LastNonBlank(b)) return false;
  const std::optional<int> valueA = backend::ParseDecimal(a);
  const std::optional<int> valueB = backend::ParseDecimal(b);
  return valueA && valueB && *valueA == *valueB;
}

bool SameOrder(const OrderRow& row, const OrderSelectors& order, std::string_view account) {
  return Text(row.szTradeAccount) == account && Text(row.szExchangeCode) == order.exchangeCode &&
         Text(row.szOrderSeat) == order.orderSeat && SameOrderNo(Text(row.szOrderNo), order.orderNo);
}

OrderSelectors SelectorsOf(const OrderRow& row) {
  return {Text(row.szOrderNo), Text(row.szExchangeCode), Text(row.szOrderSeat)};
}

long long LeadingInteger(std::string_view text) {
  text = backend::TrimBlanks(text);
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc{} ? value : 0;
}

double NumberOf(std::string_view text) {
  // As wide as any amount field of a row.
  char field[32];
  SetText(field, text);
  return ReadNumber(field);
}

}  // namespace order_updates

namespace {

using order_updates::FundChange;

using order_flags::kBuy;

struct FrozenAmounts {
  double margin;
  double fee;
  double premium;
  double Total() const { return margin + fee + premium; }
  bool None() const { return margin == 0.0 && fee == 0.0 && premium == 0.0; }
};

FrozenAmounts FrozenOf(const OrderRow& order) {
  return {ReadMoney(order.szFrozenCautionMoney), ReadMoney(order.szFrozenCharge), ReadMoney(order.szFrozenPremium)};
}

// Moves the order's frozen amounts into (`sign` 1) or out of (-1) the first
// fund row of its account and stores the row; nothing when the account has
// none. The other direction's frozen margin keeps its text.
std::optional<FundRow> ShiftFrozen(EngineTable& funds, const OrderRow& order, double sign) {
  const std::optional<std::uint32_t> index = order_updates::FindIndex<FundRow>(
      funds, [&](const FundRow& fund) { return Text(fund.szTradeAccount) == Text(order.szTradeAccount); });
  if (!index) return std::nullopt;
  FundRow fund = *typed_rows::RowAt<FundRow>(funds, *index);
  const FrozenAmounts frozen = FrozenOf(order);
  auto& sideFrozen = Text(order.szNameBS) == kBuy ? fund.szBFreeze : fund.szSFreeze;
  SetMoney(sideFrozen, ReadMoney(sideFrozen) + sign * frozen.margin);
  SetMoney(fund.szTotalFreeze, ReadMoney(fund.szTotalFreeze) + sign * frozen.Total());
  SetMoney(fund.szFreezeCommissionCharge, ReadMoney(fund.szFreezeCommissionCharge) + sign * frozen.fee);
  SetMoney(fund.szUsableMoney, ReadMoney(fund.szUsableMoney) - sign * frozen.Total());
  SetMoney(fund.szFrozenRoyalty, ReadMoney(fund.szFrozenRoyalty) + sign * frozen.premium);
  typed_rows::StoreRow(funds, *index, fund);
  return fund;
}

}  // namespace

std::optional<std::uint32_t> COperationEngineBase::AddOrder(const OrderRow& row, bool deliverAtOnce) {
  std::lock_guard guard(lock_);
  EngineTable& orders = TableAt(Table::kOrders);
  if (!typed_rows::AppendRow(orders, row)) return std::nullopt;
  const auto index = static_cast<std::uint32_t>(orders.GetCount() - 1);
  RaiseChange(TableChangeRecord::RowChange(table_id::kOrders, TableChangeRecord::kInsert,
                                           static_cast<int>(orders.GetCount()), static_cast<int>(index), RowBytes(row)),
              deliverAtOnce);
  if (const std::optional<FundRow> fund = ShiftFrozen(TableAt(Table::kFunds), row, 1.0)) {
    RaiseChange(FundChange(RowBytes(*fund)), deliverAtOnce);
  }
  return index;
}

void COperationEngineBase::ReleaseOrderFrozen(OrderRow& order, bool deliverAtOnce) {
  std::lock_guard guard(lock_);
  if (FrozenOf(order).None()) return;
  const std::optional<FundRow> fund = ShiftFrozen(TableAt(Table::kFunds), order, -1.0);
  if (!fund) return;
  RaiseChange(FundChange(RowBytes(*fund)), deliverAtOnce);
  for (auto* amount : {&order.szFrozenCautionMoney, &order.szFrozenCharge, &order.szFrozenPremium}) {
    SetMoney(*amount, 0.0);
  }
}

std::optional<std::uint32_t> COperationEngineBase::FindOrFetchOrder(
    const OrderSelectors& order, std::string_view account, std::unique_lock<platform::CriticalSection>& guard) {
  const auto matches = [&](const OrderRow& row) { return order_updates::SameOrder(row, order, account); };
  const auto fetch = [&]() -> std::optional<OrderRow> {
    TableChangeRecord record;
    if (!QueryOrderRecord(order, account, record)) return std::nullopt;
    // A special order of the same keys is no order of this table.
    return order_updates::FetchedRow<OrderRow>(record, table_id::kOrders, matches);
  };
  return order_updates::FindOrFetchWith<OrderRow>(
      guard, order.orderNo, [&] { return FindOrderRow(order, account); }, fetch,
      [&](const OrderRow& row) { return AddOrder(row, true); });
}

}  // namespace engine
