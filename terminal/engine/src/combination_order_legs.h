// The legs of a special (combination) order: where its row keeps each leg's
// contract and frozen amounts, and what the legs freeze by the sides its
// order kind gives them.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

#include "engine/account_sums.h"
#include "engine/operation_engine_base.h"
#include "engine/trading_rows.h"
#include "lots.h"
#include "order_flags.h"

namespace engine::combination_order_legs {

using LegText = char (SpecialOrderRow::*)[16];

using order_flags::kBuy;

inline constexpr std::array<LegText, 4> kContractCode{
    &SpecialOrderRow::szLegContractCode1, &SpecialOrderRow::szLegContractCode2, &SpecialOrderRow::szLegContractCode3,
    &SpecialOrderRow::szLegContractCode4};
inline constexpr std::array<LegText, 4> kFrozenMoney{
    &SpecialOrderRow::szLegFrozenMoney1, &SpecialOrderRow::szLegFrozenMoney2, &SpecialOrderRow::szLegFrozenMoney3,
    &SpecialOrderRow::szLegFrozenMoney4};
inline constexpr std::array<LegText, 4> kFrozenCharge{
    &SpecialOrderRow::szLegFrozenCharge1, &SpecialOrderRow::szLegFrozenCharge2, &SpecialOrderRow::szLegFrozenCharge3,
    &SpecialOrderRow::szLegFrozenCharge4};

// The kind of a special order, by its exchange, strategy and kind keys.
inline bool FindKindOf(const COperationEngineBase& engine, const SpecialOrderRow& order, OrderKindRow& kind) {
  return engine.FindOrderKind(Text(order.szExchangeCode), Text(order.szStrategyCode), Text(order.szKindKey3),
                              Text(order.szNameBS), Text(order.szNameEO), kind);
}

// Adds the frozen margin of each leg the kind defines to the side of its
// buy/sell code ("0" buy, else sell) and its frozen fee to the fees, each
// money-rounded. Special orders freeze no premium.
inline void AddLegFrozen(const SpecialOrderRow& order, const OrderKindRow& kind, FrozenSums& sums) {
  const std::span<const OrderKindLeg> legs = DefinedLegs(kind);
  for (std::size_t leg = 0; leg < legs.size(); ++leg) {
    (Text(legs[leg].szFlagBS) == kBuy ? sums.buy : sums.sell) += ReadMoney(order.*kFrozenMoney[leg]);
    sums.fee += ReadMoney(order.*kFrozenCharge[leg]);
  }
}

}  // namespace engine::combination_order_legs
