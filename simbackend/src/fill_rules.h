// What the market gives an order when it looks at the current quote: it
// crosses when its limit reaches the best price of the other side (a market
// or best-price order always does while that side offers any volume), and
// fills there. A day order's lots that do not fill keep waiting; those of a
// fill-and-kill, fill-or-kill or market order are cancelled.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

#include "day_business.h"
#include "market.h"
#include "simbackend/fill_behaviour.h"

namespace simbackend {

struct Crossing {
  std::int64_t price = 0;           // ticks: the best price of the other side
  std::vector<std::int64_t> fills;  // lots of each fill, in order
  bool cancelRest = false;          // the lots that did not fill are cancelled
};

// `working`: the lots the order still works. `random` draws the pieces.
Crossing Cross(const BookOrder& order, std::int64_t working, const Quote& quote, FillBehaviour::Mode mode,
               std::mt19937_64& random);

}  // namespace simbackend
