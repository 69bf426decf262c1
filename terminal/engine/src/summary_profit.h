// The floating profit and option values of one position-summary row at a
// price: what the price refresh writes, and what a closing fill writes into
// the row it leaves.
#pragma once

#include "engine/money.h"
#include "engine/trading_rows.h"

namespace engine {

// Rewrites the profit fields of the row at `price`, which the row takes,
// with its costs, by `rule`.
void RefreshSummaryProfit(PositionSummaryRow& row, int multiplier, double price, RoundingRule rule);
// Marks the profit fields of a row that has no price as not known.
void MarkSummaryUnpriced(PositionSummaryRow& row);

}  // namespace engine
