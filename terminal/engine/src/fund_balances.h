// The arithmetic of a fund row: its money fields changed by amounts, and its
// available funds and dynamic equity computed from its balances.
#pragma once

#include <cstddef>

#include "engine/account_sums.h"
#include "engine/reference_rows.h"

namespace engine::fund_balances {

// The stored amount, money-rounded, plus `amount`, stored as money.
template <std::size_t Width>
void AddMoney(char (&field)[Width], double amount) {
  SetMoney(field, ReadMoney(field) + amount);
}

// The day's figures of an account that the balances are made of besides
// the fund row's own balance fields.
struct DayFigures {
  double closingProfit = 0.0;
  double fees = 0.0;
  double totalFrozen = 0.0;
  double totalMargin = 0.0;
};

struct Balances {
  double usable = 0.0;
  double equity = 0.0;
};

// The available funds take the option floating margin the row holds now. A
// floating loss always takes from them, a floating profit adds to them only
// when `floatingProfitCounts`; the equity holds the floating result and the
// option market value.
Balances ComputeBalances(const FundRow& fund, const DayFigures& day, const OptionValueSums& positions,
                         bool floatingProfitCounts);

}  // namespace engine::fund_balances
