#include "client/fixed_text.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

TEST(FixedText, WritesWhatFixedRoundingPrints) {
  struct Case {
    double value;
    int decimals;
    const char* text;
  };
  const Case cases[] = {
      {3000, 0, "3000"},        {2999.8f, 1, "2999.8"}, {0.2f * 3, 4, "0.6000"},
      {-2.5, 2, "-2.50"},       {-0.0, 2, "-0.00"},     {1e20, 2, "100000000000000000000.00"},
      {3512.375, 2, "3512.38"}, {0.125, 2, "0.12"},     {12.5, -1, "12"},
  };
  for (const Case& c : cases) EXPECT_EQ(client::FixedText(c.value, c.decimals), c.text) << c.value;
}

TEST(FixedText, AgreesWithPrintfOnPricesOfEveryTick) {
  // The short path takes the shortest form; printf rounds the exact value.
  char expected[64];
  for (int decimals = 0; decimals <= 7; ++decimals) {
    for (int step = -3000; step <= 3000; ++step) {
      const double value = 2000.0 + step * 0.037 + step * 1e-7;
      std::snprintf(expected, sizeof expected, "%.*f", decimals, value);
      ASSERT_EQ(client::FixedText(value, decimals), expected) << value << " " << decimals;
    }
  }
}

}  // namespace
