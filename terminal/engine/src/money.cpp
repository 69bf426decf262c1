#include "engine/money.h"

#include <charconv>
#include <cmath>
#include <optional>

namespace engine {
namespace {

// The rule's whole units below the value: floor(x * scale + bias). Round and
// the money text take their units from this one computation.
double ScaledFloor(double value, RoundingRule rule) { return std::floor(value * rule.scale + rule.bias); }

// Below this many whole cents the amount they make lies within a thousandth
// of them, so the cents written as digits are exactly what "%.2f" prints of
// the rounded amount; beyond, the spacing of doubles nears a cent and the
// general conversion decides.
constexpr double kWholeCentsLimit = 1e15;

// Whole cents as "[-]units.cc".
std::size_t WriteCents(std::int64_t cents, char* text, char* end) {
  char* out = text;
  if (cents < 0) *out++ = '-';
  const std::uint64_t magnitude = cents < 0 ? 0 - static_cast<std::uint64_t>(cents) : static_cast<std::uint64_t>(cents);
  out = std::to_chars(out, end, magnitude / 100).ptr;
  const auto fraction = static_cast<unsigned>(magnitude % 100);
  *out++ = '.';
  *out++ = static_cast<char>('0' + fraction / 10);
  *out++ = static_cast<char>('0' + fraction % 10);
  return static_cast<std::size_t>(out - text);
}

// The whole cents of the money-rounded amount, where they lie below the
// limit.
std::optional<std::int64_t> SmallWholeCents(double amount) {
  if (!std::isfinite(amount)) return std::nullopt;
  const double cents = ScaledFloor(amount, kMoneyRounding);
  if (!(std::fabs(cents) < kWholeCentsLimit)) return std::nullopt;
  return static_cast<std::int64_t>(cents);
}

}  // namespace

double Round(double value, RoundingRule rule) {
  if (!std::isfinite(value)) return 0.0;
  const double rounded = ScaledFloor(value, rule) / rule.scale;
  // A huge value can overflow while scaled; it is no amount either.
  return std::isfinite(rounded) ? rounded : 0.0;
}

bool IsNoPrice(double price) { return !(std::fabs(price) >= kNoPriceThreshold); }

MoneyChars::MoneyChars(double amount) {
  char* const end = text_ + sizeof text_;
  if (const std::optional<std::int64_t> cents = SmallWholeCents(amount)) {
    length_ = WriteCents(*cents, text_, end);
    return;
  }
  // to_chars writes what "%.2f" prints, without the format parsing and locale
  // of the printf family.
  const auto [last, error] = std::to_chars(text_, end, RoundMoney(amount), std::chars_format::fixed, 2);
  length_ = error == std::errc() ? static_cast<std::size_t>(last - text_) : WriteCents(0, text_, end);
}

std::string MoneyText(double amount) { return std::string(MoneyChars(amount).View()); }

std::int64_t MoneyCents(double amount) {
  if (const std::optional<std::int64_t> cents = SmallWholeCents(amount)) return *cents;
  return std::llround(RoundMoney(amount) * 100.0);
}

}  // namespace engine
