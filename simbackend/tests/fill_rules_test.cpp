// What the market gives an order at one look at the quote.
#include "fill_rules.h"

#include <gtest/gtest.h>

#include <numeric>

namespace simbackend {
namespace {

// A quote whose best bid is 100 (30 offered) and best ask 101 (20 offered).
Quote QuoteAt100() {
  Quote quote;
  quote.bids[0] = {100, 30, 3};
  quote.asks[0] = {101, 20, 2};
  return quote;
}

BookOrder Order(const char* buySell, std::int64_t price, const char* priceType, const char* validity) {
  BookOrder order;
  order.order.buySell = buySell;
  order.order.price = price;
  order.priceType = priceType;
  order.validity = validity;
  return order;
}

TEST(FillRulesTest, AnOrderFillsAtTheOtherSidesBestPriceWhenItCrossesIt) {
  using Mode = FillBehaviour::Mode;
  struct Case {
    const char* what;
    BookOrder order;
    std::int64_t working;
    Mode mode;
    std::int64_t filled;
    std::int64_t price;
    bool cancelRest;
  } const cases[] = {
      {"day buy below the ask waits", Order("0", 100, "0", "0"), 5, Mode::kWhole, 0, 101, false},
      {"day buy at the ask fills whole", Order("0", 101, "0", "0"), 50, Mode::kWhole, 50, 101, false},
      {"sell above the bid, fill and kill", Order("1", 101, "0", "2"), 5, Mode::kWhole, 0, 100, true},
      {"market sell fills at the bid", Order("1", 1, "1", "2"), 4, Mode::kWhole, 4, 100, false},
      {"fill or kill beyond what is offered", Order("0", 105, "0", "1"), 21, Mode::kPieces, 0, 101, true},
      {"fill or kill within what is offered", Order("0", 105, "0", "1"), 20, Mode::kPieces, 20, 101, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::mt19937_64 random(1);
    const Crossing crossing = Cross(c.order, c.working, QuoteAt100(), c.mode, random);
    EXPECT_EQ(std::accumulate(crossing.fills.begin(), crossing.fills.end(), std::int64_t{0}), c.filled);
    EXPECT_EQ(crossing.price, c.price);
    EXPECT_EQ(crossing.cancelRest, c.cancelRest);
  }
}

TEST(FillRulesTest, PiecesNeverExceedWhatIsOfferedNorWhatWorks) {
  const BookOrder order = Order("0", 110, "0", "0");
  std::mt19937_64 random(5);
  for (int look = 0; look < 50; ++look) {
    const Crossing crossing = Cross(order, 25, QuoteAt100(), FillBehaviour::Mode::kPieces, random);
    const std::int64_t filled = std::accumulate(crossing.fills.begin(), crossing.fills.end(), std::int64_t{0});
    EXPECT_GE(filled, 1);
    EXPECT_LE(filled, 20);
    for (const std::int64_t piece : crossing.fills) EXPECT_GT(piece, 0);
  }
}

}  // namespace
}  // namespace simbackend
