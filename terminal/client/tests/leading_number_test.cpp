#include "leading_number.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <limits>
#include <optional>
#include <random>
#include <string>

namespace {

// What from_chars alone makes of the text, the way LeadingDecimal reads it.
std::optional<double> FromChars(std::string text) {
  if (text.size() > 1 && text[0] == '+' && text[1] != '-') text.erase(0, 1);
  double value = 0;
  const std::from_chars_result read = std::from_chars(text.data(), text.data() + text.size(), value);
  if (read.ec != std::errc() || !std::isfinite(value)) return std::nullopt;
  return value;
}

void ExpectSameAsFromChars(const std::string& text) {
  const std::optional<double> read = client::LeadingDecimal(text);
  const std::optional<double> expected = FromChars(text);
  ASSERT_EQ(read.has_value(), expected.has_value()) << text;
  if (!read) return;
  // Bit for bit, the sign of a zero included.
  EXPECT_EQ(std::signbit(*read), std::signbit(*expected)) << text;
  EXPECT_EQ(*read, *expected) << text;
}

TEST(LeadingDecimal, ReadsEveryFormExactlyAsFromChars) {
  // clang-format off
  for (const std::string text :
       {"0", "-0", "-0.0", "12", "12.", "12.5", "+12.5", "-12.5", "0.1", "0.3", "1234.5678", "72150.0|", "5e3",
        "5.e3", "1.5e", "1.5E-2", ".5", "-.5", "-", "", "x", "inf", "nan", "0x1A", "12,3", "123456789012345",
        "1234567890123456", "0.000000000000001", "9007199254740993", "99999999999999.9", "1.2.3", "--1", "007",
        "-000", "-123456789012345", "100000000000000", "1000000000000000", "50000|", "-1.", "0.", "72150.00000000"}) {
    // clang-format on
    ExpectSameAsFromChars(text);
  }
}

TEST(LeadingDecimal, ReadsRandomPlainDecimalsExactlyAsFromChars) {
  std::mt19937_64 random(20261211);
  std::uniform_int_distribution<int> digitCount(1, 18);
  std::uniform_int_distribution<int> digit(0, 9);
  for (int round = 0; round < 100000; ++round) {
    std::string text = round % 3 == 0 ? "-" : "";
    const int integerDigits = digitCount(random);
    for (int i = 0; i < integerDigits; ++i) text.push_back(static_cast<char>('0' + digit(random)));
    if (round % 4 != 0) {
      text.push_back('.');
      const int fractionDigits = digitCount(random) - 1;
      for (int i = 0; i < fractionDigits; ++i) text.push_back(static_cast<char>('0' + digit(random)));
    }
    ExpectSameAsFromChars(text);
  }
}

TEST(LeadingInteger, ReadsTheLeadingNumberHeldToTheIntRange) {
  constexpr int kMax = std::numeric_limits<int>::max();
  constexpr int kMin = std::numeric_limits<int>::min();
  const struct {
    const char* text;
    int expected;
  } cases[] = {
      {"0", 0},
      {"-12", -12},
      {"+12", 12},
      {"  7", 7},
      {"\t-3x", -3},
      {"7 ", 7},
      {"12,5", 12},
      {"007", 7},
      {" +5", 5},
      {"1e3", 1},
      {"", 0},
      {"x", 0},
      {"-", 0},
      {"+-3", 0},
      {"--1", 0},
      {"2147483647", kMax},
      {"2147483648", kMax},
      {"-2147483649", kMin},
      {"99999999999999999999", kMax},
      {"-99999999999999999999", kMin},
  };
  for (const auto& [text, expected] : cases) EXPECT_EQ(client::LeadingInteger(text), expected) << text;
}

}  // namespace
