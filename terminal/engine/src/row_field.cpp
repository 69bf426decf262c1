#include "engine/row_field.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <system_error>

#include "backend/plain_decimal.h"
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

// A plain decimal of at most two decimals and this many digits is its own
// money rounding: its hundredths scale to whole cents within a quarter of a
// cent, which the rounding's floor takes back to the same cents.
constexpr int kMaxSelfRoundedDigits = 13;

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
  if (const std::optional<backend::PlainDecimal> plain = backend::ReadPlainDecimal(text)) return plain->value;
  double value = 0.0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc{} || !std::isfinite(value)) return std::nullopt;
  return value;
}

double ReadNumber(std::string_view text) { return ParseNumber(text).value_or(0.0); }

double ReadMoney(std::string_view text) {
  if (const std::optional<backend::PlainDecimal> plain = backend::ReadPlainDecimal(NumberStart(text));
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
