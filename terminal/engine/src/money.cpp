#include "engine/money.h"

#include <cmath>
#include <cstdio>

namespace engine {

double Round(double value, RoundingRule rule) {
  if (!std::isfinite(value)) return 0.0;
  const double rounded = std::floor(value * rule.scale + rule.bias) / rule.scale;
  // A huge value can overflow while scaled; it is no amount either.
  return std::isfinite(rounded) ? rounded : 0.0;
}

bool IsNoPrice(double price) { return !(std::fabs(price) >= kNoPriceThreshold); }

std::string MoneyText(double amount) {
  // Room for the largest finite double in fixed notation.
  char text[400];
  const int length = std::snprintf(text, sizeof text, "%.2f", RoundMoney(amount));
  if (length < 0) return "0.00";
  return text;
}

}  // namespace engine
