// The order kinds: combination definitions by exchange, strategy and three
// further keys, with two built-in two-leg kinds.
#include <mutex>
#include <optional>

#include "engine/operation_engine_base.h"
#include "typed_rows.h"

namespace engine {
namespace {

constexpr std::string_view kDs = "DS";
constexpr std::string_view kSpd = "SPD";

struct LegDefinition {
  std::string_view buySell;
  std::string_view priceSign;
  std::string_view marginFactor;
};

// A two-leg kind: the first leg priced and margined, the second priced
// against it; both legs open or close by key 5.
OrderKindRow TwoLegKind(std::string_view exchangeCode, std::string_view strategyCode, std::string_view key3,
                        std::string_view key4, std::string_view key5, std::string_view firstBuySell,
                        std::string_view secondBuySell) {
  OrderKindRow kind{};
  SetText(kind.szExchangeCode, exchangeCode);
  SetText(kind.szStrategyCode, strategyCode);
  SetText(kind.szKindKey3, key3);
  SetText(kind.szKindKey4, key4);
  SetText(kind.szKindKey5, key5);
  SetText(kind.szLegCount, "2");
  const LegDefinition legs[] = {{firstBuySell, "1", "1"}, {secondBuySell, "-1", "0"}};
  for (std::size_t index = 0; index < std::size(legs); ++index) {
    OrderKindLeg& leg = kind.legs[index];
    SetText(leg.szFlagBS, legs[index].buySell);
    SetText(leg.szFlagEO, key5);
    SetText(leg.szVolumeRatio, "1");
    SetText(leg.szPriceSign, legs[index].priceSign);
    SetText(leg.szMarginFactor, legs[index].marginFactor);
  }
  return kind;
}

}  // namespace

bool COperationEngineBase::FindOrderKind(std::string_view exchangeCode, std::string_view strategyCode,
                                         std::string_view key3, std::string_view key4, std::string_view key5,
                                         OrderKindRow& kind) const {
  kind = {};
  if (strategyCode == kDs) {
    if (key4 != "0") return false;
    kind = TwoLegKind(exchangeCode, kDs, key3, key4, key5, "0", "1");
    return true;
  }
  if (strategyCode == kSpd) {
    // The second leg takes the other side of the first.
    kind = TwoLegKind(exchangeCode, kSpd, key3, key4, key5, key4, key4 != "0" ? "0" : "1");
    return true;
  }
  std::lock_guard guard(lock_);
  const std::optional<OrderKindRow> found =
      typed_rows::FindRow<OrderKindRow>(TableAt(Table::kOrderKinds), [&](const OrderKindRow& row) {
        return Text(row.szExchangeCode) == exchangeCode && Text(row.szStrategyCode) == strategyCode &&
               Text(row.szKindKey3) == key3 && Text(row.szKindKey4) == key4 && Text(row.szKindKey5) == key5;
      });
  if (!found) return false;
  kind = *found;
  return true;
}

}  // namespace engine
