// The business of the trading day as the back end keeps it: every order
// with what it still freezes and how far its state went, every fill, every
// option exercise or abandon application, and the orders that stand at the
// back end for a condition. It opens as the data folder
// tells the day so far; the exchange adds to it as requests come in and the
// market moves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "per_lot.h"
#include "simbackend/backend_data.h"
#include "standing_orders.h"

namespace simbackend {

// Price types and validities of orders, as the terminal codes them.
inline constexpr const char* kLimitPrice = "0";
inline constexpr const char* kMarketPrice = "1";
inline constexpr const char* kGoodForDay = "0";
inline constexpr const char* kFillOrKill = "1";
inline constexpr const char* kFillAndKill = "2";

// Order kinds: placed as they are, or by a condition order or a
// profit/loss order of the back end.
inline constexpr const char* kPlainOrder = "A";
inline constexpr const char* kConditionOrderKind = "G";
inline constexpr const char* kProfitLossOrderKind = "N";

struct BookOrder {
  // Its state and cancel time follow its life. A special order's contract
  // and side are those of its first leg, its price the first leg's price
  // less the second's.
  DayOrder order;
  std::string priceType = kLimitPrice;  // "0" limit, "1" market, "2" best price
  std::string validity = kGoodForDay;   // "0" the day, "1" fill or kill, "2" fill and kill
  std::string kind = kPlainOrder;
  // A special order's combination strategy and the contract of its second
  // leg, which takes the other side; no strategy for an order of one contract.
  std::string strategy;
  std::size_t secondLeg = 0;
  PerLot frozen;        // money that its (first leg's) working lots still freeze
  PerLot secondFrozen;  // and that of a special order's second leg
  // Counts the order's state changes: taken by the exchange, each fill, a
  // cancel; the terminal applies a pushed state only when it is newer.
  int stateSequence = 0;
  // Orders that came in as requests while the back end runs, with the
  // sequence number of their request; the data folder's have none.
  bool received = false;
  std::string requestSequence;
  // Its fills, as indexes into the day's trades, oldest first.
  std::vector<std::size_t> fills;

  bool IsSpecial() const { return !strategy.empty(); }
};

// A leg of an order: the order's own contract, or one of a special order's
// two. Every leg works as many lots as the order.
struct OrderLeg {
  int number = 1;  // as DayTrade::leg
  std::size_t contract = 0;
  std::string buySell;
};
std::vector<OrderLeg> LegsOf(const BookOrder& order);
OrderLeg LegOf(const BookOrder& order, int number);
PerLot& FrozenOf(BookOrder& order, int leg);
const PerLot& FrozenOf(const BookOrder& order, int leg);
// Only the first leg of a special order is margined: its factor is 1, the
// second's 0, as the terminal's built-in combination strategies give them.
double MarginFactor(int leg);
// The combination code of a special order: "SPD SR705&SR709".
std::string CombinationCode(const BackendData& data, const BookOrder& order);

// An application to exercise a long option position, or to abandon its
// exercise.
struct ExerciseApplication {
  std::string customer;
  std::string number;    // given by the back end, unique
  std::string exchange;  // the exchange id
  std::string contract;
  std::string state;  // "a" entered, "d" cancelled
  std::string buySell;
  std::string hedge;
  std::int64_t lots = 0;
  std::string tradingCode;
  std::string seat;
  std::string orderSeat;
  std::string type;  // "1" exercise, "2" abandon
  std::string tradingDate;
  std::string orderTime;
  std::string cancelTime;

  // Entered counts one state change, a cancel another.
  int StateSequence() const { return state == "d" ? 2 : 1; }
};

struct DayBusiness {
  std::vector<BookOrder> orders;
  // In the order they were done; `order` indexes `orders`. Added only by
  // AddTrade, which keeps each order's fills.
  std::vector<DayTrade> trades;
  std::vector<ExerciseApplication> exercises;
  std::vector<ProfitLossOrder> profitLossOrders;
  std::vector<ConditionOrder> conditionOrders;
};

// Books a fill of the order that `trade.order` indexes.
void AddTrade(DayBusiness& business, DayTrade trade);

// The day as the data folder tells it: its orders, each freezing what its
// working lots freeze at its price (options against the underlying's
// previous settlement), and its trades.
DayBusiness OpeningBusiness(const BackendData& data);

// Whether an order in that state still works in the market: waiting,
// entered, partly filled or on its way to a cancel.
bool IsWorkingState(const std::string& state);

// An order's fills so far; a special order's in lots of its combination
// (each fills both legs) and at the price of the combination.
struct OrderProgress {
  std::int64_t filled = 0;
  double filledValue = 0;  // price times lots of its fills
  std::int64_t working = 0;
};

OrderProgress ProgressOf(const BackendData& data, const DayBusiness& business, std::size_t order);

// The customer's order with that number; `business.orders.size()` when none.
std::size_t FindOrder(const DayBusiness& business, const std::string& customer, std::int64_t number);

}  // namespace simbackend
