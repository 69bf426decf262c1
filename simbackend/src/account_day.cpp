#include "account_day.h"

#include <algorithm>
#include <cstdlib>

namespace simbackend {
namespace {

double Multiplier(const BackendData& data, std::size_t contract) {
  return static_cast<double>(data.VarietyOf(data.contracts[contract]).multiplier);
}

bool IsOption(const BackendData& data, std::size_t contract) {
  return data.contracts[contract].kind == ContractKind::kOption;
}

// The lots and the cost at holding prices of the details of one position.
struct PositionSum {
  std::int64_t lots = 0;
  double cost = 0;    // money, two decimals
  double margin = 0;  // money, two decimals
};

// The details that make up one position: contract, hedge, side, trade code and seat.
bool SamePosition(const HeldDetail& a, const HeldDetail& b) {
  return a.contract == b.contract && a.hedge == b.hedge && a.buySell == b.buySell && a.tradeCode == b.tradeCode &&
         a.seat == b.seat;
}

PositionSum SumOf(const BackendData& data, const std::vector<HeldDetail>& details, const HeldDetail& key) {
  PositionSum sum;
  double cost = 0;
  double margin = 0;
  for (const HeldDetail& d : details) {
    if (!SamePosition(d, key)) continue;
    sum.lots += d.lots;
    // Added up as the terminal sums its position details: each detail's
    // holding price times its lots, the running total rounded to cents.
    cost = RoundMoney(cost + static_cast<double>(d.lots) * PriceValue(data, d.contract, d.positionPrice));
    margin += RoundMoney(d.margin);
  }
  sum.cost = Fixed2(cost);
  sum.margin = Fixed2(margin);
  return sum;
}

bool InScope(CloseScope scope, const HeldDetail& detail) {
  return scope == CloseScope::kAny || detail.today == (scope == CloseScope::kToday);
}

// Whether `a` is closed before `b` under the strategy: 3 the newest first,
// else the oldest; then the smaller deal number. Today's positions are newer
// than those held over night whatever date the replay gives them.
bool ClosedBefore(int strategy, const HeldDetail& a, const HeldDetail& b) {
  if (a.today != b.today) return strategy == 3 ? a.today : b.today;
  if (a.openDate != b.openDate) return strategy == 3 ? a.openDate > b.openDate : a.openDate < b.openDate;
  return a.dealNumber < b.dealNumber;
}

// Takes `lots` out of the details in `scope` that `closing` closes,
// releasing their margin in proportion. False when they hold fewer lots.
bool Consume(std::vector<HeldDetail>& details, const HeldDetail& closing, int strategy, CloseScope scope,
             std::int64_t lots) {
  while (lots > 0) {
    auto best = details.end();
    for (auto d = details.begin(); d != details.end(); ++d) {
      const bool candidate = d->contract == closing.contract && d->hedge == closing.hedge &&
                             d->tradeCode == closing.tradeCode && d->seat == closing.seat &&
                             d->buySell != closing.buySell && InScope(scope, *d);
      if (candidate && (best == details.end() || ClosedBefore(strategy, *d, *best))) best = d;
    }
    if (best == details.end()) return false;
    const std::int64_t taken = std::min(lots, best->lots);
    const double margin = RoundMoney(best->margin);
    const double released = RoundMoney(margin * static_cast<double>(taken) / static_cast<double>(best->lots));
    if (taken == best->lots) {
      details.erase(best);
    } else {
      best->lots -= taken;
      best->margin = Fixed2(margin - released);
    }
    lots -= taken;
  }
  return true;
}

}  // namespace

double PriceValue(const BackendData& data, std::size_t contract, std::int64_t ticks) {
  return std::strtod(data.PriceText(data.contracts[contract], ticks).c_str(), nullptr);
}

PriceSource SettlementPrices(const BackendData& data) {
  return [&data](std::size_t contract) { return PriceValue(data, contract, data.contracts[contract].preSettlement); };
}

std::size_t UnderlyingOf(const BackendData& data, std::size_t contract) {
  const Contract& c = data.contracts[contract];
  if (c.kind != ContractKind::kOption) return contract;
  return data.FindContract(data.ExchangeOf(c).code, c.underlying);
}

HeldDetail PreOpenDetail(const BackendData& data, const PositionDetail& position) {
  const std::size_t contract = position.contract;
  HeldDetail detail{contract,
                    position.buySell,
                    position.hedge,
                    position.tradeCode,
                    position.seat,
                    position.openDate,
                    position.dealNumber,
                    position.lots,
                    data.contracts[contract].preSettlement,
                    position.openPrice,
                    0,
                    false};
  const double price = RoundMoney(PriceValue(data, contract, detail.positionPrice));
  const double underlying = RoundPrice4(SettlementPrices(data)(UnderlyingOf(data, contract)));
  const PerLot perLot = PerLotAmounts(data, contract, {position.buySell, "0", position.hedge}, price, underlying);
  detail.margin = Fixed2(perLot.margin * static_cast<double>(position.lots));
  return detail;
}

AccountDay OpeningDay(const BackendData& data, const std::string& customer) {
  AccountDay day;
  for (const PositionDetail& position : data.positions)
    if (position.customer == customer) day.details.push_back(PreOpenDetail(data, position));
  return day;
}

bool ReplayTrade(const BackendData& data, const DayBusiness& business, const DayTrade& trade,
                 const std::string& tradingDay, const PriceSource& underlying, AccountDay& day, std::string& problem) {
  const BookOrder& book = business.orders[trade.order];
  const DayOrder& order = book.order;
  const OrderLeg leg = LegOf(book, trade.leg);
  const std::size_t contract = leg.contract;
  const double lots = static_cast<double>(trade.lots);
  const double price = PriceValue(data, contract, trade.price);
  const Side side{leg.buySell, order.openClose, order.hedge};
  // The underlying is asked for only where the margin takes it, so that a
  // caller may keep the day while the prices it took stay.
  const double underlyingPrice =
      MarginTakesUnderlying(data, contract, side) ? RoundPrice4(underlying(UnderlyingOf(data, contract))) : 0;
  const PerLot perLot = PerLotAmounts(data, contract, side, RoundMoney(price), underlyingPrice);
  // Each fill is charged its fee to the cent, as its trade row shows it:
  // the day's fees are the sum of the fills' own.
  day.fees += RoundMoney(perLot.fee * lots);
  if (IsOption(data, contract))
    (leg.buySell == "1" ? day.premiumIn : day.premiumOut) += Fixed2(lots * Multiplier(data, contract) * price);
  const HeldDetail traded{contract,
                          leg.buySell,
                          order.hedge,
                          order.tradeCode,
                          order.seat,
                          tradingDay,
                          trade.dealNumber,
                          trade.lots,
                          trade.price,
                          trade.price,
                          Fixed2(MarginFactor(leg.number) * perLot.margin * lots),
                          true};
  if (order.openClose == "0") {
    day.details.push_back(traded);
    return true;
  }
  HeldDetail closed = traded;
  closed.buySell = leg.buySell == "0" ? "1" : "0";
  const PositionSum before = SumOf(data, day.details, closed);
  const int strategy = order.openClose == "2" ? 3 : data.CloseStrategyOf(data.contracts[contract].exchange);
  if (!Consume(day.details, traded, strategy, ScopeOf(data, order), trade.lots)) {
    problem = "trade " + std::to_string(trade.dealNumber) + " of '" + trade.customer + "' closes more lots of '" +
              data.contracts[contract].code + "' than are held";
    return false;
  }
  if (IsOption(data, contract)) return true;
  const PositionSum after = SumOf(data, day.details, closed);
  const double m = Multiplier(data, contract);
  const double closedLots = static_cast<double>(before.lots - after.lots);
  const double cost = before.cost - after.cost;
  const double profit = leg.buySell == "0" ? cost * m - price * closedLots * m : price * closedLots * m - cost * m;
  day.closingProfit += RoundMoney(profit);
  return true;
}

bool ReplayDay(const BackendData& data, const DayBusiness& business, const std::string& customer,
               const std::string& tradingDay, const PriceSource& underlying, AccountDay& day, std::string& problem) {
  day = OpeningDay(data, customer);
  std::vector<const DayTrade*> trades;
  for (const DayTrade& trade : business.trades)
    if (trade.customer == customer) trades.push_back(&trade);
  std::sort(trades.begin(), trades.end(),
            [](const DayTrade* a, const DayTrade* b) { return a->dealNumber < b->dealNumber; });
  day.details.reserve(day.details.size() + trades.size());
  for (const DayTrade* trade : trades)
    if (!ReplayTrade(data, business, *trade, tradingDay, underlying, day, problem)) return false;
  return true;
}

CloseScope ScopeOf(const BackendData& data, const DayOrder& closing) {
  const Seat* seat = data.FindSeat(closing.seat);
  if (seat == nullptr || seat->closeToday != "1") return CloseScope::kAny;
  return closing.openClose == "2" ? CloseScope::kToday : CloseScope::kBeforeToday;
}

PerLot FrozenAmounts(const BackendData& data, const DayOrder& order, std::int64_t lots, double underlying) {
  const auto count = static_cast<double>(lots);
  const PerLot perLot = PerLotAmounts(data, order.contract, {order.buySell, order.openClose, order.hedge},
                                      RoundMoney(PriceValue(data, order.contract, order.price)), underlying);
  const bool paysPremium = IsOption(data, order.contract) && order.buySell == "0";
  return {Fixed2(perLot.margin * count), Fixed2(perLot.fee * count), paysPremium ? Fixed2(perLot.premium * count) : 0};
}

Funds ComputeFunds(const BackendData& data, const Account& account, const DayBusiness& business, const AccountDay& day,
                   const PriceSource& last, double depositsToday, double withdrawalsToday,
                   bool floatingProfitAvailable) {
  Funds funds;
  funds.yesterdayBalance = static_cast<double>(account.yesterdayBalance) / 100;
  funds.credit = static_cast<double>(account.credit) / 100;
  funds.depositsToday = depositsToday;
  funds.withdrawalsToday = withdrawalsToday;
  funds.fees = day.fees;
  funds.closingProfit = day.closingProfit;
  funds.premiumIn = Fixed2(day.premiumIn);
  funds.premiumOut = Fixed2(day.premiumOut);

  for (const BookOrder& o : business.orders) {
    if (o.order.customer != account.customer || !IsWorkingState(o.order.state)) continue;
    for (const OrderLeg& leg : LegsOf(o)) {
      const PerLot& frozen = FrozenOf(o, leg.number);
      (leg.buySell == "0" ? funds.buyFrozen : funds.sellFrozen) += RoundMoney(frozen.margin);
      funds.frozenFee += RoundMoney(frozen.fee);
      funds.frozenPremium += RoundMoney(frozen.premium);
    }
  }

  // One position of each set of details, as the engine's summary holds them.
  std::vector<const HeldDetail*> positions;
  for (const HeldDetail& d : day.details)
    if (std::none_of(positions.begin(), positions.end(), [&](const HeldDetail* p) { return SamePosition(*p, d); }))
      positions.push_back(&d);
  for (const HeldDetail* position : positions) {
    const std::size_t contract = position->contract;
    const PositionSum sum = SumOf(data, day.details, *position);
    const bool bought = position->buySell == "0";
    (bought ? funds.buyMargin : funds.sellMargin) += RoundPerLot(sum.margin);
    const double m = Multiplier(data, contract);
    const double lots = static_cast<double>(sum.lots);
    // Read as the terminal reads a last price: money, half a cent up.
    const double price = RoundPrice3(RoundMoney(last(contract)));
    const double cost = RoundPrice3(sum.cost);
    if (!IsOption(data, contract)) {
      funds.floatingProfit += RoundMoney(Fixed2(bought ? lots * m * price - m * cost : m * cost - lots * m * price));
    } else if (bought) {
      funds.optionValue += RoundMoney(Fixed2(lots * m * price));
    } else {
      funds.optionValue -= RoundMoney(Fixed2(lots * m * price));
      const double held = RoundPrice3(Fixed2(sum.cost / lots));
      funds.optionFloatingMargin += RoundMoney(Fixed2(lots * m * std::max(price - held, 0.0)));
    }
  }

  const double common = funds.MoneyToday() + funds.yesterdayBalance + funds.closingProfit - funds.fees +
                        funds.premiumIn - funds.premiumOut;
  funds.available = common - funds.TotalFrozen() - funds.TotalMargin() + funds.credit - funds.optionFloatingMargin;
  if (floatingProfitAvailable || funds.floatingProfit < 0) funds.available += funds.floatingProfit;
  funds.equity = common + funds.floatingProfit + funds.optionValue;
  return funds;
}

}  // namespace simbackend
