// How the simulated exchange fills an order that crosses the market.
#pragma once

#include <cstdint>

namespace simbackend {

struct FillBehaviour {
  enum class Mode {
    // Every lot the order still works fills at once, in one fill.
    kWhole,
    // At each crossing a drawn part of the lots fills, at most what the
    // quote offers at its best price, in several drawn fills; a day order's
    // rest waits for the market to cross again. A fill-or-kill order fills
    // whole when the quote offers enough, else not at all.
    kPieces,
  };
  Mode mode = Mode::kWhole;
  // The draws of kPieces: the same seed and the same market give the same fills.
  std::uint64_t seed = 1;
};

}  // namespace simbackend
