// Position details and summary rows as the trade steps build and find them.
// Callers hold the engine lock while they read a table with these.
#pragma once

#include <string_view>

#include "engine/position_changes.h"
#include "engine/reference_rows.h"
#include "engine/trading_rows.h"
#include "order_flags.h"

namespace engine::position_rows {

inline constexpr std::string_view kOrdinaryKind = "ordinary";
using order_flags::kBuy;
using order_flags::kOpen;
using order_flags::kSell;

// The side a trade closes: a buy closes sell positions, a sell buy ones.
inline std::string_view Opposite(std::string_view buySell) { return buySell == kBuy ? kSell : kBuy; }

// An option, or any other kind that is not futures ("0" or empty).
bool IsOption(const ContractRow& contract);

// The summary row a detail counts in; its contract code without blanks
// around it.
PositionKey KeyOf(const PositionDetailRow& detail);
// KeyOf(detail) == key, without building the detail's key.
bool HasKey(const PositionDetailRow& detail, const PositionKey& key);
PositionKey KeyOf(const PositionSummaryRow& row);
// KeyOf(row) == key, without building the row's key.
bool HasKey(const PositionSummaryRow& row, const PositionKey& key);

// What an opening trade puts into its new position detail.
struct OpenedLots {
  std::string_view account{};
  std::string_view tradingDate{};
  std::string_view dealNo{};
  std::string_view seatCode{};
  std::string_view exchangeCode{};
  std::string_view answerField11{};  // the trade's szAnswerField24, carried
  std::string_view tradeCode{};
  std::string_view variety{};
  std::string_view deliveryPeriod{};
  std::string_view buySell{};
  std::string_view hedge{};
  int lots = 0;
  std::string_view price{};
  double margin = 0.0;
  int multiplier = 0;
  std::string_view combinationKind{};
  std::string_view contractCode{};
};

// Opened on the trading date, at the price as both holding and open price,
// without a combination number.
PositionDetailRow NewDetail(const OpenedLots& opened);

}  // namespace engine::position_rows
