// The special orders that the scripting places for another client of an
// account (simbackend/server.h), read into the trading floor's order.
#pragma once

#include <optional>
#include <string>

#include "error_codes.h"
#include "simbackend/backend_data.h"
#include "simbackend/server.h"
#include "trading_floor.h"

namespace simbackend {

// Fills `order` from the fields when they make a special order of the
// trading account `customer`: a strategy of the exchange, at a seat of the
// account that takes combinations, on two futures contracts of one variety.
// A refusal otherwise.
std::optional<Refused> ReadSpecialOrder(const BackendData& data, const std::string& customer,
                                        const SpecialOrder& fields, TradingFloor::OrderRequest& order);

}  // namespace simbackend
