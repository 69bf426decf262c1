// The business of the trading day as the back end keeps it: every order
// with what it still freezes and how far its state went, every fill, and
// every option exercise or abandon application. It opens as the data folder
// tells the day so far; the exchange adds to it as requests come in and the
// market moves.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "per_lot.h"
#include "simbackend/backend_data.h"

namespace simbackend {

// Price types and validities of orders, as the terminal codes them.
inline constexpr const char* kLimitPrice = "0";
inline constexpr const char* kGoodForDay = "0";
inline constexpr const char* kFillOrKill = "1";
inline constexpr const char* kFillAndKill = "2";

struct BookOrder {
  DayOrder order;                       // its state and cancel time follow its life
  std::string priceType = kLimitPrice;  // "0" limit, "1" market, "2" best price
  std::string validity = kGoodForDay;   // "0" the day, "1" fill or kill, "2" fill and kill
  PerLot frozen;                        // money that its working lots still freeze
  // Counts the order's state changes: taken by the exchange, each fill, a
  // cancel; the terminal applies a pushed state only when it is newer.
  int stateSequence = 0;
  // Orders that came in as requests while the back end runs, with the
  // sequence number of their request; the data folder's have none.
  bool received = false;
  std::string requestSequence;
};

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
  std::vector<DayTrade> trades;  // in the order they were done; `order` indexes `orders`
  std::vector<ExerciseApplication> exercises;
};

// The day as the data folder tells it: its orders, each freezing what its
// working lots freeze at its price (options against the underlying's
// previous settlement), and its trades.
DayBusiness OpeningBusiness(const BackendData& data);

// Whether an order in that state still works in the market: waiting,
// entered, partly filled or on its way to a cancel.
bool IsWorkingState(const std::string& state);

struct OrderProgress {
  std::int64_t filled = 0;
  double filledValue = 0;  // price times lots of its fills
  std::int64_t working = 0;
};

OrderProgress ProgressOf(const BackendData& data, const DayBusiness& business, std::size_t order);

// The customer's order with that number; `business.orders.size()` when none.
std::size_t FindOrder(const DayBusiness& business, const std::string& customer, std::int64_t number);

}  // namespace simbackend
