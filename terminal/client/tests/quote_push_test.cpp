#include "client/quote_push.h"

#include <gtest/gtest.h>

#include <string>

#include "client/testing/push_lines.h"

namespace {

using backend::QuoteRecord;
using client_testing::PushFields;
using client_testing::PushLine;

QuoteRecord Parse(const std::string& line) {
  // Whatever the caller's record held is gone.
  QuoteRecord quote;
  quote.fNewPrice = 1;
  quote.reserved2[0] = 'x';
  EXPECT_TRUE(client::ParseQuotePush(line, quote));
  return quote;
}

// Every field its own number, so that each member shows where it came from.
TEST(ParseQuotePush, EveryMemberComesFromItsOwnField) {
  PushFields fields{{9, "1"}, {11, "cu2607"}, {12, "沪铜2607"}, {23, "2300,2301"}, {24, "2400,2401"}};
  for (int n : {13, 14, 15, 16, 17, 18, 19, 21, 22, 25, 26, 27, 28, 31, 57, 58}) fields[n] = std::to_string(n * 100);
  for (int n = 41; n <= 56; ++n) fields[n] = std::to_string(n * 100);
  const QuoteRecord quote = Parse(PushLine(15001, fields));

  EXPECT_STREQ(quote.szExchange, "1");
  EXPECT_STREQ(quote.szCode, "cu2607");
  EXPECT_STREQ(quote.szName, "沪铜2607");
  EXPECT_EQ(quote.fNewPrice, 1700);
  EXPECT_EQ(quote.dAmount, 1900);
  EXPECT_EQ(quote.dwVolume, 1800);
  EXPECT_EQ(quote.dwOpenInterest, 3100);
  EXPECT_EQ(quote.fLastClosePrice, 1300);
  EXPECT_EQ(quote.fOpenPrice, 1400);
  EXPECT_EQ(quote.fHighestPrice, 1500);
  EXPECT_EQ(quote.fLowestPrice, 1600);
  EXPECT_EQ(quote.fLowerLimitPrice, 2600);
  EXPECT_EQ(quote.fUpperLimitPrice, 2500);
  EXPECT_EQ(quote.dwPreOpenInterest, 5800);
  EXPECT_EQ(quote.fPreSettlementPrice, 2700);
  EXPECT_EQ(quote.fSettlementPrice, 2800);
  EXPECT_EQ(quote.fClosePrice, 5700);
  EXPECT_EQ(quote.fBuyPrice1, 2100);
  EXPECT_EQ(quote.dwBuyVolume1, 2300);
  EXPECT_EQ(quote.dwBuyVolumeSecond, 2301);
  EXPECT_EQ(quote.fSellPrice1, 2200);
  EXPECT_EQ(quote.dwSellVolume1, 2400);
  EXPECT_EQ(quote.dwSellVolumeSecond, 2401);
  for (int k = 0; k < 4; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(quote.depth[k].dwBuyVolume, (41 + 2 * k) * 100);
    EXPECT_EQ(quote.depth[k].fBuyPrice, static_cast<float>((42 + 2 * k) * 100));
    EXPECT_EQ(quote.depth[k].dwSellVolume, (49 + 2 * k) * 100);
    EXPECT_EQ(quote.depth[k].fSellPrice, static_cast<float>((50 + 2 * k) * 100));
  }
  // The gaps stay zero.
  EXPECT_EQ(quote.reserved1[0], 0);
  EXPECT_EQ(quote.reserved1[1], 0);
  for (const char byte : quote.reserved2) EXPECT_EQ(byte, 0);
}

struct PriceCase {
  const char* what;
  PushFields fields;
  float last;
  float previousSettlement;
  float bestBuy;
  int bestBuyVolume;
  int bestBuyVolumeSecond;
  float depthBuyPrice;  // level 2
  int depthBuyVolume;   // level 2
  double turnover;
};

TEST(ParseQuotePush, BasePriceDepthFlagAndVolumePairs) {
  const PriceCase cases[] = {
      {"no base: prices as they stand",
       {{17, "5"}, {27, "4.5"}, {21, "4"}, {23, "12,7"}, {42, "3"}, {41, "8"}, {19, "99"}},
       // clang-format off
       5, 4.5f, 4, 12, 7, 3, 8, 99},
      // clang-format on
      {"base added to every price, not to volumes or turnover",
       {{17, "5"}, {27, "-2"}, {21, "4"}, {23, "12"}, {39, "1000"}, {40, "1"}, {42, "3"}, {41, "8"}, {19, "99"}},
       // clang-format off
       1005, 998, 1004, 12, 0, 1003, 8, 99},
      // clang-format on
      {"an empty price field stays 0 under a base",
       {{17, ""}, {27, "abc"}, {39, "1000"}, {40, "1"}, {42, ""}},
       // clang-format off
       0, 0, 0, 0, 0, 0, 0, 0},
      // clang-format on
      {"base without depth flag: deeper prices 0, their volumes and the best level still read",
       {{17, "5"}, {21, "4"}, {23, "12,7"}, {39, "1000"}, {40, "0"}, {42, "3"}, {41, "8"}},
       // clang-format off
       1005, 0, 1004, 12, 7, 0, 8, 0},
      // clang-format on
      {"blanks and trailing text around numbers",
       {{17, " 5.5 "}, {23, "12 ,x"}, {41, "8lots"}},
       // clang-format off
       5.5f, 0, 0, 12, 0, 0, 8, 0},
      // clang-format on
      {"a line cut short reads zeros beyond its end", {{17, "5"}}, 5, 0, 0, 0, 0, 0, 0, 0},
  };
  for (const PriceCase& c : cases) {
    SCOPED_TRACE(c.what);
    const QuoteRecord quote = Parse(PushLine(15001, c.fields));
    EXPECT_EQ(quote.fNewPrice, c.last);
    EXPECT_EQ(quote.fPreSettlementPrice, c.previousSettlement);
    EXPECT_EQ(quote.fBuyPrice1, c.bestBuy);
    EXPECT_EQ(quote.dwBuyVolume1, c.bestBuyVolume);
    EXPECT_EQ(quote.dwBuyVolumeSecond, c.bestBuyVolumeSecond);
    EXPECT_EQ(quote.depth[0].fBuyPrice, c.depthBuyPrice);
    EXPECT_EQ(quote.depth[0].dwBuyVolume, c.depthBuyVolume);
    EXPECT_EQ(quote.dAmount, c.turnover);
  }
}

TEST(ParseQuotePush, TextsAreCutToTheirFieldsOnACharacterBoundary) {
  const std::string longCode(40, 'x');
  const std::string longName = std::string(30, 'n') + "铜";  // the character would straddle byte 31
  const QuoteRecord quote = Parse(PushLine(15001, {{9, "2X"}, {11, longCode}, {12, longName}}));
  EXPECT_STREQ(quote.szExchange, "2");
  EXPECT_EQ(std::string(quote.szCode), longCode.substr(0, 31));
  EXPECT_EQ(std::string(quote.szName), std::string(30, 'n'));
}

}  // namespace
