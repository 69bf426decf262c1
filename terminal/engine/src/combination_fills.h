// A fill of one leg of a special (combination) order: where the order's row
// keeps each leg, which leg the fill is, and the combination-detail row an
// opening leg adds. The replay of downloaded trades and the trade push build
// a leg alike, so that a push and the next download agree.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "engine/reference_rows.h"
#include "engine/trading_rows.h"

namespace engine {
class COperationEngineBase;
}

namespace engine::combination_fills {

using SpecialOrderLegText = char (SpecialOrderRow::*)[16];
inline constexpr std::array<SpecialOrderLegText, 4> kLegContractCode{
    &SpecialOrderRow::szLegContractCode1, &SpecialOrderRow::szLegContractCode2, &SpecialOrderRow::szLegContractCode3,
    &SpecialOrderRow::szLegContractCode4};
inline constexpr std::array<SpecialOrderLegText, 4> kLegFrozenMoney{
    &SpecialOrderRow::szLegFrozenMoney1, &SpecialOrderRow::szLegFrozenMoney2, &SpecialOrderRow::szLegFrozenMoney3,
    &SpecialOrderRow::szLegFrozenMoney4};
inline constexpr std::array<SpecialOrderLegText, 4> kLegFrozenCharge{
    &SpecialOrderRow::szLegFrozenCharge1, &SpecialOrderRow::szLegFrozenCharge2, &SpecialOrderRow::szLegFrozenCharge3,
    &SpecialOrderRow::szLegFrozenCharge4};

// The combination kind of a leg's position detail and combination-detail
// row.
inline constexpr std::string_view kLegKind = "0";

// The order kind (combination definition) of a special order, by its
// exchange, strategy and three further kind keys.
std::optional<OrderKindRow> KindOf(const COperationEngineBase& engine, const SpecialOrderRow& order);

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
