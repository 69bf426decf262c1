// The account's frozen amounts, position margins and option values, and the
// lots its pending close orders will close.
#include <algorithm>
#include <array>
#include <mutex>
#include <span>

#include "combination_order_legs.h"
#include "engine/operation_engine_base.h"
#include "lots.h"
#include "order_flags.h"
#include "typed_rows.h"

namespace engine {
namespace {

using combination_order_legs::FindKindOf;
using typed_rows::AllRows;
using typed_rows::FieldIn;

using order_flags::kBuy;
using order_flags::kCloseToday;
using order_flags::kOpen;

// Order states in which an order still waits to be traded.
bool IsPendingState(std::string_view state) {
  static constexpr std::array<std::string_view, 6> kPending{"a", "n", "p", "f", "g", "s"};
  return std::ranges::find(kPending, state) != kPending.end();
}

// An empty key matches every text.
bool KeyMatches(std::string_view key, std::string_view text) { return key.empty() || key == text; }

bool IsPendingClose(const OrderRow& order, const PendingCloseKey& key) {
  return Text(order.szTradeAccount) == key.account && Text(order.szExchangeCode) == key.exchangeCode &&
         KeyMatches(key.tradeCode, Text(order.szMapCode)) && Text(order.szContractCode) == key.contractCode &&
         Text(order.szNameSH) == key.hedge && Text(order.szNameBS) == key.buySell &&
         KeyMatches(key.combinationCode, Text(order.szOrderType)) && Text(order.szNameEO) != kOpen &&
         IsPendingState(Text(order.szFlagOrderState));
}

bool IsPendingSpecial(const SpecialOrderRow& order, const PendingCloseKey& key) {
  return Text(order.szTradeAccount) == key.account && Text(order.szExchangeCode) == key.exchangeCode &&
         KeyMatches(key.tradeCode, Text(order.szMapCode)) &&
         KeyMatches(key.combinationCode, Text(order.szStrategyCode)) && IsPendingState(Text(order.szFlagOrderState));
}

long long OpenLots(const auto& order) {
  return static_cast<long long>(ReadInt(order.szOrderHands)) - ReadInt(order.szDealHands);
}

void AddBySide(std::string_view buySell, double amount, double& buy, double& sell) {
  (buySell == kBuy ? buy : sell) += amount;
}

}  // namespace

FrozenSums COperationEngineBase::SumAccountFrozen(std::string_view account) const {
  std::lock_guard guard(lock_);
  FrozenSums sums;
  // The day's orders are read in place: copied, they would be a hundred
  // megabytes on a busy day, for four fields of each.
  TableAt(Table::kOrders).ForEach([&](std::uint32_t, std::span<const std::uint8_t> order) {
    if (order.size() < sizeof(OrderRow) || FieldIn(order, &OrderRow::szTradeAccount) != account) return;
    const auto money = [&](const auto member) { return RoundMoney(ParseNumber(FieldIn(order, member)).value_or(0.0)); };
    AddBySide(FieldIn(order, &OrderRow::szNameBS), money(&OrderRow::szFrozenCautionMoney), sums.buy, sums.sell);
    sums.fee += money(&OrderRow::szFrozenCharge);
    sums.premium += money(&OrderRow::szFrozenPremium);
  });
  for (const SpecialOrderRow& order : AllRows<SpecialOrderRow>(TableAt(Table::kSpecialOrders))) {
    OrderKindRow kind{};
    if (Text(order.szTradeAccount) != account || !FindKindOf(*this, order, kind)) continue;
    combination_order_legs::AddLegFrozen(order, kind, sums);
  }
  return sums;
}

MarginSums COperationEngineBase::SumSummaryMargins(std::string_view account) const {
  std::lock_guard guard(lock_);
  MarginSums sums;
  for (const PositionSummaryRow& row : AllRows<PositionSummaryRow>(TableAt(Table::kPositionSummary))) {
    if (Text(row.szTradeAccount) != account) continue;
    AddBySide(Text(row.szFlagBS), Round(ReadNumber(row.szEngrossCautionMoney), kPerLotRounding), sums.buy, sums.sell);
  }
  return sums;
}

OptionValueSums COperationEngineBase::SumOptionValues(std::string_view account) const {
  std::lock_guard guard(lock_);
  OptionValueSums sums;
  for (const PositionSummaryRow& row : AllRows<PositionSummaryRow>(TableAt(Table::kPositionSummary))) {
    if (Text(row.szTradeAccount) != account) continue;
    sums.floatingProfit += ReadMoney(row.szProfitAndLoss_CC);
    sums.marketValue += ReadMoney(row.szOptionMarketValue);
    sums.inTheMoney += ReadMoney(row.szFLOATINGMARGIN);
  }
  return sums;
}

PendingCloseLots COperationEngineBase::SumDirectionVolume(const PendingCloseKey& key) const {
  std::lock_guard guard(lock_);
  long long lots = 0;
  long long todayLots = 0;
  for (const OrderRow& order : AllRows<OrderRow>(TableAt(Table::kOrders))) {
    if (!IsPendingClose(order, key)) continue;
    lots += OpenLots(order);
    if (Text(order.szNameEO) == kCloseToday) todayLots += OpenLots(order);
  }
  for (const SpecialOrderRow& order : AllRows<SpecialOrderRow>(TableAt(Table::kSpecialOrders))) {
    OrderKindRow kind{};
    if (!IsPendingSpecial(order, key) || !FindKindOf(*this, order, kind)) continue;
    const std::span<const OrderKindLeg> legs = DefinedLegs(kind);
    for (std::size_t leg = 0; leg < legs.size(); ++leg) {
      const bool closesThisSide = Text(legs[leg].szFlagEO) != kOpen && Text(legs[leg].szFlagBS) == key.buySell;
      if (closesThisSide && Text(order.*combination_order_legs::kContractCode[leg]) == key.contractCode) {
        lots += ReadInt(legs[leg].szVolumeRatio) * OpenLots(order);
      }
    }
  }
  return {ClampLots(lots), ClampLots(todayLots)};
}

}  // namespace engine
