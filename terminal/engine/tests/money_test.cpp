#include "engine/money.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>

namespace {

using engine::RoundingRule;

struct RoundingCase {
  const char* rule;
  RoundingRule rounding;
  double value;
  double expected;
};

class RoundingTable : public ::testing::TestWithParam<RoundingCase> {};

TEST_P(RoundingTable, RoundsWithItsBias) {
  const RoundingCase& c = GetParam();
  EXPECT_EQ(engine::Round(c.value, c.rounding), c.expected) << c.rule << " of " << c.value;
}

// Hand-checked: floor(x * scale + bias) / scale in double precision.
INSTANTIATE_TEST_SUITE_P(
    Money, RoundingTable,
    ::testing::Values(RoundingCase{"money", engine::kMoneyRounding, 1.2344, 1.23},
                      RoundingCase{"money", engine::kMoneyRounding, 0.0045, 0.01},  // the bias rounds up from .0045
                      RoundingCase{"money", engine::kMoneyRounding, 0.0044, 0.0},
                      RoundingCase{"money", engine::kMoneyRounding, 1.005, 1.01},
                      RoundingCase{"money", engine::kMoneyRounding, 2.344, 2.34},
                      RoundingCase{"money", engine::kMoneyRounding, -1.234, -1.23},
                      RoundingCase{"money", engine::kMoneyRounding, -1.235, -1.23},
                      RoundingCase{"money", engine::kMoneyRounding, -1.2461, -1.25},  // floor toward minus infinity
                      RoundingCase{"money", engine::kMoneyRounding, -0.004, 0.0},
                      RoundingCase{"money", engine::kMoneyRounding, 100.0 / 3.0, 33.33},
                      RoundingCase{"money", engine::kMoneyRounding, 2.5, 2.5},
                      RoundingCase{"price", engine::kPriceRounding, 1.2345, 1.235},
                      RoundingCase{"price", engine::kPriceRounding, 0.0044, 0.004},
                      RoundingCase{"price", engine::kPriceRounding, 2.5, 2.5},
                      RoundingCase{"last price", engine::kLastPriceRounding, 1.23456, 1.2346},
                      RoundingCase{"last price", engine::kLastPriceRounding, 0.00004, 0.0},
                      RoundingCase{"last price", engine::kLastPriceRounding, 0.0001, 0.0001},
                      RoundingCase{"last price", engine::kLastPriceRounding, 2.5, 2.5},
                      RoundingCase{"per lot", engine::kPerLotRounding, 1.234564, 1.23456},
                      RoundingCase{"per lot", engine::kPerLotRounding, 1.234544, 1.23454},
                      RoundingCase{"per lot", engine::kPerLotRounding, 2.5, 2.5}));

// Whatever a faulty calculation upstream leaves is no amount, never "nan".
INSTANTIATE_TEST_SUITE_P(
    NotANumber, RoundingTable,
    ::testing::Values(RoundingCase{"money", engine::kMoneyRounding, std::numeric_limits<double>::quiet_NaN(), 0.0},
                      RoundingCase{"money", engine::kMoneyRounding, std::numeric_limits<double>::infinity(), 0.0},
                      RoundingCase{"per lot", engine::kPerLotRounding, -std::numeric_limits<double>::infinity(), 0.0},
                      RoundingCase{"per lot", engine::kPerLotRounding, std::numeric_limits<double>::max(), 0.0}));

TEST(MoneyText, IsTwoDecimalsOfTheRoundedAmount) {
  EXPECT_EQ(engine::MoneyText(1.005), "1.01");
  EXPECT_EQ(engine::MoneyText(2.344), "2.34");
  EXPECT_EQ(engine::MoneyText(-1.235), "-1.23");
  EXPECT_EQ(engine::MoneyText(-0.004), "0.00");  // never "-0.00"
  EXPECT_EQ(engine::MoneyText(std::nan("")), "0.00");
  EXPECT_EQ(engine::MoneyText(1e12), "1000000000000.00");
}

// What "%.2f" prints of the money-rounded amount, by the general conversion.
std::string FixedTwoDecimals(double amount) {
  char text[400];
  const auto [end, error] =
      std::to_chars(text, text + sizeof text, engine::RoundMoney(amount), std::chars_format::fixed, 2);
  return error == std::errc() ? std::string(text, end) : "conversion failed";
}

// The text and the cents of an amount against the general conversion and
// the rounded amount scaled back.
void ExpectTextAndCentsOf(double amount) {
  ASSERT_EQ(engine::MoneyText(amount), FixedTwoDecimals(amount)) << amount;
  ASSERT_EQ(engine::MoneyCents(amount), std::llround(engine::RoundMoney(amount) * 100.0)) << amount;
}

TEST(MoneyText, EqualsTheGeneralConversionOnAwkwardAmounts) {
  const double awkward[] = {0.0,
                            -0.0,
                            0.005,
                            -0.005,
                            0.0045,
                            -0.0055,
                            -0.0056,
                            0.995,
                            -0.995,
                            1.005,
                            -1.005,
                            2.675,
                            -2.675,
                            0.1 + 0.2,
                            99.995,
                            -99.995,
                            123456789.125,
                            -123456789.125,
                            9999999999999.99,
                            -9999999999999.99,
                            10000000000000.0,
                            -10000000000000.0,
                            12345678901234.56,
                            1e15 + 0.5,
                            -1e17,
                            4503599627370496.0,
                            1e300,
                            -1e300,
                            std::numeric_limits<double>::max(),
                            std::numeric_limits<double>::lowest(),
                            std::numeric_limits<double>::denorm_min(),
                            std::numeric_limits<double>::infinity(),
                            -std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::quiet_NaN()};
  for (const double amount : awkward) ExpectTextAndCentsOf(amount);
}

TEST(MoneyText, EqualsTheGeneralConversionAcrossMagnitudes) {
  std::mt19937_64 random(20261211);
  for (int exponent = -4; exponent <= 16; ++exponent) {
    std::uniform_real_distribution<double> within(-std::pow(10.0, exponent), std::pow(10.0, exponent));
    for (int i = 0; i < 2000; ++i) {
      const double amount = within(random);
      ExpectTextAndCentsOf(amount);
      // Amounts on and beside a half cent, where the bias decides.
      const double halfCent = std::floor(amount * 100.0) / 100.0 + 0.005;
      for (const double near : {halfCent, std::nextafter(halfCent, 0.0), std::nextafter(halfCent, 1e300)}) {
        ExpectTextAndCentsOf(near);
      }
    }
  }
}

TEST(NoPrice, IsBelowOneMillionthEitherSide) {
  EXPECT_TRUE(engine::IsNoPrice(0.0));
  EXPECT_TRUE(engine::IsNoPrice(9e-7));
  EXPECT_TRUE(engine::IsNoPrice(-9e-7));
  EXPECT_TRUE(engine::IsNoPrice(engine::Round(0.00004, engine::kLastPriceRounding)));
  EXPECT_TRUE(engine::IsNoPrice(std::nan("")));
  EXPECT_FALSE(engine::IsNoPrice(1e-6));
  EXPECT_FALSE(engine::IsNoPrice(-0.0001));
}

}  // namespace
