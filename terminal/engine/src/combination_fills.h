// A fill of one leg of a special (combination) order: which leg of its
// order the fill is, and the combination-detail row an opening leg adds.
// The replay of downloaded trades and the trade push build a leg alike, so
// that a push and the next download agree.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "engine/reference_rows.h"
#include "engine/trading_rows.h"

namespace engine::combination_fills {

// The combination kind of a leg's position detail and combination-detail
// row.
inline constexpr std::string_view kLegKind = "0";

// The leg of a special order that a fill is.
struct CombinationLeg {
  int legNumber = 0;  // 1 to 4
  // The share of a single-contract position's margin that the leg holds
  // (the order kind's margin factor of the leg).
  double marginFactor = 0.0;
  std::string strategyCode;
  std::string kindKey4;
};

// The first of the order's four legs whose contract is `contractCode`;
// nothing when none is.
std::optional<CombinationLeg> LegOf(const SpecialOrderRow& order, const OrderKindRow& kind,
                                    std::string_view contractCode);

// An opening leg's combination-detail row, which shares the open date, the
// deal number and the combination kind with the leg's position detail. The
// legs of one fill of a combination order share its system number as their
// combination number.
CombinationDetailRow NewCombinationLeg(const TradeRow& trade, const ContractRow& contract, std::string_view tradingDate,
                                       const CombinationLeg& leg, double margin);

}  // namespace engine::combination_fills
