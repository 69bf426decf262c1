#include "market.h"

#include <algorithm>

namespace simbackend {
namespace {

constexpr std::int64_t kMaxStepTicks = 2;
constexpr std::int64_t kMaxLotsPerStep = 40;
constexpr std::int64_t kMaxLevelVolume = 200;

}  // namespace

Market::Market(const BackendData& data, std::uint64_t seed)
    : data_(data), random_(seed), quotes_(data.contracts.size()) {
  for (std::size_t contract = 0; contract < quotes_.size(); ++contract) Open(contract);
}

void Market::Step(const std::vector<std::size_t>& contracts) {
  for (const std::size_t contract : contracts) {
    Quote& quote = quotes_[contract];
    quote.last = Clamp(quote.last + Draw(-kMaxStepTicks, kMaxStepTicks), data_.contracts[contract]);
    quote.high = std::max(quote.high, quote.last);
    quote.low = std::min(quote.low, quote.last);
    Trade(contract, Draw(1, kMaxLotsPerStep));
    FillBook(contract);
  }
}

std::int64_t Market::Draw(std::int64_t low, std::int64_t high) {
  return low + static_cast<std::int64_t>(random_() % static_cast<std::uint64_t>(high - low + 1));
}

std::int64_t Market::Clamp(std::int64_t ticks, const Contract& contract) const {
  return std::clamp(ticks, contract.lowerLimit, contract.upperLimit);
}

void Market::Open(std::size_t contract) {
  const Contract& c = data_.contracts[contract];
  Quote& quote = quotes_[contract];
  quote.preClose = Clamp(c.preSettlement + Draw(-5, 5), c);
  quote.open = Clamp(quote.preClose + Draw(-3, 3), c);
  quote.last = quote.high = quote.low = quote.open;
  quote.preOpenInterest = c.kind == ContractKind::kFutures ? Draw(20'000, 200'000) : Draw(100, 5'000);
  quote.openInterest = quote.preOpenInterest;
  Trade(contract, Draw(1, kMaxLotsPerStep));
  FillBook(contract);
}

void Market::Trade(std::size_t contract, std::int64_t lots) {
  const Variety& variety = data_.VarietyOf(data_.contracts[contract]);
  Quote& quote = quotes_[contract];
  quote.volume += lots;
  quote.turnover += static_cast<double>(lots * variety.multiplier) * static_cast<double>(quote.last) * variety.tick;
  quote.openInterest = std::max<std::int64_t>(0, quote.openInterest + Draw(-lots, lots));
}

void Market::FillBook(std::size_t contract) {
  const Contract& c = data_.contracts[contract];
  Quote& quote = quotes_[contract];
  const std::size_t depth = static_cast<std::size_t>(data_.ExchangeOf(c).bookDepth);
  // The best bid is at the last price or one tick below; the best ask one tick above it.
  const std::int64_t bestBid = std::max(quote.last - Draw(0, 1), c.lowerLimit);
  for (std::size_t level = 0; level < kBookLevels; ++level) {
    const auto offset = static_cast<std::int64_t>(level);
    for (auto [side, price] :
         {std::pair{&quote.bids, bestBid - offset}, std::pair{&quote.asks, bestBid + 1 + offset}}) {
      BookLevel& entry = (*side)[level];
      entry = {};
      if (level >= depth || price < c.lowerLimit || price > c.upperLimit) continue;
      entry.price = price;
      entry.volume = Draw(1, kMaxLevelVolume);
      entry.orders = Draw(1, entry.volume);
    }
  }
}

}  // namespace simbackend
