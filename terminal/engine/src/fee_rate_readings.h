// A fee-rate row's rates as numbers, read once per row: the costs of every
// fill and order ask for the same few rows, and reading their decimal texts
// each time cost more than the arithmetic on them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "engine/engine_table.h"
#include "engine/reference_rows.h"

namespace engine {

// One rate pair: by the traded amount, and per lot.
struct Rate {
  double byAmount = 0.0;
  double perLot = 0.0;
};

struct FeeRates {
  std::array<Rate, 3> openCloseFees;
  std::array<Rate, 3> closeTodayFees;
  Rate buySpeculationMargin;
  Rate sellSpeculationMargin;
  Rate buyHedgeMargin;
  Rate sellHedgeMargin;
};

FeeRates ReadFeeRates(const FeeRateRow& row);

// The rates of the fee-rate table's rows, by row index. A reading is taken
// only while its row still holds the bytes it was read from, so a rate
// written in place, a row removed or the table reloaded is read afresh
// without anyone telling the store. Used under the engine lock, like the
// table.
class FeeRateReadings {
 public:
  // The rates of row `index`; null when that entry holds no whole row.
  const FeeRates* Of(const EngineTable& table, std::uint32_t index);

 private:
  struct Reading {
    bool read = false;
    FeeRateRow row{};
    FeeRates rates;
  };
  std::vector<Reading> readings_;
};

}  // namespace engine
