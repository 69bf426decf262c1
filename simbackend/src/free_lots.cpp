#include "free_lots.h"

#include <algorithm>

namespace simbackend {
namespace {

bool Holds(const HeldDetail& d, const PositionKey& p) {
  return d.contract == p.contract && d.buySell == p.buySell && d.hedge == p.hedge && d.tradeCode == p.tradeCode &&
         d.seat == p.seat;
}

// Whether a leg of the order closes the position.
bool Closes(const BookOrder& book, const PositionKey& p) {
  const DayOrder& o = book.order;
  if (o.customer != p.customer || o.openClose == "0" || o.hedge != p.hedge || o.tradeCode != p.tradeCode ||
      o.seat != p.seat)
    return false;
  const std::vector<OrderLeg> legs = LegsOf(book);
  return std::any_of(legs.begin(), legs.end(),
                     [&](const OrderLeg& leg) { return leg.contract == p.contract && leg.buySell != p.buySell; });
}

bool InScope(CloseScope scope, bool today) {
  return scope == CloseScope::kAny || today == (scope == CloseScope::kToday);
}

// Lots of the position in `scope` less what working closes of that scope take.
std::int64_t HeldLessClosing(const BackendData& data, const DayBusiness& business,
                             const std::vector<HeldDetail>& details, const PositionKey& position, CloseScope scope) {
  std::int64_t free = 0;
  for (const HeldDetail& d : details)
    if (Holds(d, position) && InScope(scope, d.today)) free += d.lots;
  for (std::size_t order = 0; order < business.orders.size(); ++order) {
    const BookOrder& o = business.orders[order];
    if (Closes(o, position) && (scope == CloseScope::kAny || ScopeOf(data, o.order) == scope))
      free -= ProgressOf(data, business, order).working;
  }
  return free;
}

}  // namespace

PositionKey ClosedBy(const DayOrder& closing) {
  return {closing.customer, closing.contract,  closing.buySell == "0" ? "1" : "0",
          closing.hedge,    closing.tradeCode, closing.seat};
}

std::int64_t FreeLots(const BackendData& data, const DayBusiness& business, const std::vector<HeldDetail>& details,
                      const PositionKey& position, CloseScope scope) {
  std::int64_t free = HeldLessClosing(data, business, details, position, CloseScope::kAny);
  // Applications take lots of long positions, whenever they were opened.
  const Contract& contract = data.contracts[position.contract];
  for (const ExerciseApplication& a : business.exercises)
    if (a.customer == position.customer && a.state == "a" && position.buySell == "0" &&
        a.exchange == data.ExchangeOf(contract).id && a.contract == contract.code && a.hedge == position.hedge &&
        a.tradingCode == position.tradeCode && a.orderSeat == position.seat)
      free -= a.lots;
  if (scope != CloseScope::kAny) free = std::min(free, HeldLessClosing(data, business, details, position, scope));
  return std::max<std::int64_t>(free, 0);
}

}  // namespace simbackend
