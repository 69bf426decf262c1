#include "record_kinds.h"

#include <algorithm>
#include <charconv>
#include <cmath>

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
    } else if (record.values.size() != kind->valueCount) {
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
  const std::size_t point = text.find('.');
  const std::string_view whole = std::string_view(text).substr(0, point);
  const std::string_view fraction =
      point == std::string::npos ? std::string_view() : std::string_view(text).substr(point + 1);
  const std::string problem = std::string(what) + " '" + Printable(text) + "' is not a decimal number above 0";
  if (!AllDigits(whole) || (point != std::string::npos && !AllDigits(fraction))) return problem;
  if (fraction.size() > static_cast<std::size_t>(maxDecimals))
    return std::string(what) + " '" + Printable(text) + "' has more than " + std::to_string(maxDecimals) + " decimals";
  double parsed = 0;
  const char* const end = text.data() + text.size();
  if (std::from_chars(text.data(), end, parsed, std::chars_format::fixed).ptr != end || !(parsed > 0)) return problem;
  value = parsed;
  decimals = static_cast<int>(fraction.size());
  return {};
}

std::string ParseMoney(std::string_view what, const std::string& text, std::int64_t& cents) {
  constexpr double kMaxAmount = 1e12;
  double amount = 0;
  int decimals = 0;
  if (std::string problem = ParseDecimal(what, text, 2, amount, decimals); !problem.empty()) return problem;
  if (amount >= kMaxAmount) return std::string(what) + " '" + Printable(text) + "' is too large";
  cents = std::llround(amount * 100);
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

}  // namespace simbackend
