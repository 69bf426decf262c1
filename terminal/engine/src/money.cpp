#include "engine/money.h"

#include <charconv>
#include <cmath>

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
  // to_chars writes what "%.2f" prints, without the format parsing and locale
  // of the printf family, which many fills and fund updates each call.
  char text[400];
  const auto [end, error] = std::to_chars(text, text + sizeof text, RoundMoney(amount), std::chars_format::fixed, 2);
  if (error != std::errc()) return "0.00";
  return std::string(text, end);
}

std::int64_t MoneyCents(double amount) { return std::llround(RoundMoney(amount) * 100.0); }

}  // namespace engine
