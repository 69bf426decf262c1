// The margin, fee and option premium of one lot: what the engine freezes,
// charges and shows is built from these amounts, multiplied by the lots.
#pragma once

#include <string_view>

#include "engine/trading_rows.h"

namespace engine {

// One lot of a contract at a price, in the codes of the engine's rows.
struct LotCostQuery {
  std::string_view exchangeCode{};
  std::string_view seatCode{};
  std::string_view contractCode{};
  std::string_view buySell{};    // "0" buy, else sell
  std::string_view openClose{};  // "0" open, "1" close, "2" close today
  std::string_view hedge{};      // "0" speculation, else hedge
  std::string_view customer{};
  double price = 0.0;
};

// One lot of a trade at its price, for its account.
LotCostQuery LotOfTrade(const TradeRow& trade);

// Each amount is rounded by the per-lot rule (engine/money.h).
struct LotCosts {
  double margin = 0.0;
  double fee = 0.0;
  double premium = 0.0;  // price times multiplier of an option, 0 for futures
};

}  // namespace engine
