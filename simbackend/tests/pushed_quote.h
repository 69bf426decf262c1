// A quote push read as the terminal reads it: prices are the field plus the
// base price of field 39, an empty price field is no price, and the prices
// of book levels 2 to 5 count only with depth flag 1 (or base price 0).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace simbackend_test {

struct PushedLevel {
  double price = 0;
  std::int64_t volume = 0;
};

struct PushedQuote {
  std::string code;  // field 4: the push code
  std::string exchange;
  std::string contract;
  std::string name;
  double preClose = 0;
  double open = 0;
  double high = 0;
  double low = 0;
  double last = 0;
  std::int64_t volume = 0;
  double upperLimit = 0;
  double lowerLimit = 0;
  double preSettlement = 0;
  std::int64_t openInterest = 0;
  std::array<PushedLevel, 5> bids;
  std::array<PushedLevel, 5> asks;
  std::int64_t bidOrders = 0;  // the part of fields 23 and 24 after the comma
  std::int64_t askOrders = 0;
};

PushedQuote ReadQuotePush(std::string_view line);

}  // namespace simbackend_test
