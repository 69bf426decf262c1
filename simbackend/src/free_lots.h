// How many lots of a position a close order or an exercise or abandon
// application may still take: those held, less those that the account's
// working close orders and its entered applications have taken already.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "account_day.h"
#include "day_business.h"
#include "simbackend/backend_data.h"

namespace simbackend {

// One position: the customer's lots of a contract on one side, with one
// hedge code, trade code and seat.
struct PositionKey {
  std::string customer;
  std::size_t contract = 0;
  std::string buySell;  // of the position: "0" long, "1" short
  std::string hedge;
  std::string tradeCode;
  std::string seat;
};

// The position's free lots in `scope`, `details` being the customer's
// positions now (ReplayDay). A scope of today or of the days before is
// bounded by what is free of the whole position too.
std::int64_t FreeLots(const BackendData& data, const DayBusiness& business, const std::vector<HeldDetail>& details,
                      const PositionKey& position, CloseScope scope);

// The position that an order of that side closes.
PositionKey ClosedBy(const DayOrder& closing);

}  // namespace simbackend
