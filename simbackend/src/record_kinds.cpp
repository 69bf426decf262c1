#include "record_kinds.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "platform/clock.h"

namespace simbackend {
namespace {

bool AllDigits(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

bool TakeRecords(const std::string& path, const std::vector<DataRecord>& records, const std::vector<RecordKind>& kinds,
                 std::string& error) {
  for (const DataRecord& record : records) {
    const auto kind =
        std::find_if(kinds.begin(), kinds.end(), [&](const RecordKind& k) { return record.key == k.key; });
    std::string problem;
    if (kind == kinds.end()) {
      problem = "unknown record '" + Printable(record.key) + "'";
    } else if (kind->valueCount != kAnyCount && record.values.size() != kind->valueCount) {
      problem = "'" + record.key + "' takes " + std::to_string(kind->valueCount) + " values, found " +
                std::to_string(record.values.size());
    } else {
      problem = kind->take(record);
    }
    if (!problem.empty()) {
      error = LineError(path, record.line, problem);
      return false;
    }
  }
  return true;
}

std::string FirstProblem(std::initializer_list<std::string> problems) {
  for (const std::string& problem : problems)
    if (!problem.empty()) return problem;
  return {};
}

std::string CheckText(std::string_view what, const std::string& value, std::size_t maxLength, bool required) {
  if (required && value.empty()) return std::string(what) + " is empty";
  if (value.size() > maxLength) return std::string(what) + " is longer than " + std::to_string(maxLength) + " bytes";
  return {};
}

std::string ParseWholeNumber(std::string_view what, const std::string& text, std::int64_t min, std::int64_t max,
                             std::int64_t& value) {
  std::int64_t parsed = 0;
  const char* const end = text.data() + text.size();
  if (!AllDigits(text) || std::from_chars(text.data(), end, parsed).ptr != end || parsed < min || parsed > max)
    return std::string(what) + " '" + Printable(text) + "' is not a whole number from " + std::to_string(min) + " to " +
           std::to_string(max);
  value = parsed;
  return {};
}

std::string ParseDecimal(std::string_view what, const std::string& text, int maxDecimals, double& value,
                         int& decimals) {
  double parsed = 0;
  if (std::string problem = ParseRate(what, text, maxDecimals, parsed); !problem.empty() || !(parsed > 0))
    return problem.find("decimals") != std::string::npos
               ? problem
               : std::string(what) + " '" + Printable(text) + "' is not a decimal number above 0";
  value = parsed;
  const std::size_t point = text.find('.');
  decimals = point == std::string::npos ? 0 : static_cast<int>(text.size() - point - 1);
  return {};
}

std::string ParseRate(std::string_view what, const std::string& text, int maxDecimals, double& value) {
  const std::size_t point = text.find('.');
  const std::string_view whole = std::string_view(text).substr(0, point);
  const std::string_view fraction =
      point == std::string::npos ? std::string_view() : std::string_view(text).substr(point + 1);
  if (!AllDigits(whole) || (point != std::string::npos && !AllDigits(fraction)))
    return std::string(what) + " '" + Printable(text) + "' is not a decimal number of 0 or more";
  if (fraction.size() > static_cast<std::size_t>(maxDecimals))
    return std::string(what) + " '" + Printable(text) + "' has more than " + std::to_string(maxDecimals) + " decimals";
  const char* const end = text.data() + text.size();
  if (std::from_chars(text.data(), end, value, std::chars_format::fixed).ptr != end)
    return std::string(what) + " '" + Printable(text) + "' is not a decimal number of 0 or more";
  return {};
}

std::string ParseMoney(std::string_view what, const std::string& text, std::int64_t& cents) {
  double amount = 0;
  int decimals = 0;
  if (std::string problem = ParseDecimal(what, text, 2, amount, decimals); !problem.empty()) return problem;
  return ParseAmount(what, text, cents);
}

std::string ParseAmount(std::string_view what, const std::string& text, std::int64_t& cents) {
  constexpr double kMaxAmount = 1e12;
  double amount = 0;
  if (std::string problem = ParseRate(what, text, 2, amount); !problem.empty()) return problem;
  if (amount >= kMaxAmount) return std::string(what) + " '" + Printable(text) + "' is too large";
  cents = std::llround(amount * 100);
  return {};
}

std::string ParsePrice(std::string_view what, const std::string& text, const Variety& variety, std::int64_t& ticks) {
  double price = 0;
  int decimals = 0;
  if (std::string problem = ParseDecimal(what, text, kMaxPriceDecimals, price, decimals); !problem.empty())
    return problem;
  const auto shown = [](double value) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*f", kMaxPriceDecimals, value);
    return std::string(buffer);
  };
  const double exact = price / variety.tick;
  if (exact > kMaxPriceTicks)
    return std::string(what) + " " + shown(price) + " is more than " +
           std::to_string(static_cast<std::int64_t>(kMaxPriceTicks)) + " ticks";
  ticks = std::llround(exact);
  if (std::fabs(exact - static_cast<double>(ticks)) > 1e-6) {
    char tick[64];
    std::snprintf(tick, sizeof tick, "%.*f", variety.decimals, variety.tick);
    return std::string(what) + " " + shown(price) + " is not a whole number of ticks of " + tick;
  }
  return {};
}

std::string CheckDate(std::string_view what, const std::string& text) {
  const std::string problem = std::string(what) + " '" + Printable(text) + "' is not a date YYYYMMDD";
  if (text.size() != 8 || !AllDigits(text)) return problem;
  const platform::CivilDate date{std::stoi(text.substr(0, 4)), std::stoi(text.substr(4, 2)),
                                 std::stoi(text.substr(6, 2))};
  // A day that does not exist comes back as another one.
  if (date.month < 1 || date.month > 12 || date.day < 1 || platform::AddDays(date, 0) != date) return problem;
  return {};
}

std::string CheckTime(std::string_view what, const std::string& text) {
  const auto part = [&](std::size_t at, int max) {
    return AllDigits(text.substr(at, 2)) && std::stoi(text.substr(at, 2)) <= max;
  };
  if (text.size() != 8 || text[2] != ':' || text[5] != ':' || !part(0, 23) || !part(3, 59) || !part(6, 59))
    return std::string(what) + " '" + Printable(text) + "' is not a time HH:MM:SS";
  return {};
}

std::string CheckChoice(std::string_view what, const std::string& value, std::initializer_list<const char*> choices) {
  std::string listed;
  for (const char* choice : choices) {
    if (value == choice) return {};
    listed += listed.empty() ? "" : ", ";
    listed += choice;
  }
  return std::string(what) + " '" + Printable(value) + "' is not one of " + listed;
}

}  // namespace simbackend
