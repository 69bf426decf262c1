// What an account may still open and close before an order is sent: in one
// contract, or in one combination strategy.
#include "engine/order_quantities.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <mutex>
#include <optional>
#include <span>
#include <string>

#include "engine/operation_engine.h"
#include "lots.h"
#include "order_flags.h"
#include "typed_rows.h"

namespace engine {
namespace {

using typed_rows::AllRows;

using order_flags::kBuy;
using order_flags::kClose;
using order_flags::kOpen;
using order_flags::kSell;

// The positions the quantities count: an empty trade code matches any.
struct PositionFilter {
  std::string_view account;
  std::string_view exchangeCode;
  std::string_view contractCode;
  std::string_view hedge;
  std::string_view tradeCode;
  std::string_view seatCode;
};

struct HeldLots {
  long long buy = 0;
  long long sell = 0;
  long long todayBuy = 0;
  long long todaySell = 0;
};

HeldLots SumHeld(const EngineTable& summary, const PositionFilter& filter) {
  HeldLots held;
  for (const PositionSummaryRow& row : AllRows<PositionSummaryRow>(summary)) {
    if (Text(row.szTradeAccount) != filter.account || Text(row.szExchangeCode) != filter.exchangeCode ||
        Text(row.szSeatCode) != filter.seatCode || Text(row.szContractCode) != filter.contractCode ||
        Text(row.szFlagSH) != filter.hedge || (!filter.tradeCode.empty() && Text(row.szMapCode) != filter.tradeCode)) {
      continue;
    }
    const bool buy = Text(row.szFlagBS) == kBuy;
    (buy ? held.buy : held.sell) += ReadInt(row.szPositionVolume);
    (buy ? held.todayBuy : held.todaySell) += ReadInt(row.szTodayVolume);
  }
  return held;
}

PendingCloseKey PendingKey(const PositionFilter& filter, std::string_view buySell) {
  return {.account = filter.account,
          .exchangeCode = filter.exchangeCode,
          .tradeCode = filter.tradeCode,
          .contractCode = filter.contractCode,
          .hedge = filter.hedge,
          .buySell = buySell};
}

// Held lots, and what closing buys and sells may still close of them.
void FillVolumes(QuantityRecord& record, const HeldLots& held, const PendingCloseLots& pendingBuy,
                 const PendingCloseLots& pendingSell) {
  record.heldBuy = ClampLots(held.buy);
  record.heldSell = ClampLots(held.sell);
  record.heldTodayBuy = ClampLots(held.todayBuy);
  record.heldTodaySell = ClampLots(held.todaySell);
  // A buy closes sell positions, a sell closes buy positions.
  record.closableBuy = ClampLots(held.sell - pendingBuy.lots);
  record.closableSell = ClampLots(held.buy - pendingSell.lots);
  record.closableTodayBuy = std::min(ClampLots(held.todaySell - pendingBuy.todayLots), record.closableBuy);
  record.closableTodaySell = std::min(ClampLots(held.todayBuy - pendingSell.todayLots), record.closableSell);
}

double UsableMoney(const EngineTable& funds, std::string_view account) {
  const std::optional<FundRow> fund =
      typed_rows::FindRow<FundRow>(funds, [&](const FundRow& row) { return Text(row.szTradeAccount) == account; });
  return fund ? ReadMoney(fund->szUsableMoney) : 0.0;
}

// What one lot of an order takes from the funds: its margin (by the margin
// factor of a combination leg) and fee, and, once, the premium a buyer pays.
double CostPerLot(const LotCosts& costs, std::string_view buySell, double marginFactor = 1.0) {
  return costs.margin * marginFactor + costs.fee + (buySell == kBuy ? costs.premium : 0.0);
}

// Whole lots the funds pay for; none when a lot costs nothing or the funds
// are not above 0.
int AffordableLots(double funds, double costPerLot) {
  if (!(costPerLot > 0.0) || !(funds > 0.0)) return 0;
  const double lots = std::floor(funds / costPerLot);
  return lots >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(lots);
}

// Lots a combination leg may still close, per leg of a kind; nothing for an
// opening leg.
using LegClosableLots = std::array<std::optional<long long>, 4>;

// Combinations of one kind the funds and the closing legs allow; -1 where
// neither sets a bound.
int CombinationVolume(COperationEngineBase& engine, const CombinationQuantityQuery& query, const OrderKindRow& kind,
                      const LegClosableLots& closable, double funds) {
  double cost = 0.0;
  std::optional<long long> bound;
  const std::span<const OrderKindLeg> legs = DefinedLegs(kind);
  for (std::size_t leg = 0; leg < legs.size(); ++leg) {
    const std::string_view contractCode = query.legContracts[leg];
    const int ratio = ReadInt(legs[leg].szVolumeRatio);
    if (closable[leg] && ratio > 0) {
      const long long legBound = std::max(*closable[leg], 0LL) / ratio;
      bound = bound ? std::min(*bound, legBound) : legBound;
    }
    ContractRow contract{};
    if (!engine.FindContract(query.exchangeCode, contractCode, contract)) continue;
    LotCosts costs;
    engine.CalcOptionMargin({.exchangeCode = query.exchangeCode,
                             .seatCode = query.seatCode,
                             .contractCode = contractCode,
                             .buySell = Text(legs[leg].szFlagBS),
                             .openClose = Text(legs[leg].szFlagEO),
                             .hedge = query.hedge,
                             .customer = query.account,
                             .price = engine.GetLastPrice(query.exchangeCode, contractCode)},
                            costs);
    cost += CostPerLot(costs, Text(legs[leg].szFlagBS), ReadMoney(legs[leg].szMarginFactor)) * ratio;
  }
  if (cost > 0.0) {
    const int affordable = AffordableLots(funds, cost);
    return bound ? static_cast<int>(std::min<long long>(affordable, *bound)) : affordable;
  }
  return bound ? ClampLots(*bound) : -1;
}

}  // namespace

bool COperationEngineBase::GetPositionQuantities(QuantityRecord& record, bool volumesOnly, std::string& /*error*/) {
  const PositionFilter filter{.account = Text(record.szTradeAccount),
                              .exchangeCode = Text(record.szExchangeCode),
                              .contractCode = Text(record.szContractCode),
                              .hedge = Text(record.szFlagSH),
                              .tradeCode = Text(record.szMapCode),
                              .seatCode = Text(record.szSeatCode)};
  record.usableMoney = 0.0;
  record.openableBuy = record.openableSell = 0;
  double funds = 0.0;
  {
    std::lock_guard guard(lock_);
    FillVolumes(record, SumHeld(TableAt(Table::kPositionSummary), filter), SumDirectionVolume(PendingKey(filter, kBuy)),
                SumDirectionVolume(PendingKey(filter, kSell)));
    if (volumesOnly) return true;
    funds = UsableMoney(TableAt(Table::kFunds), filter.account);
  }
  record.usableMoney = funds;
  ContractRow contract{};
  if (!FindContract(filter.exchangeCode, filter.contractCode, contract)) return true;
  // The costs are worked out without the lock: a missing price may be asked
  // from the quotes.
  const double price = ReadNumber(record.szPrice) == 0.0 ? GetLastPrice(filter.exchangeCode, filter.contractCode)
                                                         : ReadMoney(record.szPrice);
  const auto openingCostPerLot = [&](std::string_view buySell) {
    LotCosts costs;
    CalcOptionMargin({.exchangeCode = filter.exchangeCode,
                      .seatCode = filter.seatCode,
                      .contractCode = filter.contractCode,
                      .buySell = buySell,
                      .openClose = kOpen,
                      .hedge = filter.hedge,
                      .customer = filter.account,
                      .price = price},
                     costs);
    return CostPerLot(costs, buySell);
  };
  record.openableBuy = AffordableLots(funds, openingCostPerLot(kBuy));
  record.openableSell = AffordableLots(funds, openingCostPerLot(kSell));
  return true;
}

bool COperationEngineBase::GetCombinationQuantities(const CombinationQuantityQuery& query,
                                                    CombinationQuantities& quantities, std::string& error) {
  quantities = {};
  // The strategy's kind once for closing and once for opening.
  std::array<OrderKindRow, 2> kinds{};
  if (!FindOrderKind(query.exchangeCode, query.strategyCode, query.key3, query.key4, kClose, kinds[0]) ||
      !FindOrderKind(query.exchangeCode, query.strategyCode, query.key3, query.key4, kOpen, kinds[1])) {
    error = kStrategyNotFoundText;
    return false;
  }
  std::array<LegClosableLots, 2> closable{};
  {
    std::lock_guard guard(lock_);
    quantities.usableMoney = UsableMoney(TableAt(Table::kFunds), query.account);
    for (std::size_t kind = 0; kind < kinds.size(); ++kind) {
      const std::span<const OrderKindLeg> legs = DefinedLegs(kinds[kind]);
      for (std::size_t leg = 0; leg < legs.size(); ++leg) {
        const std::string_view buySell = Text(legs[leg].szFlagBS);
        if (Text(legs[leg].szFlagEO) == kOpen) continue;
        const PositionFilter filter{.account = query.account,
                                    .exchangeCode = query.exchangeCode,
                                    .contractCode = query.legContracts[leg],
                                    .hedge = query.hedge,
                                    .tradeCode = query.tradeCode,
                                    .seatCode = query.seatCode};
        const HeldLots held = SumHeld(TableAt(Table::kPositionSummary), filter);
        closable[kind][leg] =
            (buySell == kBuy ? held.sell : held.buy) - SumDirectionVolume(PendingKey(filter, buySell)).lots;
      }
    }
  }
  quantities.closable = CombinationVolume(*this, query, kinds[0], closable[0], quantities.usableMoney);
  quantities.openable = CombinationVolume(*this, query, kinds[1], closable[1], quantities.usableMoney);
  return true;
}

bool COperationEngine::GetPositionQuantities(QuantityRecord& record, bool volumesOnly, std::string& error) {
  return CheckBusy(error) && COperationEngineBase::GetPositionQuantities(record, volumesOnly, error);
}

bool COperationEngine::GetCombinationQuantities(const CombinationQuantityQuery& query,
                                                CombinationQuantities& quantities, std::string& error) {
  return CheckBusy(error) && COperationEngineBase::GetCombinationQuantities(query, quantities, error);
}

bool GetClosableVolume(COperationEngine& engine, QuantityRecord& record, bool volumesOnly, std::string& error) {
  return engine.GetPositionQuantities(record, volumesOnly, error);
}

}  // namespace engine
