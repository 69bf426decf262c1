#include "client/fixed_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string_view>

namespace client {
namespace {

// Most prices are short decimals ("3512.4"): their shortest form, padded
// with zeros, is what fixed rounding gives, and is much cheaper to find.
// Below kShortestLimit a double's spacing is under 1e-6, so the exact value
// lies within half a unit of the last decimal of any form with at most six
// decimals that reads back as it.
constexpr double kShortestLimit = 1e9;
constexpr int kShortestDecimals = 6;

std::optional<std::string> PaddedShortest(double value, int decimals) {
  if (decimals > kShortestDecimals || !(std::fabs(value) < kShortestLimit)) return std::nullopt;
  char text[32];
  // A whole number (most futures prices) is written as an integer, faster
  // still; a zero keeps its sign through the general path.
  const bool whole = value != 0 && value == std::trunc(value);
  const auto result = whole ? std::to_chars(text, text + sizeof text, static_cast<std::int64_t>(value))
                            : std::to_chars(text, text + sizeof text, value, std::chars_format::fixed);
  if (result.ec != std::errc()) return std::nullopt;
  const std::string_view shortest(text, static_cast<std::size_t>(result.ptr - text));
  const std::size_t point = shortest.find('.');
  const int shown = point == std::string_view::npos ? 0 : static_cast<int>(shortest.size() - point - 1);
  if (shown > decimals) return std::nullopt;
  std::string padded(shortest);
  if (decimals > 0 && shown == 0) padded += '.';
  padded.append(static_cast<std::size_t>(decimals - shown), '0');
  return padded;
}

}  // namespace

std::string FixedText(double value, int decimals) {
  decimals = std::max(decimals, 0);
  if (std::optional<std::string> padded = PaddedShortest(value, decimals)) return *std::move(padded);
  // Room for the integral digits of the largest double and the decimals.
  char text[400];
  const auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
  return result.ec == std::errc() ? std::string(text, result.ptr) : std::string();
}

}  // namespace client
