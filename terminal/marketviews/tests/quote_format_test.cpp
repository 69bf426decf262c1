#include "marketviews/model/quote_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using backend::QuoteRecord;
using marketviews::FormatQuoteCells;
using marketviews::MarketColours;
using marketviews::QuoteCells;
namespace column = marketviews::market_column;

constexpr MarketColours kColours;

QuoteRecord FullQuote() {
  QuoteRecord quote;
  quote.fNewPrice = 3012;
  quote.dAmount = 123456789012.5;
  quote.dwVolume = 4321;
  quote.dwOpenInterest = 98765;
  quote.fLastClosePrice = 2990;
  quote.fOpenPrice = 2995;
  quote.fHighestPrice = 3020;
  quote.fLowestPrice = 2988;
  quote.fLowerLimitPrice = 2850;
  quote.fUpperLimitPrice = 3150;
  quote.fPreSettlementPrice = 3000;
  quote.fSettlementPrice = 0;
  quote.fBuyPrice1 = 3011;
  quote.dwBuyVolume1 = 12;
  quote.fSellPrice1 = 3013;
  quote.dwSellVolume1 = 7;
  return quote;
}

std::vector<std::string> Texts(const QuoteRecord& quote, int decimals) {
  QuoteCells cells;
  FormatQuoteCells(quote, decimals, kColours, cells);
  return {cells.texts.begin() + QuoteCells::kFirst, cells.texts.begin() + QuoteCells::kLast + 1};
}

TEST(QuoteFormat, PricesTakeTheDecimalsOfTheTickAndNothingIsCut) {
  const struct {
    double tick;
    int decimals;
  } ticks[] = {{10, 0}, {1, 0}, {0.5, 1}, {0.2, 1}, {0.02, 2}, {0.05, 2}, {0.001, 3}, {0.0001, 4}};
  for (const auto& t : ticks) EXPECT_EQ(marketviews::PriceDecimals(t.tick), t.decimals) << t.tick;

  EXPECT_EQ(Texts(FullQuote(), 0),
            (std::vector<std::string>{"3012", "3011", "12", "3013", "7", "12", "0.40%", "3150", "2850", "3020", "2988",
                                      "4321", "98765", "123456789012", "2990", "2995", "3000", "-"}));
  QuoteRecord fine = FullQuote();
  fine.fNewPrice = 3000.0012f;
  EXPECT_EQ(Texts(fine, 4)[0], "3000.0012");
  EXPECT_EQ(Texts(fine, 4)[13], "123456789012.5000");
}

TEST(QuoteFormat, MissingValuesShowAsADash) {
  // A last price of 0 is shown only in a market with both sides.
  QuoteRecord quote = FullQuote();
  quote.fNewPrice = 0;
  EXPECT_EQ(Texts(quote, 1)[0], "0.0");
  quote.dwSellVolume1 = 0;
  std::vector<std::string> texts = Texts(quote, 1);
  EXPECT_EQ(texts[0], "-");
  EXPECT_EQ(texts[3], "-");  // no ask, and so no ask volume
  EXPECT_EQ(texts[4], "-");
  EXPECT_EQ(texts[5], "-");  // no change without a last price
  EXPECT_EQ(texts[6], "-");

  // An unchanged price has no change, but a change of 0 per cent.
  quote = FullQuote();
  quote.fNewPrice = 3000;
  EXPECT_EQ(Texts(quote, 0)[5], "-");
  EXPECT_EQ(Texts(quote, 0)[6], "0.00%");
  quote.fPreSettlementPrice = 0;
  EXPECT_EQ(Texts(quote, 0)[5], "-");
  EXPECT_EQ(Texts(quote, 0)[6], "-");
  EXPECT_EQ(Texts(quote, 0)[16], "-");
  EXPECT_EQ(Texts(QuoteRecord{}, 2), std::vector<std::string>(18, "-"));
}

TEST(QuoteFormat, PricesAreColouredByTheirSideOfThePreviousSettlement) {
  QuoteRecord quote = FullQuote();
  quote.fBuyPrice1 = 2990;  // below the previous settlement of 3000
  QuoteCells cells;
  FormatQuoteCells(quote, 0, kColours, cells);
  EXPECT_EQ(cells.colours[column::kLast], kColours.up);
  EXPECT_EQ(cells.colours[column::kBid], kColours.down);
  EXPECT_EQ(cells.colours[column::kAsk], kColours.up);
  EXPECT_EQ(cells.colours[column::kChange], kColours.up);
  EXPECT_EQ(cells.colours[column::kChangePercent], kColours.up);
  EXPECT_EQ(cells.colours[column::kVolume], kColours.flat);

  quote.fNewPrice = 2980;
  quote.fSellPrice1 = 3000;
  FormatQuoteCells(quote, 0, kColours, cells);
  EXPECT_EQ(cells.colours[column::kLast], kColours.down);
  EXPECT_EQ(cells.colours[column::kAsk], kColours.flat);
  EXPECT_EQ(cells.colours[column::kChange], kColours.down);
  EXPECT_EQ(cells.texts[column::kChange], "-20");
  EXPECT_EQ(cells.texts[column::kChangePercent], "-0.67%");

  quote.fNewPrice = 0;  // no price is flat whatever the reference
  FormatQuoteCells(quote, 0, kColours, cells);
  EXPECT_EQ(cells.colours[column::kLast], kColours.flat);
}

}  // namespace
