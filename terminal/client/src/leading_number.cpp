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
// correctly rounded value that from_chars gives too. Nothing for any other
// text, which from_chars reads.
std::optional<double> PlainDecimal(std::string_view text) {
  std::size_t at = 0;
  const bool negative = at < text.size() && text[at] == '-';
  if (negative) ++at;
  const auto isDigit = [&text](std::size_t i) { return i < text.size() && text[i] >= '0' && text[i] <= '9'; };
  if (!isDigit(at)) return std::nullopt;
  std::int64_t digits = 0;
  int count = 0;
  // Takes the digits from `at` on; false once there are too many.
  const auto readDigits = [&]() {
    for (; isDigit(at); ++at) {
      if (++count > kMaxExactDigits) return false;
      digits = digits * 10 + (text[at] - '0');
    }
    return true;
  };
  if (!readDigits()) return std::nullopt;
  const int integerDigits = count;
  if (at < text.size() && text[at] == '.') {
    ++at;
    if (!readDigits()) return std::nullopt;
  }
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) return std::nullopt;
  const int fractionDigits = count - integerDigits;
  const double value = static_cast<double>(digits) / kExactPowersOfTen[static_cast<std::size_t>(fractionDigits)];
  return negative ? -value : value;
}

}  // namespace

std::optional<double> LeadingDecimal(std::string_view text) {
  text = WithoutPlus(text);
  if (const std::optional<double> plain = PlainDecimal(text)) return plain;
  double value = 0;
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
