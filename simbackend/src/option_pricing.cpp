#include "option_pricing.h"

#include <cmath>

namespace simbackend {
namespace {

double NormalCdf(double x) { return 0.5 * std::erfc(-x / std::sqrt(2.0)); }

}  // namespace

double OptionPremium(char type, double forward, double strike, double spread) {
  const double d1 = std::log(forward / strike) / spread + spread / 2;
  const double d2 = d1 - spread;
  if (type == 'C') return forward * NormalCdf(d1) - strike * NormalCdf(d2);
  return strike * NormalCdf(-d2) - forward * NormalCdf(-d1);
}

}  // namespace simbackend
