// The margin, fee and premium of one lot, and the rounding rules, exactly as
// the terminal's engine computes them from the back end's answers. The back
// end computes its own figures (positions' margins, frozen amounts, funds)
// the same way, so that they agree with the engine's to the cent.
#pragma once

#include <cstddef>
#include <string>

#include "simbackend/backend_data.h"

namespace simbackend {

// floor(x * 100 + 0.55) / 100: every stored amount.
double RoundMoney(double x);
// floor(x * 1000 + 0.55) / 1000: prices in the profit refresh.
double RoundPrice3(double x);
// floor(x * 10000 + 0.5555) / 10000: a last price.
double RoundPrice4(double x);
// floor(x * 100000 + 0.55555) / 100000: the per-lot amounts.
double RoundPerLot(double x);
// "%.2f" of the amount, and the value that text reads back as.
std::string MoneyText(double x);
double Fixed2(double x);

struct PerLot {
  double margin = 0;
  double fee = 0;
  double premium = 0;
};

// Codes: buy/sell "0" buy, "1" sell; open/close "0" open, "1" close, "2"
// close today; hedge "0" speculation, "1" hedge.
struct Side {
  std::string buySell;
  std::string openClose;
  std::string hedge;
};

// The amounts of one lot of `contract` at `price` (money-rounded by the
// caller as the engine does). Futures margin only on opening; an option's
// premium is price times multiplier, its margin only when sold to open: at
// "cffex" by the guarantee rule with the option parameters (none: no margin),
// elsewhere against `underlying`, the price of the underlying futures
// contract. The fee sums the three pairs of the opening and closing set, or
// of the close-today set.
// Whether the margin of a lot of `contract` on that side takes the
// underlying's price: an option sold to open.
bool MarginTakesUnderlying(const BackendData& data, std::size_t contract, const Side& side);

PerLot PerLotAmounts(const BackendData& data, std::size_t contract, const Side& side, double price, double underlying);

}  // namespace simbackend
