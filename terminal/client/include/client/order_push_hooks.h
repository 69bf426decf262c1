// What the push dispatcher needs of the order side of the terminal: the order
// module's queue of order-state changes, and the engine's lookup of a local
// order by its keys. Both are interfaces here, implemented by the order
// module and the engine's query facade; the dispatcher works without them
// (no state change queued, no order found).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace client {

// One order's new state as a push reported it, queued into the order module.
// The module keeps these records in a packed record list, so the layout is
// fixed; texts are zero-terminated and cut on a character boundary.
struct OrderStateChange {
  static constexpr std::size_t kOrderNoSize = 16;
  static constexpr std::size_t kOrderingSeatSize = 16;
  static constexpr std::size_t kSeatCodeSize = 18;
  static constexpr std::size_t kStateSize = 2;
  static constexpr std::size_t kVolumeSize = 8;

  char flag = 0;
  char orderNo[kOrderNoSize] = {};
  char orderingSeat[kOrderingSeatSize] = {};
  char seatCode[kSeatCodeSize] = {};
  char state[kStateSize] = {};  // the order-state letter
  char volume[kVolumeSize] = {};
  char remaining[kVolumeSize] = {};  // not yet filled
};

static_assert(offsetof(OrderStateChange, orderNo) == 1);
static_assert(offsetof(OrderStateChange, orderingSeat) == 17);
static_assert(offsetof(OrderStateChange, seatCode) == 33);
static_assert(offsetof(OrderStateChange, state) == 51);
static_assert(offsetof(OrderStateChange, volume) == 53);
static_assert(offsetof(OrderStateChange, remaining) == 61);
static_assert(sizeof(OrderStateChange) == 69);

OrderStateChange MakeOrderStateChange(std::string_view orderingSeat, std::string_view orderNo,
                                      std::string_view seatCode, std::string_view state, std::string_view volume,
                                      std::string_view remaining);

// The order module's state handling. Called on the GUI thread; the module
// takes its own lock.
class OrderStateQueue {
 public:
  virtual void QueueOrderStateChange(const OrderStateChange& change) = 0;

 protected:
  ~OrderStateQueue() = default;
};

// The fields of a local order row that the trade push reads.
struct KnownOrder {
  std::string orderNo;
  std::string orderingSeat;
  std::string seatCode;
  std::string contractCode;
  std::string lots;   // order volume
  std::string price;  // order price
};

// The engine's order table, searched by exchange code, order number and
// ordering seat (the account is passed but not compared).
class OrderLookup {
 public:
  virtual std::optional<KnownOrder> FindOrder(std::string_view exchange, std::string_view account,
                                              std::string_view orderingSeat, std::string_view orderNo) = 0;

 protected:
  ~OrderLookup() = default;
};

}  // namespace client
