// Taking the records of a data file by their kind, with the checks of the
// values that several files share. Every check returns an empty text when
// the value is good, else what is wrong with it, for LineError.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "record_file.h"
#include "simbackend/backend_data.h"

namespace simbackend {

// A record kind whose values are counted when it is taken.
inline constexpr std::size_t kAnyCount = static_cast<std::size_t>(-1);

// What a record kind needs: its number of values (or kAnyCount) and how it
// is taken in.
struct RecordKind {
  const char* key;
  std::size_t valueCount;
  std::function<std::string(const DataRecord&)> take;
};

// Takes the records of one file, each by its kind. False with `error` set
// to the file, line and fault of the first record that cannot be taken.
bool TakeRecords(const std::string& path, const std::vector<DataRecord>& records, const std::vector<RecordKind>& kinds,
                 std::string& error);

// The first problem of several checks, or an empty text.
std::string FirstProblem(std::initializer_list<std::string> problems);

std::string CheckText(std::string_view what, const std::string& value, std::size_t maxLength, bool required);

// A whole number from `min` to `max`, digits only.
std::string ParseWholeNumber(std::string_view what, const std::string& text, std::int64_t min, std::int64_t max,
                             std::int64_t& value);

// A decimal number above zero written with digits and at most one point
// ("0.005", "68000"), with at most `maxDecimals` digits after the point.
// `decimals` receives how many it has.
std::string ParseDecimal(std::string_view what, const std::string& text, int maxDecimals, double& value, int& decimals);

// An amount of money above zero with at most two decimals, below a
// trillion, in cents.
std::string ParseMoney(std::string_view what, const std::string& text, std::int64_t& cents);

// An eight-digit date "YYYYMMDD" of a real calendar day.
std::string CheckDate(std::string_view what, const std::string& text);

// A time of day "HH:MM:SS".
std::string CheckTime(std::string_view what, const std::string& text);

// One of `choices`.
std::string CheckChoice(std::string_view what, const std::string& value, std::initializer_list<const char*> choices);

// A decimal number of 0 or more written with digits and at most one point,
// with at most `maxDecimals` digits after it; its value in `value`.
std::string ParseRate(std::string_view what, const std::string& text, int maxDecimals, double& value);

// An amount of money of 0 or more with at most two decimals, below a
// trillion, in cents.
std::string ParseAmount(std::string_view what, const std::string& text, std::int64_t& cents);

// Prices have at most this many decimals and this many ticks, so that the
// terminal's single-precision fields hold them exactly.
inline constexpr int kMaxPriceDecimals = 4;
inline constexpr double kMaxPriceTicks = 1e7;

// A price above 0 of the variety's contracts, in whole ticks of it.
std::string ParsePrice(std::string_view what, const std::string& text, const Variety& variety, std::int64_t& ticks);

}  // namespace simbackend
