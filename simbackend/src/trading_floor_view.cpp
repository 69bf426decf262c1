// The account's book as tests read it (simbackend/account_view.h).
#include <algorithm>

#include "order_lines.h"
#include "trading_floor.h"

namespace simbackend {
namespace {

FundsView FundsViewOf(const Funds& f) {
  return {MoneyText(f.yesterdayBalance), MoneyText(f.depositsToday),
          MoneyText(f.withdrawalsToday), MoneyText(f.buyFrozen),
          MoneyText(f.sellFrozen),       MoneyText(f.frozenFee),
          MoneyText(f.frozenPremium),    MoneyText(f.buyMargin),
          MoneyText(f.sellMargin),       MoneyText(f.fees),
          MoneyText(f.closingProfit),    MoneyText(f.floatingProfit),
          MoneyText(f.premiumOut),       MoneyText(f.premiumIn),
          MoneyText(f.optionValue),      MoneyText(f.credit),
          MoneyText(f.available),        MoneyText(f.equity)};
}

std::vector<PositionView> PositionsOf(const BackendData& data, const std::vector<HeldDetail>& details) {
  std::vector<PositionView> positions;
  std::vector<double> margins;  // of each position, as the funds sum them
  std::vector<double> costs;
  for (const HeldDetail& d : details) {
    const Contract& contract = data.contracts[d.contract];
    const PositionView key{
        data.ExchangeOf(contract).id, contract.code, d.buySell, d.hedge, d.tradeCode, d.seat, 0, 0, {}, {}};
    auto found = std::find_if(positions.begin(), positions.end(), [&](const PositionView& p) {
      return p.exchange == key.exchange && p.contract == key.contract && p.buySell == key.buySell &&
             p.hedge == key.hedge && p.tradeCode == key.tradeCode && p.seat == key.seat;
    });
    if (found == positions.end()) {
      found = positions.insert(positions.end(), key);
      margins.push_back(0);
      costs.push_back(0);
    }
    found->lots += d.lots;
    found->todayLots += d.today ? d.lots : 0;
    const auto at = static_cast<std::size_t>(found - positions.begin());
    margins[at] += RoundMoney(d.margin);
    costs[at] = RoundMoney(costs[at] + static_cast<double>(d.lots) * PriceValue(data, d.contract, d.positionPrice));
  }
  for (std::size_t i = 0; i < positions.size(); ++i) {
    positions[i].margin = MoneyText(margins[i]);
    positions[i].cost = MoneyText(costs[i]);
  }
  return positions;
}

}  // namespace

OrderView TradingFloor::OrderViewLocked(std::size_t index) const {
  const BookOrder& book = business_.orders[index];
  const DayOrder& o = book.order;
  const Contract& contract = data_.contracts[o.contract];
  const OrderProgress progress = ProgressOf(data_, business_, index);
  const auto received = requestCounts_.find({o.customer, book.requestSequence});
  return {std::to_string(o.number),
          data_.ExchangeOf(contract).id,
          book.IsSpecial() ? CombinationCode(data_, book) : contract.code,
          o.buySell,
          o.openClose,
          o.hedge,
          book.priceType,
          book.validity,
          data_.PriceText(contract, o.price),
          o.lots,
          progress.filled,
          AveragePriceText(progress),
          o.state,
          book.stateSequence,
          o.time,
          o.cancelTime,
          o.tradeCode,
          o.seat,
          MoneyText(book.frozen.margin + book.secondFrozen.margin),
          MoneyText(book.frozen.fee + book.secondFrozen.fee),
          MoneyText(book.frozen.premium),
          book.received && received != requestCounts_.end() ? received->second : 0,
          book.kind,
          book.strategy};
}

std::vector<PositionView> TradingFloor::Positions(const Account& account) const {
  std::lock_guard lock(mutex_);
  return PositionsOf(data_, DayLocked(account.customer).details);
}

std::vector<OrderView> TradingFloor::WorkingOrders(const Account& account) const {
  std::lock_guard lock(mutex_);
  std::vector<OrderView> working;
  for (std::size_t index = 0; index < business_.orders.size(); ++index) {
    const DayOrder& o = business_.orders[index].order;
    if (o.customer == account.customer && IsWorkingState(o.state)) working.push_back(OrderViewLocked(index));
  }
  return working;
}

TradingFloor::AccountSnapshot TradingFloor::Snapshot(const Account& account) const {
  std::lock_guard lock(mutex_);
  AccountSnapshot snapshot{FundsLocked(account), {}};
  AccountView& view = snapshot.view;
  view.funds = FundsViewOf(snapshot.funds);
  for (std::size_t index = 0; index < business_.orders.size(); ++index)
    if (business_.orders[index].order.customer == account.customer) view.orders.push_back(OrderViewLocked(index));
  for (const DayTrade& trade : business_.trades) {
    if (trade.customer != account.customer) continue;
    const DayOrder& o = business_.orders[trade.order].order;
    const OrderLeg leg = LegOf(business_.orders[trade.order], trade.leg);
    const Contract& contract = data_.contracts[leg.contract];
    view.trades.push_back({std::to_string(trade.dealNumber), std::to_string(o.number), data_.ExchangeOf(contract).id,
                           contract.code, leg.buySell, o.openClose, o.hedge, trade.lots,
                           data_.PriceText(contract, trade.price), trade.time, o.tradeCode, o.seat});
  }
  view.positions = PositionsOf(data_, DayLocked(account.customer).details);
  for (const ExerciseApplication& a : business_.exercises)
    if (a.customer == account.customer)
      view.applications.push_back({a.number, a.exchange, a.contract, a.state, a.lots, a.type});
  const auto number = [&](std::size_t order) {
    return order == kNoOrder ? std::string() : std::to_string(business_.orders[order].order.number);
  };
  for (const ProfitLossOrder& p : business_.profitLossOrders)
    if (p.customer == account.customer)
      view.profitLossOrders.push_back({p.number, KeptCode(p.state), number(p.opening), number(p.closing)});
  for (const ConditionOrder& c : business_.conditionOrders)
    if (c.customer == account.customer)
      view.conditionOrders.push_back({c.number, KeptCode(c.state), {}, number(c.order)});
  return snapshot;
}

}  // namespace simbackend
