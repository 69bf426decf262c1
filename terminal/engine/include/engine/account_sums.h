// The per-account sums that the fund recalculation and the order quantities
// take from the order and position-summary tables.
#pragma once

#include <string_view>

namespace engine {

// Amounts frozen by the account's orders, each order's amount money-rounded
// before it is added.
struct FrozenSums {
  double buy = 0.0;
  double sell = 0.0;
  double fee = 0.0;
  double premium = 0.0;
};

// Margin held by the account's positions, by side.
struct MarginSums {
  double buy = 0.0;
  double sell = 0.0;
};

// What the price refresh wrote into the account's summary rows.
struct OptionValueSums {
  double floatingProfit = 0.0;  // mark-to-market profit and loss
  double marketValue = 0.0;     // of option positions, negative for sold ones
  double inTheMoney = 0.0;      // of sold options: their floating margin
};

// The pending close orders of one contract and direction. An empty trade
// code or combination code matches every order.
struct PendingCloseKey {
  std::string_view account{};
  std::string_view exchangeCode{};
  std::string_view tradeCode{};
  std::string_view combinationCode{};  // the order kind of an ordinary order, the strategy of a special one
  std::string_view contractCode{};
  std::string_view hedge{};
  std::string_view buySell{};  // the direction of the closing orders
};

// Lots that pending close orders will close, never negative.
struct PendingCloseLots {
  int lots = 0;
  int todayLots = 0;  // of these, the close-today orders' lots
};

// Which position details a position summary is built from.
enum class PositionKinds {
  kAll,
  kOrdinaryOnly,  // single-contract details only, without combination legs
};

}  // namespace engine
