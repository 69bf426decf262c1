#include "per_lot.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace simbackend {
namespace {

double Number(const std::string& text) { return std::strtod(text.c_str(), nullptr); }

// Index of the margin pair of a side: buy and sell speculation, buy and sell hedge.
std::size_t MarginPair(const Side& side) { return (side.hedge == "0" ? 0 : 4) + (side.buySell == "0" ? 0 : 2); }

double FuturesMargin(const ContractRates& rates, const Side& side, double amount) {
  if (side.openClose != "0") return 0;
  const std::size_t pair = MarginPair(side);
  return Number(rates.margin[pair]) * amount + Number(rates.margin[pair + 1]);
}

// A sold option's margin: r and c are the sell-speculation rate and amount
// per lot, m the multiplier, k the strike, premium the option's value.
struct SoldOption {
  double r, c, m, k, premium;
  bool call;

  double OutOfTheMoney(double underlying) const {
    const double value = (call ? k - underlying : underlying - k) * m;
    return value > 0 ? value : 0;
  }

  // The guarantee rule of options on an index: q is the guarantee coefficient.
  double Guaranteed(double underlying, double q) const {
    const double otm = OutOfTheMoney(underlying);
    const double a = r * underlying * m - otm;
    const double b = call ? r * q * underlying * m : r * q * k * m;
    const double o = b < a ? a : b;
    const double cover = q * c < c - otm ? c - otm : q * c;
    return cover + o + premium;
  }

  // The rule of options on futures.
  double General(double underlying) const {
    const double n = c + r * (m * underlying);
    const double q = n + premium - 0.5 * OutOfTheMoney(underlying);
    return premium + 0.5 * n < q ? q : premium + 0.5 * n;
  }
};

}  // namespace

double RoundMoney(double x) { return std::floor(x * 100 + 0.55) / 100; }
double RoundPrice3(double x) { return std::floor(x * 1000 + 0.55) / 1000; }
double RoundPrice4(double x) { return std::floor(x * 10000 + 0.5555) / 10000; }
double RoundPerLot(double x) { return std::floor(x * 100000 + 0.55555) / 100000; }

std::string MoneyText(double x) {
  char text[64];
  std::snprintf(text, sizeof text, "%.2f", x);
  return text;
}

double Fixed2(double x) { return Number(MoneyText(x)); }

bool MarginTakesUnderlying(const BackendData& data, std::size_t contract, const Side& side) {
  return data.contracts[contract].kind == ContractKind::kOption && side.openClose == "0" && side.buySell == "1";
}

PerLot PerLotAmounts(const BackendData& data, std::size_t contract, const Side& side, double price, double underlying) {
  const Contract& c = data.contracts[contract];
  const ContractRates& rates = data.rates[contract];
  const auto m = static_cast<double>(data.VarietyOf(c).multiplier);
  PerLot amounts;
  if (c.kind == ContractKind::kFutures) {
    amounts.margin = FuturesMargin(rates, side, price * m);
  } else {
    amounts.premium = price * m;
    if (MarginTakesUnderlying(data, contract, side)) {
      const SoldOption sold{Number(rates.margin[2]),       Number(rates.margin[3]), m,
                            static_cast<double>(c.strike), amounts.premium,         c.optionType == 'C'};
      const OptionParams* params = data.OptionParamsOf(c);
      if (data.ExchangeOf(c).code != "cffex") {
        amounts.margin = sold.General(underlying);
      } else if (params != nullptr && std::atoi(params->denominator.c_str()) != 0) {
        const double index = params->underlyingPrice.empty() ? underlying : Number(params->underlyingPrice);
        amounts.margin = sold.Guaranteed(index, Number(params->numerator) / Number(params->denominator));
      }
    }
  }
  const auto& fees = side.openClose == "0" || side.openClose == "1" ? rates.openCloseFee : rates.closeTodayFee;
  for (std::size_t pair = 0; pair < 3; ++pair)
    amounts.fee += Number(fees[2 * pair]) * price * m + Number(fees[2 * pair + 1]);
  amounts.margin = RoundPerLot(amounts.margin);
  amounts.fee = RoundPerLot(amounts.fee);
  amounts.premium = RoundPerLot(amounts.premium);
  return amounts;
}

}  // namespace simbackend
