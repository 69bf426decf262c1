#include "gridctl/model/numeric_rules.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "client/code_tables.h"

namespace gridctl {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string Printed(const char* format, double value) {
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// The text once the typed character replaced the selection.
std::string AfterTyping(const EditState& state, char typed) {
  const auto size = static_cast<int>(state.text.size());
  const int start = std::clamp(std::min(state.selectionStart, state.selectionEnd), 0, size);
  const int end = std::clamp(std::max(state.selectionStart, state.selectionEnd), 0, size);
  std::string result = state.text.substr(0, static_cast<std::size_t>(start));
  result += typed;
  result += state.text.substr(static_cast<std::size_t>(end));
  return result;
}

// Whole digits of the upper bound: those of "%d" of it for whole numbers,
// those before the point of "%0.2f" for real ones.
std::size_t WholeDigitsAllowed(const NumericBounds& bounds) {
  if (bounds.realNumbers) return Printed("%0.2f", bounds.upper).size() - 3;
  return std::to_string(static_cast<long>(bounds.upper)).size();
}

// Whether a typed digit keeps the whole part within the upper bound's
// digits: digits typed after the point always do.
bool DigitFits(const EditState& state, const NumericBounds& bounds) {
  if (state.text.empty()) return true;
  const std::size_t point = state.text.find('.');
  if (bounds.realNumbers && point != std::string::npos &&
      static_cast<std::size_t>(std::max(state.selectionStart, state.selectionEnd)) > point) {
    return true;
  }
  const std::string after = AfterTyping(state, '0');
  return std::min(after.find('.'), after.size()) <= WholeDigitsAllowed(bounds);
}

// Whether the text outside the selection already holds a point.
bool KeepsAPoint(const EditState& state) { return AfterTyping(state, 'x').find('.') != std::string::npos; }

}  // namespace

std::optional<long> ParseLots(std::string_view text) {
  if (text.empty() || text.size() > 9) return std::nullopt;
  long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || !IsDigit(text.front())) return std::nullopt;
  return value;
}

std::optional<double> ParsePrice(std::string_view text) {
  int digits = 0;
  int points = 0;
  for (const char c : text) {
    if (IsDigit(c)) {
      ++digits;
    } else if (c == '.') {
      ++points;
    } else {
      return std::nullopt;
    }
  }
  if (digits == 0 || points > 1) return std::nullopt;
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

std::optional<std::string> SteppedText(std::string_view text, const NumericBounds& bounds, int direction) {
  if (bounds.step == 0) return std::nullopt;
  if (bounds.realNumbers) {
    double value = ParsePrice(text).value_or(0);
    const double next = value + direction * bounds.step;
    if (direction > 0 ? next <= bounds.upper : next >= bounds.lower) value = next;
    switch (client::CountDecimalPlaces(bounds.step)) {
      case 0: return Printed("%.0f", value);
      case 1: return Printed("%.01f", value);
      case 2: return Printed("%.02f", value);
      case 3: return Printed("%.03f", value);
      default: return Printed("%f", value);
    }
  }
  long value = ParseLots(text).value_or(0);
  const long next = value + direction * static_cast<long>(bounds.step);
  if (direction > 0 ? next <= bounds.upper : next >= bounds.lower) value = next;
  return std::to_string(value);
}

std::optional<int> AllowedDecimals(double tick) {
  if (std::fabs(tick) < 0.0000005) return std::nullopt;
  return client::CountDecimalPlaces(tick);
}

bool NumericEditTakes(char typed, const EditState& state, const NumericBounds& bounds) {
  if (bounds.upper <= 0) return true;
  if (IsDigit(typed)) return DigitFits(state, bounds);
  return bounds.realNumbers && typed == '.' && !KeepsAPoint(state);
}

bool PriceEditTakes(char typed, const EditState& state, const NumericBounds& bounds, std::optional<int> decimals) {
  if (typed == '.') {
    const bool atStart = state.selectionStart == 0 && state.selectionEnd == 0;
    return bounds.realNumbers && !atStart && !KeepsAPoint(state);
  }
  if (!IsDigit(typed)) return false;
  const std::size_t point = state.text.find('.');
  const int start = std::min(state.selectionStart, state.selectionEnd);
  const int end = std::max(state.selectionStart, state.selectionEnd);
  if (point != std::string::npos && static_cast<std::size_t>(start) > point && decimals) {
    const int after = static_cast<int>(state.text.size()) - end + start - static_cast<int>(point);
    if (after > *decimals) return false;
  }
  return bounds.upper <= 0 || DigitFits(state, bounds);
}

void SpinRepeat::Press(int direction) {
  direction_ = direction;
  ticksPerStep_ = 16;
  counter_ = 15;  // the first step at the next tick
}

int SpinRepeat::Tick() {
  if (direction_ == 0 || ++counter_ < ticksPerStep_) return 0;
  counter_ = 0;
  if (ticksPerStep_ > 1) ticksPerStep_ /= 2;
  return direction_;
}

}  // namespace gridctl
