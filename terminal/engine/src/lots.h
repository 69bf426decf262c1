// Lots as the engine's volume sums hand them out, and the legs of an order
// kind that its leg count defines.
#pragma once

#include <algorithm>
#include <climits>
#include <span>

#include "engine/trading_rows.h"

namespace engine {

// A volume within 0 and the largest int.
inline int ClampLots(long long lots) { return static_cast<int>(std::clamp<long long>(lots, 0, INT_MAX)); }

// A sum of lots within the range of int, so that no sum of stored texts can
// overflow.
inline int SaturateLots(long long lots) { return static_cast<int>(std::clamp<long long>(lots, INT_MIN, INT_MAX)); }

// The defined legs: the first leg-count ones, at most four.
inline std::span<const OrderKindLeg> DefinedLegs(const OrderKindRow& kind) {
  const int count = std::clamp(ReadInt(kind.szLegCount), 0, static_cast<int>(std::size(kind.legs)));
  return std::span<const OrderKindLeg>(kind.legs, static_cast<std::size_t>(count));
}

}  // namespace engine
