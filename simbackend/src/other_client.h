// Another client of an account, as a trader at a second terminal of the
// account: what the fault plan has it do while the account's own client
// downloads (FaultPlan::otherClientPerMille). Each act changes the book as
// the same request of a client would and pushes the change to every
// connection of the account.
#pragma once

#include <string>

#include "simbackend/backend_data.h"
#include "trading_floor.h"

namespace simbackend {

// A condition order whose condition holds asks its question (15003), a
// special order is entered and cancelled (15008, 15009), and an exercise
// application of a long option with a lot free is entered (15012). An act
// that the account's data cannot back is left out.
void ActAsOtherClient(const BackendData& data, TradingFloor& floor, const std::string& customer);

}  // namespace simbackend
