#include "leading_number.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "backend/field_text.h"

namespace client {
namespace {

// from_chars takes a minus sign but no plus sign. A text that starts with a
// digit or a minus sign, as nearly every field does, has nothing in front to
// take off, and what follows the number does not change it.
std::string_view WithoutPlus(std::string_view text) {
  if (!text.empty() && ((text.front() >= '0' && text.front() <= '9') || text.front() == '-')) return text;
  text = backend::TrimBlanks(text);
  if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
  return text;
}

// Powers of ten that a double holds exactly.
constexpr double kExactPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
// Digits whose integer a double holds exactly (below 2^53).
constexpr int kMaxExactDigits = 15;

// The common plain decimal, "[-]digits[.digits]" with at most 15 digits and
// no exponent after it, read without from_chars: its digits as an integer
// and its power of ten are both exact doubles, so their one quotient is the
// correctly rounded value that from_chars gives too, and a whole number is
// its digits. False for any other text, which from_chars reads.
bool ReadPlainDecimal(std::string_view text, double& value) {
  const char* at = text.data();
  const char* const end = at + text.size();
  const bool negative = at != end && *at == '-';
  if (negative) ++at;
  // Takes the digits from `at` on into `digits`; how many there were. Too
  // many digits may wrap `digits`, but then the count refuses the text.
  std::uint64_t digits = 0;
  const auto readDigits = [&at, end, &digits]() {
    const char* const first = at;
    for (; at != end && static_cast<unsigned char>(*at - '0') <= 9; ++at) digits = digits * 10 + (*at - '0');
    return static_cast<int>(at - first);
  };
  const int integerDigits = readDigits();
  if (integerDigits == 0) return false;
  int fractionDigits = 0;
  if (at != end && *at == '.') {
    ++at;
    fractionDigits = readDigits();
  }
  if (integerDigits + fractionDigits > kMaxExactDigits || (at != end && (*at == 'e' || *at == 'E'))) return false;
  value = static_cast<double>(digits);
  // Dividing by 1 changes nothing, and a division is the slowest step.
  if (fractionDigits > 0) value /= kExactPowersOfTen[static_cast<std::size_t>(fractionDigits)];
  if (negative) value = -value;
  return true;
}

}  // namespace

std::optional<double> LeadingDecimal(std::string_view text) {
  text = WithoutPlus(text);
  double value = 0;
  if (ReadPlainDecimal(text, value)) return value;
  const std::from_chars_result read = std::from_chars(text.data(), text.data() + text.size(), value);
  // "inf" and "nan" are no prices.
  if (read.ec != std::errc() || !std::isfinite(value)) return std::nullopt;
  return value;
}

int LeadingInteger(std::string_view text) {
  text = WithoutPlus(text);
  std::int64_t value = 0;
  const std::from_chars_result read = std::from_chars(text.data(), text.data() + text.size(), value);
  if (read.ec == std::errc::result_out_of_range) {
    return text.front() == '-' ? std::numeric_limits<int>::min() : std::numeric_limits<int>::max();
  }
  if (read.ec != std::errc()) return 0;
  return static_cast<int>(
      std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

}  // namespace client
