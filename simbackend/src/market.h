// The simulated market: one quote per contract that moves by a seeded random
// walk inside the contract's price limits, so that the same seed and the
// same steps always give the same quotes. Not thread-safe: its owner locks.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <random>
#include <vector>

#include "simbackend/backend_data.h"

namespace simbackend {

// One price level of the book; a volume of 0 means no order at this level.
struct BookLevel {
  std::int64_t price = 0;  // ticks
  std::int64_t volume = 0;
  std::int64_t orders = 0;  // how many orders make up the volume
};

inline constexpr std::size_t kBookLevels = 5;

struct Quote {
  // Prices in ticks of the contract.
  std::int64_t preClose = 0;
  std::int64_t open = 0;
  std::int64_t high = 0;
  std::int64_t low = 0;
  std::int64_t last = 0;
  std::int64_t volume = 0;
  double turnover = 0;
  std::int64_t openInterest = 0;
  std::int64_t preOpenInterest = 0;
  std::array<BookLevel, kBookLevels> bids;  // best first
  std::array<BookLevel, kBookLevels> asks;  // best first
};

class Market {
 public:
  // Opens the market of every contract of `data`, which must outlive it.
  Market(const BackendData& data, std::uint64_t seed);

  // Trades each of the contracts once: the price moves by at most two
  // ticks, never beyond the limits, and the book follows it.
  void Step(const std::vector<std::size_t>& contracts);

  const Quote& QuoteOf(std::size_t contract) const { return quotes_[contract]; }

 private:
  // A number from `low` to `high`, both included.
  std::int64_t Draw(std::int64_t low, std::int64_t high);
  std::int64_t Clamp(std::int64_t ticks, const Contract& contract) const;
  void Open(std::size_t contract);
  void Trade(std::size_t contract, std::int64_t lots);
  void FillBook(std::size_t contract);

  const BackendData& data_;
  std::mt19937_64 random_;
  std::vector<Quote> quotes_;
};

}  // namespace simbackend
