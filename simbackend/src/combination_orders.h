// The special orders that another client of an account places and cancels
// (the scripting of simbackend/server.h, and the fault plan's other client),
// read into the trading floor's order.
#pragma once

#include <optional>
#include <string>
#include <string_view>

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

// Places the special order of the trading account `customer`: the exchange
// takes it at once (15008) and fills both legs as the market crosses it.
// Its number, or none with the refusal's text in `refusal`.
std::optional<std::string> PlaceSpecialOrder(const BackendData& data, TradingFloor& floor, const std::string& customer,
                                             const SpecialOrder& order, std::string& refusal);
// Cancels the account's working special order with that number (15009).
bool CancelSpecialOrder(TradingFloor& floor, const std::string& customer, std::string_view number,
                        std::string& refusal);

}  // namespace simbackend
