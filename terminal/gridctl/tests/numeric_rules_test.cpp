#include "gridctl/model/numeric_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using gridctl::EditState;
using gridctl::NumericBounds;

TEST(NumericRules, LotsAreDigitsOnlyAndPricesWhollyNumeric) {
  EXPECT_EQ(gridctl::ParseLots("12"), 12);
  EXPECT_EQ(gridctl::ParseLots("007"), 7);
  for (const char* bad : {"", "1a", "-1", "+1", " 1", "1.0", "1e3", "1234567890"}) {
    EXPECT_EQ(gridctl::ParseLots(bad), std::nullopt) << bad;
  }
  EXPECT_EQ(gridctl::ParsePrice("3820"), 3820.0);
  EXPECT_EQ(gridctl::ParsePrice("455.6"), 455.6);
  EXPECT_EQ(gridctl::ParsePrice("12."), 12.0);
  EXPECT_EQ(gridctl::ParsePrice(".5"), 0.5);
  for (const char* bad : {"", ".", "1e5", "12.3.4", "12abc", "-3", "0x10", "inf", " 1"}) {
    EXPECT_EQ(gridctl::ParsePrice(bad), std::nullopt) << bad;
  }
}

struct StepCase {
  const char* text;
  NumericBounds bounds;
  int direction;
  const char* expected;
};

TEST(NumericRules, StepsStayWithinTheBoundsAndWriteTheStepsDecimals) {
  const std::vector<StepCase> cases = {
      {"12.3", {0, 99999, 0.2, true}, 1, "12.5"},
      {"12.3", {0, 99999, 0.001, true}, 1, "12.301"},
      {"1", {0, 99999, 0.0001, true}, 1, "1.000100"},  // four decimals and more: "%f"
      {"3501", {0, 99999, 1, true}, 1, "3502"},        // a whole tick: no decimals
      {"12.3", {0, 12.35, 0.1, true}, 1, "12.3"},      // past the bound: unchanged, written again
      {"abc", {0, 99999, 0.5, true}, 1, "0.5"},        // no number: from 0
      {"12abc", {0, 99999, 1, false}, 1, "1"},         // nor is this a lot count
      {"99999", {1, 99999, 1, false}, 1, "99999"},
      {"1", {1, 99999, 1, false}, -1, "1"},
      {"5", {1, 99999, 1, false}, -1, "4"},
      {"5", {1, 99999, 2.7, false}, 1, "7"},  // a whole-number step is cut to an integer
  };
  for (const StepCase& step : cases) {
    EXPECT_EQ(gridctl::SteppedText(step.text, step.bounds, step.direction), std::string(step.expected))
        << step.text << " by " << step.bounds.step;
  }
  EXPECT_EQ(gridctl::SteppedText("12", {0, 99999, 0, false}, 1), std::nullopt);
}

TEST(NumericRules, DecimalsFollowTheTickUnlessItRoundsToNothing) {
  EXPECT_EQ(gridctl::AllowedDecimals(0.2), 1);
  EXPECT_EQ(gridctl::AllowedDecimals(0.01), 2);
  EXPECT_EQ(gridctl::AllowedDecimals(5), 0);
  EXPECT_EQ(gridctl::AllowedDecimals(0.0000001), std::nullopt);
}

TEST(NumericRules, LotEditsTakeDigitsUpToTheBoundsLength) {
  const NumericBounds lots{1, 99999, 1, false};
  EXPECT_FALSE(gridctl::NumericEditTakes('6', {"12345", 5, 5}, lots));
  EXPECT_TRUE(gridctl::NumericEditTakes('6', {"12345", 0, 5}, lots));  // typed over the selection
  EXPECT_TRUE(gridctl::NumericEditTakes('6', {"1234", 4, 4}, lots));
  EXPECT_TRUE(gridctl::NumericEditTakes('1', {"", 0, 0}, lots));
  for (char refused : {'a', '.', '-', ' ', '+'}) EXPECT_FALSE(gridctl::NumericEditTakes(refused, {"12", 2, 2}, lots));
  // An edit without bounds (a combo's edit part) takes anything.
  EXPECT_TRUE(gridctl::NumericEditTakes('a', {"买入", 4, 4}, NumericBounds{}));
}

TEST(NumericRules, RealNumberEditsCountWholeDigitsOnly) {
  const NumericBounds amounts{0, 99999, 0.01, true};
  EXPECT_FALSE(gridctl::NumericEditTakes('6', {"12345", 5, 5}, amounts));
  EXPECT_TRUE(gridctl::NumericEditTakes('6', {"12345.1", 7, 7}, amounts));
  EXPECT_FALSE(gridctl::NumericEditTakes('6', {"12345.1", 0, 0}, amounts));
  EXPECT_TRUE(gridctl::NumericEditTakes('.', {"125", 3, 3}, amounts));
  EXPECT_FALSE(gridctl::NumericEditTakes('.', {"12.5", 4, 4}, amounts));
}

TEST(NumericRules, PriceEditsTakeTheTicksDecimalsAndOnePoint) {
  const NumericBounds prices{gridctl::kPriceLower, gridctl::kPriceUpper, 0.2, true};
  const std::optional<int> one = gridctl::AllowedDecimals(0.2);
  EXPECT_FALSE(gridctl::PriceEditTakes('4', {"12.3", 4, 4}, prices, one));
  EXPECT_TRUE(gridctl::PriceEditTakes('4', {"12.", 3, 3}, prices, one));
  EXPECT_TRUE(gridctl::PriceEditTakes('4', {"12.3", 3, 4}, prices, one));
  EXPECT_TRUE(gridctl::PriceEditTakes('9', {"12.3", 0, 0}, prices, one));
  for (char refused : {'-', 'a', 'e', '+', ','})
    EXPECT_FALSE(gridctl::PriceEditTakes(refused, {"12", 2, 2}, prices, one));
  EXPECT_FALSE(gridctl::PriceEditTakes('.', {"12", 0, 0}, prices, one));  // before everything
  EXPECT_FALSE(gridctl::PriceEditTakes('.', {"12.3", 4, 4}, prices, one));
  EXPECT_TRUE(gridctl::PriceEditTakes('.', {"12.3", 2, 3}, prices, one));  // over the old point
  EXPECT_FALSE(gridctl::PriceEditTakes('.', {"12", 2, 2}, NumericBounds{0, 99999, 1, false}, 0));
  // Nickel's six-digit prices fit; the bound's eight digits are the most.
  EXPECT_TRUE(gridctl::PriceEditTakes('0', {"125600", 6, 6}, prices, one));
  EXPECT_FALSE(gridctl::PriceEditTakes('9', {"12345678", 8, 8}, prices, one));
  // A tick too small to count allows any decimals.
  EXPECT_TRUE(gridctl::PriceEditTakes('7', {"0.000000", 8, 8}, prices, std::nullopt));
}

TEST(NumericRules, AHeldSpinRepeatsFasterAndFaster) {
  gridctl::SpinRepeat spin;
  EXPECT_EQ(spin.Tick(), 0);
  spin.Press(gridctl::SpinRepeat::DirectionOf(4, 20));
  std::vector<int> steppedAt;
  for (int tick = 1; tick <= 20; ++tick) {
    if (spin.Tick() != 0) steppedAt.push_back(tick);
  }
  EXPECT_EQ(steppedAt, (std::vector<int>{1, 9, 13, 15, 16, 17, 18, 19, 20}));
  spin.Release();
  EXPECT_EQ(spin.Tick(), 0);
  spin.Press(gridctl::SpinRepeat::DirectionOf(15, 20));
  EXPECT_EQ(spin.Tick(), -1);
  EXPECT_EQ(gridctl::SpinRepeat::DirectionOf(10, 20), 1);
}

}  // namespace
