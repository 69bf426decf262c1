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

inline constexpr auto kOpenDate = &CombinationDetailRow::szOpenDate;
inline constexpr auto kSeatCode = &CombinationDetailRow::szSeatCode;
inline constexpr auto kCombinationKind = &CombinationDetailRow::szPosKind;
inline constexpr auto kLegNumber = &CombinationDetailRow::szLegNo;  // 1 to 4
inline constexpr auto kSystemNo = &CombinationDetailRow::szSysNo;
inline constexpr auto kCombinationNo = &CombinationDetailRow::szCombinationNo;
inline constexpr auto kDealNo = &CombinationDetailRow::szDealNo;
inline constexpr auto kContractPart1 = &CombinationDetailRow::szVarietyCode;  // the variety
inline constexpr auto kContractPart2 = &CombinationDetailRow::szAccountDay;   // the delivery period
inline constexpr auto kTradeCode = &CombinationDetailRow::szMapCode;
inline constexpr auto kLots = &CombinationDetailRow::szPositionVolume;
inline constexpr auto kMultiplier = &CombinationDetailRow::szVolumePerHand;
inline constexpr auto kHedge = &CombinationDetailRow::szFlagSH;
inline constexpr auto kBuySell = &CombinationDetailRow::szFlagBS;
inline constexpr auto kPrice = &CombinationDetailRow::szPositionPrice;
inline constexpr auto kOpenPrice = &CombinationDetailRow::szOpenPrice;
inline constexpr auto kMargin = &CombinationDetailRow::szEngrossCautionMoney;
inline constexpr auto kStrategyCode = &CombinationDetailRow::szStrategyCode;
inline constexpr auto kKindKey4 = &CombinationDetailRow::szKindKey4;

// The key 3 and key 5 of a leg's order-kind lookup.
inline constexpr std::string_view kKindKey3 = "0";
inline constexpr std::string_view kKindKey5 = "0";

}  // namespace engine::combination_leg
