#include "leading_number.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <limits>

#include "backend/field_text.h"
#include "backend/plain_decimal.h"

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

}  // namespace

std::optional<double> LeadingDecimal(std::string_view text) {
  text = WithoutPlus(text);
  if (const std::optional<backend::PlainDecimal> plain = backend::ReadPlainDecimal(text)) return plain->value;
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
