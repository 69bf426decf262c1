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

namespace simbackend {

// What a record kind needs: its number of values and how it is taken in.
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

}  // namespace simbackend
