#include "engine/money.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
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
