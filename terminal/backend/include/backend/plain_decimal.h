// Reading the plain decimals that nearly every pushed and stored number is,
// without the general conversion: inline, since the quote parser reads a
// score of them per line.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace backend {

// A plain decimal at the start of a text: "[-]digits[.digits]" of at most
// 15 digits in all, no exponent after it; what follows is not read. Its
// digits as an integer and their power of ten are both exact doubles, so
// their one quotient is the correctly rounded value from_chars gives too,
// without from_chars' cost. Nothing for any other text (a blank or a plus
// sign in front, more digits, an exponent), which the caller reads the
// general way.
struct PlainDecimal {
  double value;
  int digits;    // all of them, leading zeros too
  int decimals;  // after the point
};

inline std::optional<PlainDecimal> ReadPlainDecimal(std::string_view text) {
  constexpr int kMaxDigits = 15;  // 10^15 < 2^53
  constexpr double kPowersOfTen[kMaxDigits + 1] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
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
  if (integerDigits == 0) return std::nullopt;
  int decimals = 0;
  if (at != end && *at == '.') {
    ++at;
    decimals = readDigits();
  }
  if (integerDigits + decimals > kMaxDigits || (at != end && (*at == 'e' || *at == 'E'))) return std::nullopt;
  double value = static_cast<double>(digits);
  // Dividing by 1 changes nothing, and a division is the slowest step.
  if (decimals > 0) value /= kPowersOfTen[decimals];
  return PlainDecimal{negative ? -value : value, integerDigits + decimals, decimals};
}

}  // namespace backend
