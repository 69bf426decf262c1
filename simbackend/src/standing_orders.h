// Orders that stand at the back end until the market meets their condition
// and then become orders of the exchange: profit/loss orders, which guard
// the position that an opening order opened, and condition orders. The
// trading floor keeps and follows them with the day's business
// (trading_floor.h); their answers and pushes are standing_lines.h's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace simbackend {

inline constexpr std::size_t kNoOrder = static_cast<std::size_t>(-1);

// A stop-loss and take-profit order on the fills of an opening order. Once
// the opening order has filled it watches the market: a price at or beyond
// its stop-loss or take-profit price (the stop following the best price by
// the floating distance, when one is given) for as many quotes in a row as
// its trigger count closes the filled lots with an order of its own.
struct ProfitLossOrder {
  enum class State { kWaiting, kWatching, kStopLoss, kTakeProfit, kDeleted, kFailed };

  std::string number;  // unique among all
  std::string customer;
  std::size_t opening = 0;  // into DayBusiness::orders
  // As the request gives them, prices and distances in ticks; 0: none.
  std::int64_t stopLoss = 0;
  std::int64_t takeProfit = 0;
  std::string closeMethod;           // "0" market price, "1" the other side's best price, else the last price...
  std::int64_t closeDifference = 0;  // ...less (a sale) or plus (a purchase) this
  std::string priceMode;             // "1": the stop-loss and take-profit are distances from the open price
  std::string triggerPrice;          // "0" the last price, else the best price of the side that closes
  std::int64_t triggerCount = 1;
  std::int64_t floatingStop = 0;  // the distance the stop keeps from the best price since it watches

  State state = State::kWaiting;
  std::int64_t stopPrice = 0;  // ticks, once it watches; 0 none
  std::int64_t takePrice = 0;
  std::int64_t best = 0;  // the best price since it watches
  std::int64_t metInARow = 0;
  std::size_t closing = kNoOrder;  // into DayBusiness::orders
  std::string time;
  std::string triggerTime;
  std::string message;
};

// The codes of a profit/loss order's state: in its push (15003 field 12)
// and as the terminal keeps it (the answer's field 20), with its text.
const char* PushedCode(ProfitLossOrder::State state);
const char* KeptCode(ProfitLossOrder::State state);
const char* StateText(ProfitLossOrder::State state);

// An order sent when the market meets a condition: the chosen price (the
// last, the best bid or the best offer) at or above (">=") or at or below
// ("<=") the trigger price. It may first ask the customer (a question of
// kind 1: OK or Cancel) and asks what to do when the exchange refuses its
// order (a question of kind 2: retry or cancel, or abort, retry or ignore).
struct ConditionOrder {
  enum class State {
    kWaiting,
    kAsking,     // a question waits for the customer's answer
    kConfirmed,  // to send at once (answered OK or retry)
    kDeclined,   // to cancel (answered Cancel or abort)
    kIgnored,    // to wait again (answered ignore)
    kSent,
    kCancelled,
  };

  std::string number;  // unique among all
  std::string customer;
  // The order it sends.
  std::size_t contract = 0;
  std::string buySell;
  std::string openClose;
  std::string hedge;
  std::int64_t lots = 0;
  std::int64_t price = 0;  // ticks
  std::string tradeCode;
  std::string seat;
  // Its condition.
  std::string triggerPrice;  // "0" last, "1" best bid, "2" best offer
  std::string comparison;    // ">=" or "<="
  std::int64_t trigger = 0;  // ticks
  std::string askFirst;      // "1": ask before sending
  std::string choice;        // "1" retry or cancel, "2" abort, retry or ignore
  std::string carried[2];    // the last two parameters of its request, answered back

  State state = State::kWaiting;
  // After an ignored refusal it waits for the condition to pass and come again.
  bool waitsForChange = false;
  std::string question;  // the number of the question waiting; empty when none
  int questionKind = 0;
  std::size_t order = kNoOrder;  // into DayBusiness::orders
  std::string time;
  std::string triggerTime;
  std::string message;
};

// The codes of a condition order's state: in its state push (15003 kind 3,
// field 12) and as the terminal keeps it (the answer's field 23).
const char* PushedCode(ConditionOrder::State state);
const char* KeptCode(ConditionOrder::State state);
const char* StateText(ConditionOrder::State state);

}  // namespace simbackend
