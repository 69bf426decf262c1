#include "day_business.h"

#include <algorithm>

#include "account_day.h"

namespace simbackend {

bool IsWorkingState(const std::string& state) {
  static const std::vector<std::string> kWorking = {"a", "n", "p", "f", "g", "s"};
  return std::find(kWorking.begin(), kWorking.end(), state) != kWorking.end();
}

std::vector<OrderLeg> LegsOf(const BookOrder& order) {
  std::vector<OrderLeg> legs = {LegOf(order, 1)};
  if (order.IsSpecial()) legs.push_back(LegOf(order, 2));
  return legs;
}

OrderLeg LegOf(const BookOrder& order, int number) {
  const DayOrder& o = order.order;
  if (number == 1) return {1, o.contract, o.buySell};
  return {2, order.secondLeg, o.buySell == "0" ? "1" : "0"};
}

PerLot& FrozenOf(BookOrder& order, int leg) { return leg == 1 ? order.frozen : order.secondFrozen; }
const PerLot& FrozenOf(const BookOrder& order, int leg) { return leg == 1 ? order.frozen : order.secondFrozen; }

double MarginFactor(int leg) { return leg == 1 ? 1 : 0; }

std::string CombinationCode(const BackendData& data, const BookOrder& order) {
  return order.strategy + " " + data.contracts[order.order.contract].code + "&" + data.contracts[order.secondLeg].code;
}

OrderProgress ProgressOf(const BackendData& data, const DayBusiness& business, std::size_t order) {
  const BookOrder& book = business.orders[order];
  OrderProgress progress;
  for (const std::size_t fill : book.fills) {
    const DayTrade& trade = business.trades[fill];
    const double value =
        data.Price(data.contracts[LegOf(book, trade.leg).contract], trade.price) * static_cast<double>(trade.lots);
    // A combination fills both legs at once; its price is the first's less the second's.
    if (trade.leg == 1) progress.filled += trade.lots;
    progress.filledValue += trade.leg == 1 ? value : -value;
  }
  progress.working = IsWorkingState(book.order.state) ? book.order.lots - progress.filled : 0;
  return progress;
}

std::size_t FindOrder(const DayBusiness& business, const std::string& customer, std::int64_t number) {
  const auto found = std::find_if(business.orders.begin(), business.orders.end(), [&](const BookOrder& o) {
    return o.order.customer == customer && o.order.number == number;
  });
  return static_cast<std::size_t>(found - business.orders.begin());
}

void AddTrade(DayBusiness& business, DayTrade trade) {
  business.orders[trade.order].fills.push_back(business.trades.size());
  business.trades.push_back(std::move(trade));
}

DayBusiness OpeningBusiness(const BackendData& data) {
  DayBusiness business;
  business.orders.reserve(data.orders.size());
  for (const DayOrder& order : data.orders) business.orders.emplace_back().order = order;
  business.trades.reserve(data.trades.size());
  for (const DayTrade& trade : data.trades) AddTrade(business, trade);
  const PriceSource settlement = SettlementPrices(data);
  for (std::size_t index = 0; index < business.orders.size(); ++index) {
    BookOrder& entered = business.orders[index];
    const DayOrder& order = entered.order;
    const OrderProgress progress = ProgressOf(data, business, index);
    entered.frozen =
        FrozenAmounts(data, order, progress.working, RoundPrice4(settlement(UnderlyingOf(data, order.contract))));
    // Taken by the exchange, each fill, and a cancel.
    entered.stateSequence = static_cast<int>(1 + entered.fills.size() + (order.cancelTime.empty() ? 0 : 1));
  }
  return business;
}

}  // namespace simbackend
