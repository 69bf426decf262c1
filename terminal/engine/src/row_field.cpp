#include "engine/row_field.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

#include "platform/gbk.h"

namespace engine::row_field_detail {
namespace {

// The text from its first character that is no blank (as the C library's
// conversions skip it), with a leading "+" dropped, which from_chars does
// not take.
std::string_view NumberStart(std::string_view text) {
  const std::size_t start = text.find_first_not_of(" \t\n\v\f\r");
  if (start == std::string_view::npos) return {};
  text.remove_prefix(start);
  if (text.size() > 1 && text.front() == '+' && text[1] != '-') text.remove_prefix(1);
  return text;
}

// Most stored numbers are plain decimals of a few digits ("-123.45"): as
// whole digits m and k decimals, m / 10^k is the correctly rounded value
// from_chars gives, while m and 10^k are exact doubles (m below 2^53, k at
// most 22). Nothing for any other text, which from_chars then reads.
struct PlainNumber {
  double value;
  std::size_t digits;    // all of them, leading zeros too
  std::size_t decimals;  // after the point
};

std::optional<PlainNumber> PlainDecimal(std::string_view text) {
  constexpr std::size_t kMaxDigits = 15;  // 10^15 < 2^53
  constexpr double kPowersOfTen[kMaxDigits + 1] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
  std::size_t at = 0;
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) ++at;
  std::uint64_t digits = 0;
  std::size_t digitCount = 0;
  std::size_t decimals = 0;
  bool point = false;
  for (; at < text.size(); ++at) {
    const char c = text[at];
    if (c >= '0' && c <= '9') {
      if (++digitCount > kMaxDigits) return std::nullopt;
      digits = digits * 10 + static_cast<unsigned>(c - '0');
      if (point) ++decimals;
    } else if (c == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  // No digit, or an exponent after them: from_chars decides.
  if (digitCount == 0 || (at < text.size() && (text[at] == 'e' || text[at] == 'E'))) return std::nullopt;
  const double value = static_cast<double>(digits) / kPowersOfTen[decimals];
  return PlainNumber{negative ? -value : value, digitCount, decimals};
}

// A plain decimal of at most two decimals and this many digits is its own
// money rounding: its hundredths scale to whole cents within a quarter of a
// cent, which the rounding's floor takes back to the same cents.
constexpr std::size_t kMaxSelfRoundedDigits = 13;

}  // namespace

void SetText(char* field, std::size_t width, std::string_view text) {
  if (width == 0) return;
  text = text.substr(0, text.find('\0'));
  const std::size_t length = platform::GbkFitLength(text, width - 1);
  // An empty view may have no data at all, which memcpy must not be given.
  if (length > 0) std::memcpy(field, text.data(), length);
  std::memset(field + length, 0, width - length);
}

void SetAsciiText(char* field, std::size_t width, std::string_view text) {
  if (width == 0) return;
  const std::size_t length = std::min(text.size(), width - 1);
  if (length > 0) std::memcpy(field, text.data(), length);
  std::memset(field + length, 0, width - length);
}

std::string_view Text(const char* field, std::size_t width) { return {field, strnlen(field, width)}; }

std::optional<double> ParseNumber(std::string_view text) {
  text = NumberStart(text);
  if (const std::optional<PlainNumber> plain = PlainDecimal(text)) return plain->value;
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || !std::isfinite(value)) return std::nullopt;
  return value;
}

double ReadNumber(std::string_view text) { return ParseNumber(text).value_or(0.0); }

double ReadMoney(std::string_view text) {
  if (const std::optional<PlainNumber> plain = PlainDecimal(NumberStart(text));
      plain && plain->decimals <= 2 && plain->digits <= kMaxSelfRoundedDigits) {
    // The rounding of -0 gives 0.
    return plain->value == 0.0 ? 0.0 : plain->value;
  }
  return RoundMoney(ReadNumber(text));
}

int ReadInt(std::string_view text) {
  text = NumberStart(text);
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc{} ? value : 0;
}

void SetInt(char* field, std::size_t width, int value) {
  char text[16];  // room for every int
  const char* end = std::to_chars(text, text + sizeof text, value).ptr;
  SetAsciiText(field, width, std::string_view(text, static_cast<std::size_t>(end - text)));
}

}  // namespace engine::row_field_detail
