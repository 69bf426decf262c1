// How a quote shows in a quotation grid: the texts and colours of the
// twenty market columns, shared by the market grids, the option quote board
// and the watch lists. Prices (the turnover and the change too) take the
// decimals of the contract's price tick; volumes and open interest show as
// whole numbers; a value the quote does not have shows as "-". No toolkit.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "backend/quote_record.h"

namespace marketviews {

// The colours of a rising, a falling and an unchanged price (0x00BBGGRR).
struct MarketColours {
  std::uint32_t up = 0x0000FF;
  std::uint32_t down = 0x00FF00;
  std::uint32_t flat = 0xFFFFFF;
};

// A price nearer zero than this is no price.
inline constexpr double kNoPrice = 1e-6;

// The decimals of prices on a tick: those of its shortest decimal form.
int PriceDecimals(double tick);

// The columns of the market grids, in order.
namespace market_column {
inline constexpr int kCode = 0;
inline constexpr int kLast = 1;
inline constexpr int kBid = 2;
inline constexpr int kBidVolume = 3;
inline constexpr int kAsk = 4;
inline constexpr int kAskVolume = 5;
inline constexpr int kChange = 6;
inline constexpr int kChangePercent = 7;
inline constexpr int kUpperLimit = 8;
inline constexpr int kLowerLimit = 9;
inline constexpr int kHigh = 10;
inline constexpr int kLow = 11;
inline constexpr int kVolume = 12;
inline constexpr int kOpenInterest = 13;
inline constexpr int kTurnover = 14;
inline constexpr int kPreviousClose = 15;
inline constexpr int kOpen = 16;
inline constexpr int kPreSettlement = 17;
inline constexpr int kSettlement = 18;
inline constexpr int kName = 19;
inline constexpr int kCount = 20;
}  // namespace market_column

// The cells a quote fills: columns 1 to 18 (the code and the name stay as
// the row was made).
struct QuoteCells {
  static constexpr int kFirst = market_column::kLast;
  static constexpr int kLast = market_column::kSettlement;

  std::array<std::string, market_column::kCount> texts;
  std::array<std::uint32_t, market_column::kCount> colours;
};

// The cells of the quote of a contract whose prices have `decimals`
// decimals, coloured with `colours`.
void FormatQuoteCells(const backend::QuoteRecord& quote, int decimals, const MarketColours& colours, QuoteCells& cells);

}  // namespace marketviews
