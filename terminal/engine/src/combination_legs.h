// Where a combination-detail row keeps what the engine knows its leg by.
//
// A leg's position detail and its combination-detail row share the open
// date, the opening deal number and the combination kind; the legs of one
// combination position share the combination number. The leg's contract
// code is its two contract parts joined. The order kind of a leg (its
// volume ratios) is found by the exchange code, the strategy code, "0", the
// fourth key and "0", as the combination position table finds it.
#pragma once

#include <string_view>

#include "engine/trading_rows.h"

namespace engine::combination_leg {

inline constexpr auto kOpenDate = &CombinationDetailRow::szCombField4;
inline constexpr auto kSeatCode = &CombinationDetailRow::szCombField6;
inline constexpr auto kCombinationKind = &CombinationDetailRow::szCombField8;
inline constexpr auto kLegNumber = &CombinationDetailRow::szCombField9;  // 1 to 4
inline constexpr auto kSystemNo = &CombinationDetailRow::szCombField10;
inline constexpr auto kCombinationNo = &CombinationDetailRow::szCombField11;
inline constexpr auto kDealNo = &CombinationDetailRow::szCombField12;
inline constexpr auto kContractPart1 = &CombinationDetailRow::szCombField16;  // the variety
inline constexpr auto kContractPart2 = &CombinationDetailRow::szCombField17;  // the delivery period
inline constexpr auto kTradeCode = &CombinationDetailRow::szCombField18;
inline constexpr auto kLots = &CombinationDetailRow::szCombField19;
inline constexpr auto kMultiplier = &CombinationDetailRow::szCombField20;
inline constexpr auto kHedge = &CombinationDetailRow::szCombField21;
inline constexpr auto kBuySell = &CombinationDetailRow::szCombField22;
inline constexpr auto kPrice = &CombinationDetailRow::szCombField23;
inline constexpr auto kOpenPrice = &CombinationDetailRow::szCombField24;
inline constexpr auto kMargin = &CombinationDetailRow::szCombField31;
inline constexpr auto kStrategyCode = &CombinationDetailRow::szCombField36;
inline constexpr auto kKindKey4 = &CombinationDetailRow::szCombField37;

// The key 3 and key 5 of a leg's order-kind lookup.
inline constexpr std::string_view kKindKey3 = "0";
inline constexpr std::string_view kKindKey5 = "0";

}  // namespace engine::combination_leg
