#include "fill_rules.h"

#include <algorithm>

namespace simbackend {
namespace {

std::int64_t Draw(std::mt19937_64& random, std::int64_t low, std::int64_t high) {
  return low + static_cast<std::int64_t>(random() % static_cast<std::uint64_t>(high - low + 1));
}

// How many of the `working` lots fill now when the other side offers `offered`.
std::int64_t LotsFilled(const BookOrder& order, std::int64_t working, std::int64_t offered, FillBehaviour::Mode mode,
                        std::mt19937_64& random) {
  if (mode == FillBehaviour::Mode::kWhole) return working;
  if (order.validity == kFillOrKill) return offered >= working ? working : 0;
  return Draw(random, 1, std::min(working, offered));
}

std::vector<std::int64_t> Pieces(std::int64_t lots, FillBehaviour::Mode mode, std::mt19937_64& random) {
  if (mode == FillBehaviour::Mode::kWhole) return {lots};
  std::vector<std::int64_t> pieces;
  for (std::int64_t left = lots; left > 0; left -= pieces.back()) pieces.push_back(Draw(random, 1, left));
  return pieces;
}

}  // namespace

Crossing Cross(const BookOrder& order, std::int64_t working, const Quote& quote, FillBehaviour::Mode mode,
               std::mt19937_64& random) {
  const bool buy = order.order.buySell == "0";
  const bool limit = order.priceType == kLimitPrice;
  const BookLevel& other = buy ? quote.asks[0] : quote.bids[0];
  Crossing crossing;
  crossing.price = other.price;
  const bool crosses =
      other.volume > 0 && (!limit || (buy ? order.order.price >= other.price : order.order.price <= other.price));
  const std::int64_t lots = crosses && working > 0 ? LotsFilled(order, working, other.volume, mode, random) : 0;
  if (lots > 0) crossing.fills = Pieces(lots, mode, random);
  crossing.cancelRest = (!limit || order.validity != kGoodForDay) && lots < working;
  return crossing;
}

}  // namespace simbackend
