// Rounding of the engine's amounts and prices, and the text form of money.
//
// Every amount the engine computes passes through one of these rules before
// it is stored or compared, so that the local tables agree to the cent with
// what the back end reports. Each rule scales, adds a bias that is not one
// half, takes floor and scales back, on the value as computed in double
// precision (negative values floor toward minus infinity):
//
//   money         floor(x * 100    + 0.55)    / 100
//   price         floor(x * 1000   + 0.55)    / 1000
//   last price    floor(x * 10000  + 0.5555)  / 10000
//   per-lot       floor(x * 100000 + 0.55555) / 100000
//
// A value that is not a finite number (what a division by zero upstream
// would leave) rounds to 0 under every rule, so no "nan" or "inf" ever
// reaches a row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace engine {

struct RoundingRule {
  double scale;
  double bias;
};

// Money amounts: margins, fees, premiums, frozen amounts, profit and loss,
// balances, and average prices.
inline constexpr RoundingRule kMoneyRounding{100.0, 0.55};
// Prices and cost sums of the floating-profit refresh.
inline constexpr RoundingRule kPriceRounding{1000.0, 0.55};
// The last price of a contract as the engine looks it up.
inline constexpr RoundingRule kLastPriceRounding{10000.0, 0.5555};
// Per-lot margin, fee and premium, and per-lot sums.
inline constexpr RoundingRule kPerLotRounding{100000.0, 0.55555};

double Round(double value, RoundingRule rule);
inline double RoundMoney(double value) { return Round(value, kMoneyRounding); }

// A looked-up price whose absolute value is below this counts as no price.
inline constexpr double kNoPriceThreshold = 1e-6;
bool IsNoPrice(double price);

// "%.2f" of the money-rounded amount: the stored form of every money field.
std::string MoneyText(double amount);

// The same text in a buffer of its own, for the paths that store it straight
// into a field without a string in between.
class MoneyChars {
 public:
  explicit MoneyChars(double amount);
  std::string_view View() const { return {text_, length_}; }

 private:
  // Room for the largest finite double in fixed notation.
  char text_[400];
  std::size_t length_ = 0;
};

// The money-rounded amount in whole cents, and cents as an amount: sums of
// cents come out the same in any order, so a sum kept up step by step equals
// one taken afresh.
std::int64_t MoneyCents(double amount);
inline double CentsAmount(std::int64_t cents) { return static_cast<double>(cents) / 100.0; }

}  // namespace engine
