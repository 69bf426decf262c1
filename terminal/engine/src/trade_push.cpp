// The trade push (15005): each fill the back end reports, booked once into
// the trades, its order or special order, the positions and the funds.
#include <algorithm>
#include <cstddef>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "backend/field_text.h"
#include "combination_fills.h"
#include "combination_order_legs.h"
#include "download_rows.h"
#include "engine/answer_fields.h"
#include "engine/operation_engine_base.h"
#include "lots.h"
#include "order_updates.h"
#include "position_rows.h"
#include "typed_rows.h"

namespace engine {
namespace {

using download_rows::FillInOrder;
using order_updates::LeadingInteger;
using typed_rows::RowAt;

namespace field {
constexpr int kAccount = 8;
constexpr int kExchangeCode = 9;
constexpr int kOrderNo = 11;
constexpr int kOrderState = 12;
constexpr int kOrderStateText = 13;
constexpr int kContractCode = 14;
constexpr int kAnswerField8 = 15;
constexpr int kOrderLotsOpen = 23;  // of the order, after this fill
constexpr int kPrice = 24;
constexpr int kOrderAveragePrice = 25;
constexpr int kAnswerField17 = 26;
constexpr int kSystemNo = 28;
constexpr int kAccountDay = 30;
constexpr int kStateSequence = 35;
constexpr int kOrderSeat = 37;
// A leg of a special order: the order's combinations filled and still open
// after this fill, and their average price.
constexpr int kCombinationsFilled = 44;
constexpr int kCombinationsOpen = 45;
constexpr int kCombinationAveragePrice = 46;
}  // namespace field

TradeRow TradeRowOf(const LineFields& line) {
  TradeRow trade{};
  FillInOrder(line, field::kAccount, trade.szTradeAccount, trade.szExchangeCode, trade.szAnswerField5, trade.szOrderNo);
  FillInOrder(line, field::kContractCode, trade.szContractCode, trade.szAnswerField8, trade.szNameBS,
              trade.szAnswerField10, trade.szNameEO, trade.szAnswerField12, trade.szNameSH, trade.szAnswerField14,
              trade.szDealHands);
  FillInOrder(line, field::kPrice, trade.szDealPrice);
  FillInOrder(line, field::kAnswerField17, trade.szAnswerField17, trade.szMapCode, trade.szSysNo, trade.szDealNo,
              trade.szAccountDay, trade.szDealTime, trade.szSeatCode, trade.szAnswerField24);
  SetText(trade.szContractCode, line.Trimmed(field::kContractCode));
  SetText(trade.szAnswerField8, line.Trimmed(field::kAnswerField8));
  SetText(trade.szAccountDay, line.Trimmed(field::kAccountDay));
  return trade;
}

// A fill is the same fill again when its account, exchange, fill number and
// side are; a fill without a number cannot be told from another.
// `sameNumber` are the trades of the fill's number.
bool IsBooked(const EngineTable& trades, std::span<const std::uint32_t> sameNumber, const TradeRow& fill) {
  if (!order_updates::NamesAnOrder(Text(fill.szDealNo))) return false;
  return std::ranges::any_of(sameNumber, [&](std::uint32_t index) {
    const std::optional<TradeRow> trade = RowAt<TradeRow>(trades, index);
    return trade && Text(trade->szTradeAccount) == Text(fill.szTradeAccount) &&
           Text(trade->szExchangeCode) == Text(fill.szExchangeCode) && Text(trade->szNameBS) == Text(fill.szNameBS) &&
           order_updates::SameOrderNo(Text(trade->szDealNo), Text(fill.szDealNo));
  });
}

// The margin, fee and premium of a fill's lots, each money-rounded.
struct FillAmounts {
  double margin = 0.0;
  double fee = 0.0;
  double premium = 0.0;
};

// 0 where no rate is known.
FillAmounts FillCosts(COperationEngineBase& engine, const TradeRow& trade, const ContractRow& contract) {
  LotCosts perLot;
  engine.CalcLotCosts(LotOfTrade(trade), contract, perLot);
  const int lots = ReadInt(trade.szDealHands);
  return {RoundMoney(perLot.margin * lots), RoundMoney(perLot.fee * lots), RoundMoney(perLot.premium * lots)};
}

// An amount the trade row shows: none unless it is positive.
template <std::size_t Width>
void SetShownAmount(char (&field)[Width], double amount) {
  if (RoundMoney(amount) > 0.0) SetMoney(field, amount);
}

// The lots of an order (or of combinations of a special order) still open
// before and after a fill: never negative.
int LotsOpenBefore(const auto& order) {
  return ClampLots(static_cast<long long>(ReadInt(order.szOrderHands)) - ReadInt(order.szDealHands));
}
int LotsOpenAfter(const LineFields& line, int fieldNo) { return ClampLots(LeadingInteger(line.Field(fieldNo))); }

// What stays frozen of an amount once `after` of the `before` lots of an
// order are still open (before > after >= 0).
double StillFrozen(double frozen, int before, int after) {
  return after == 0 ? 0.0 : RoundMoney(frozen * after / before);
}

// Frees the part of a frozen amount field that the lots filled used up and
// returns it.
template <std::size_t Width>
double FreeFilledPart(char (&frozenField)[Width], int before, int after) {
  const double frozen = ReadMoney(frozenField);
  const double still = StillFrozen(frozen, before, after);
  SetMoney(frozenField, still);
  return frozen - still;
}

bool IsBuy(std::string_view buySell) { return buySell == position_rows::kBuy; }

}  // namespace

void COperationEngineBase::OnTradePush(std::string_view pushed) {
  const LineFields line(pushed);
  TradeRow trade = TradeRowOf(line);
  // A fill of no account would be booked into no one's trades and positions.
  if (backend::TrimBlanks(Text(trade.szTradeAccount)).empty()) {
    WriteLog("成交推送缺少资金账号，未处理。", 1);
    return;
  }
  ContractRow contract{};  // an unknown contract is futures with multiplier 0
  FindContract(Text(trade.szExchangeCode), Text(trade.szContractCode), contract);
  // Taken without the lock: a sold option's margin may ask the quote table.
  const FillAmounts costs = FillCosts(*this, trade, contract);

  std::unique_lock guard(lock_);
  const std::optional<FillOrder> order = FindOrFetchFillOrder(
      {line.Field(field::kOrderNo), line.Field(field::kExchangeCode), line.Field(field::kOrderSeat)},
      line.Field(field::kAccount), guard);

  // A fill the engine holds already (a push repeated, or a download that
  // asked for the orders before the fill and for the trades after it) may
  // still be news to its order, which is advanced below. An order advances
  // only by the lots the push leaves open, so a fill it knows changes
  // nothing.
  const bool booked = IsBooked(TableAt(Table::kTrades), TradeRowsOf(Text(trade.szDealNo)), trade);
  FrozenSums released;  // of an ordinary order; a special order frees its legs itself
  std::optional<combination_fills::CombinationLeg> leg;
  if (order && order->table == Table::kOrders) {
    released = AdvanceOrder(order->index, line);
  } else if (order) {
    // Without its kind a special order is not advanced, and its fill is
    // booked as a single-contract one, as the replay of a download books it.
    const SpecialOrderRow special = *RowAt<SpecialOrderRow>(TableAt(Table::kSpecialOrders), order->index);
    if (OrderKindRow kind{}; combination_order_legs::FindKindOf(*this, special, kind)) {
      AdvanceSpecialOrder(order->index, line, kind);
      leg = combination_fills::LegOf(special, kind, Text(trade.szContractCode));
    }
  }
  if (booked) {
    ReleaseToFund(Text(trade.szTradeAccount), released);
    return;
  }

  // A combination leg holds its kind's share of the margin, as the back end
  // books it.
  const double margin = RoundMoney(costs.margin * (leg ? leg->marginFactor : 1.0));
  SetShownAmount(trade.szMargin, margin);
  SetShownAmount(trade.szCommission, costs.fee);
  SetShownAmount(trade.szRoyalty, costs.premium);
  const int multiplier = ReadInt(contract.szVolumePerHand);
  if (Text(trade.szNameEO) == position_rows::kOpen) {
    if (leg) {
      typed_rows::AppendRow(
          TableAt(Table::kCombinationDetails),
          combination_fills::NewCombinationLeg(trade, contract, GetLoginTexts().tradingDate, *leg, margin));
    }
    AddTradePosition({.price = Text(trade.szDealPrice),
                      .lots = ReadInt(trade.szDealHands),
                      .account = Text(trade.szTradeAccount),
                      .exchangeCode = Text(trade.szExchangeCode),
                      .seatCode = Text(trade.szSeatCode),
                      .tradeCode = Text(trade.szMapCode),
                      .contractCode = Text(trade.szContractCode),
                      .buySell = Text(trade.szNameBS),
                      .hedge = Text(trade.szNameSH),
                      .dealNo = Text(trade.szDealNo),
                      .combinationKind = leg ? combination_fills::kLegKind : position_rows::kOrdinaryKind,
                      .multiplier = multiplier,
                      .releasedFrozenMargin = released.buy + released.sell,
                      .releasedFrozenFee = released.fee,
                      .margin = margin,
                      .fee = costs.fee,
                      .releasedFrozenPremium = released.premium,
                      .premium = costs.premium,
                      .contract = &contract});
  } else {
    BookClosingFill(trade, multiplier, costs.fee, released, guard);
  }
  AppendPushedTrade(trade);
}

std::optional<COperationEngineBase::FillOrder> COperationEngineBase::FindOrFetchFillOrder(
    const OrderSelectors& order, std::string_view account, std::unique_lock<platform::CriticalSection>& guard) {
  const auto sameSpecialOrder = [&](const SpecialOrderRow& row) {
    return Text(row.szTradeAccount) == account && Text(row.szExchangeCode) == order.exchangeCode &&
           Text(row.szOrderSeat) == order.orderSeat && order_updates::SameOrderNo(Text(row.szOrderNo), order.orderNo);
  };
  const auto sameOrder = [&](const OrderRow& row) { return order_updates::SameOrder(row, order, account); };
  const auto findHeld = [&]() -> std::optional<FillOrder> {
    if (const auto index = typed_rows::FindIndex<SpecialOrderRow>(TableAt(Table::kSpecialOrders), sameSpecialOrder)) {
      return FillOrder{Table::kSpecialOrders, *index};
    }
    if (const auto index = FindOrderRow(order, account)) {
      return FillOrder{Table::kOrders, *index};
    }
    return std::nullopt;
  };

  if (const std::optional<FillOrder> held = findHeld()) return held;
  if (!order_updates::NamesAnOrder(order.orderNo)) return std::nullopt;
  TableChangeRecord record;
  guard.unlock();
  const bool fetched = QueryOrderRecord(order, account, record);
  guard.lock();
  if (!fetched) return std::nullopt;
  // Another thread may have stored it meanwhile.
  if (const std::optional<FillOrder> held = findHeld()) return held;
  if (const auto row = order_updates::FetchedRow<SpecialOrderRow>(record, table_id::kSpecialOrders, sameSpecialOrder)) {
    const std::optional<std::uint32_t> index = AddSpecialOrder(*row, kAtOnce);
    return index ? std::optional(FillOrder{Table::kSpecialOrders, *index}) : std::nullopt;
  }
  if (const auto row = order_updates::FetchedRow<OrderRow>(record, table_id::kOrders, sameOrder)) {
    const std::optional<std::uint32_t> index = AddOrder(*row, kAtOnce);
    return index ? std::optional(FillOrder{Table::kOrders, *index}) : std::nullopt;
  }
  return std::nullopt;
}

FrozenSums COperationEngineBase::AdvanceOrder(std::uint32_t index, const LineFields& line) {
  EngineTable& orders = TableAt(Table::kOrders);
  OrderRow order = *RowAt<OrderRow>(orders, index);
  const int lots = ReadInt(order.szOrderHands);
  const int before = LotsOpenBefore(order);
  const int after = LotsOpenAfter(line, field::kOrderLotsOpen);
  if (after >= before) return {};  // a repeated or late fill

  const double margin = FreeFilledPart(order.szFrozenCautionMoney, before, after);
  FrozenSums released{.fee = FreeFilledPart(order.szFrozenCharge, before, after),
                      .premium = FreeFilledPart(order.szFrozenPremium, before, after)};
  (IsBuy(Text(order.szNameBS)) ? released.buy : released.sell) = margin;
  SetText(order.szFlagOrderState, line.Field(field::kOrderState));
  SetText(order.szOrderStateText, line.Field(field::kOrderStateText));
  SetInt(order.szDealHands, SaturateLots(static_cast<long long>(lots) - after));
  SetText(order.szDealPrice, line.Field(field::kOrderAveragePrice));
  SetText(order.szStateSequence, line.Field(field::kStateSequence));
  SetText(order.szSysNo, line.Field(field::kSystemNo));
  typed_rows::StoreRow(orders, index, order);
  RaiseChange(order_updates::RowUpdate(table_id::kOrders, orders, index, RowBytes(order)), kAtOnce);
  return released;
}

void COperationEngineBase::AdvanceSpecialOrder(std::uint32_t index, const LineFields& line, const OrderKindRow& kind) {
  EngineTable& specialOrders = TableAt(Table::kSpecialOrders);
  SpecialOrderRow order = *RowAt<SpecialOrderRow>(specialOrders, index);
  const int before = LotsOpenBefore(order);
  const int after = LotsOpenAfter(line, field::kCombinationsOpen);
  // Every leg's fill tells the combinations filled: the first one advances
  // the order.
  if (after >= before) return;

  FrozenSums released;
  const std::span<const OrderKindLeg> legs = DefinedLegs(kind);
  for (std::size_t leg = 0; leg < legs.size(); ++leg) {
    const double margin = FreeFilledPart(order.*combination_order_legs::kFrozenMoney[leg], before, after);
    (IsBuy(Text(legs[leg].szFlagBS)) ? released.buy : released.sell) += margin;
    released.fee += FreeFilledPart(order.*combination_order_legs::kFrozenCharge[leg], before, after);
  }
  SetText(order.szStateSequence, line.Field(field::kStateSequence));
  SetText(order.szDealHands, line.Field(field::kCombinationsFilled));
  SetText(order.szDealPrice, line.Field(field::kCombinationAveragePrice));
  if (after == 0) {
    SetText(order.szFlagOrderState, "c");
  } else if (ReadInt(order.szDealHands) > 0) {
    SetText(order.szFlagOrderState, "p");
  }
  SetText(order.szSysNo, line.Field(field::kSystemNo));
  typed_rows::StoreRow(specialOrders, index, order);
  RaiseChange(order_updates::RowUpdate(table_id::kSpecialOrders, specialOrders, index, RowBytes(order)), kAtOnce);
  ReleaseToFund(Text(order.szTradeAccount), released);
}

void COperationEngineBase::ReleaseToFund(std::string_view account, const FrozenSums& released) {
  if (released.buy == 0.0 && released.sell == 0.0 && released.fee == 0.0 && released.premium == 0.0) return;
  const double total = released.buy + released.sell + released.fee + released.premium;
  EngineTable& funds = TableAt(Table::kFunds);
  const std::optional<std::uint32_t> index =
      typed_rows::FindIndex<FundRow>(funds, [&](const FundRow& fund) { return Text(fund.szTradeAccount) == account; });
  if (!index) return;
  FundRow fund = *RowAt<FundRow>(funds, *index);
  SetMoney(fund.szBFreeze, ReadMoney(fund.szBFreeze) - released.buy);
  SetMoney(fund.szSFreeze, ReadMoney(fund.szSFreeze) - released.sell);
  SetMoney(fund.szFreezeCommissionCharge, ReadMoney(fund.szFreezeCommissionCharge) - released.fee);
  SetMoney(fund.szFrozenRoyalty, ReadMoney(fund.szFrozenRoyalty) - released.premium);
  SetMoney(fund.szTotalFreeze, ReadMoney(fund.szTotalFreeze) - total);
  SetMoney(fund.szUsableMoney, ReadMoney(fund.szUsableMoney) + total);
  typed_rows::StoreRow(funds, *index, fund);
  RaiseChange(order_updates::FundChange(RowBytes(fund)), kAtOnce);
}

void COperationEngineBase::BookClosingFill(const TradeRow& trade, int multiplier, double fee,
                                           const FrozenSums& released,
                                           std::unique_lock<platform::CriticalSection>& guard) {
  // A closing order freezes no margin the fill could book; should it hold
  // some, it goes back to the funds all the same.
  ReleaseToFund(Text(trade.szTradeAccount), {.buy = released.buy, .sell = released.sell});
  LegList legs;
  guard.unlock();
  CloseByStrategy(CloseStrategyOf(Text(trade.szExchangeCode), Text(trade.szNameEO)), legs,
                  {.account = Text(trade.szTradeAccount),
                   .exchangeCode = Text(trade.szExchangeCode),
                   .seatCode = Text(trade.szSeatCode),
                   .tradeCode = Text(trade.szMapCode),
                   .contractCode = Text(trade.szContractCode),
                   .buySell = Text(trade.szNameBS),
                   .hedge = Text(trade.szNameSH),
                   .lots = ReadInt(trade.szDealHands)});
  guard.lock();
  UpdatePositionSummary({.price = Text(trade.szDealPrice),
                         .account = Text(trade.szTradeAccount),
                         .exchangeCode = Text(trade.szExchangeCode),
                         .seatCode = Text(trade.szSeatCode),
                         .tradeCode = Text(trade.szMapCode),
                         .contractCode = Text(trade.szContractCode),
                         .hedge = Text(trade.szNameSH),
                         .buySell = Text(trade.szNameBS),
                         .multiplier = multiplier,
                         .releasedFrozenFee = released.fee,
                         .fee = fee,
                         .releasedFrozenPremium = released.premium});
  // Each summary row the broken-up legs changed is rebuilt once.
  std::vector<PositionKey> rebuilt;
  for (const ReleasedLeg& leg : legs) {
    if (leg.position == PositionKey{} || std::ranges::find(rebuilt, leg.position) != rebuilt.end()) continue;
    RecomputeSummaryMargin(leg.position);
    rebuilt.push_back(leg.position);
  }
}

void COperationEngineBase::AppendPushedTrade(const TradeRow& trade) {
  EngineTable& trades = TableAt(Table::kTrades);
  // A row the table cannot take is lost, and the GUI is told of none.
  if (!typed_rows::AppendRow(trades, trade)) return;
  const int count = static_cast<int>(trades.GetCount());
  RaiseChange(
      TableChangeRecord::RowChange(table_id::kTrades, TableChangeRecord::kInsert, count, count - 1, RowBytes(trade)),
      kAtOnce);
}

}  // namespace engine
