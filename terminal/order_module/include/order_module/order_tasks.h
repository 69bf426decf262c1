// What the order submission hands to the order module: one description per
// kind of follow-up task. The module carries each out on its own thread
// (order_module.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "order_module/order_record.h"

namespace order_module {

// Who asked, handed back with the task's result.
struct TaskCaller {
  // The longest prompt text kept, cut on a character boundary.
  static constexpr std::size_t kPromptLength = 255;

  std::int16_t tag = 0;
  std::string prompt;  // may be empty
};

// How a close order looks at the account before it is sent.
enum CheckMode : int {
  kNoCheck = 0,
  kCheckClosable = 1,  // closeable lots first; short of them, cancel the pending orders
  kCancelPending = 2,  // cancel the pending orders of the direction first
  kOpeningOrder = 3,   // what the submission gives an opening order: no check
};

// One-key modes.
enum OneKeyMode : int {
  kOrdinary = 0,
  kCloseOrOpen = 1,     // close what is closeable; open when nothing is
  kCloseOrNothing = 2,  // close what is closeable; send nothing when nothing is (reverse orders)
};

// Send an order; a close order first checks the closeable lots, cancels the
// pending orders of its direction and waits for their confirmations, then
// goes out as close-today and close pieces.
struct CloseOrderTask {
  TaskCaller caller;
  OrderRecord order{};  // its customer number names the account
  int checkMode = kNoCheck;
  // Close today's positions first also for an ordinary close.
  bool splitCloseToday = false;
  int lotsPerSend = 0;  // the largest lots of one sent order; 0 or less: no limit
  int oneKeyMode = kOrdinary;
  bool confirm = false;  // ask the user before sending
};

// Close a position, then open the same direction: at once, or lot for lot as
// the close fills.
struct ReverseOrderTask {
  CloseOrderTask close;
  bool openAfterFills = false;
  std::string openLots;
  std::string openPrice;
  std::string openPriceType;
  std::string openDealAttribute;
};

// Cancel a pending order and send it again at a new price.
struct ChangePriceTask {
  TaskCaller caller;
  // The order to replace: its number and the seat it was placed through;
  // exchange and account are those of the new order.
  std::string orderNo;
  std::string orderingSeat;
  OrderRecord order{};  // the new order; its seat is the replaced order's seat code
  int lotsPerSend = 0;
  bool confirm = false;
};

// Open a position, then place a profit/loss order on it (function 5473).
struct ProfitLossTask {
  TaskCaller caller;
  OrderRecord order{};
  std::string stopLoss;
  std::string takeProfit;
  std::string closeMethod;  // "0" market price, "1" bid/ask plus the difference, else last price plus it
  std::string closeDifference;
  std::string priceMode;     // "1": stop values are differences, else prices
  std::string triggerPrice;  // "0" last price, else bid/ask
  std::string triggerCount;
  std::string floatingStopLoss;
  bool confirm = false;
};

}  // namespace order_module
