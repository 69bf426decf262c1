// The factories of the five query bars, by the main frame's bar ids; each
// bar registers for the table changes of its table (the contract bar for the
// news that the contracts are ready) as it is made.
#pragma once

#include "ui/view_factories.h"

namespace tradeviews {

// The main frame's bar ids.
inline constexpr int kFundBarId = 32861;
inline constexpr int kOrderBarId = 32862;
inline constexpr int kTradeBarId = 32863;
inline constexpr int kPositionBarId = 32864;
inline constexpr int kContractBarId = 32865;

void RegisterQueryBars(ui::ViewFactories& factories);

}  // namespace tradeviews
