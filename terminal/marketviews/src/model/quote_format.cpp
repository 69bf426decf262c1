#include "marketviews/model/quote_format.h"

#include <charconv>
#include <cmath>

#include "client/code_tables.h"
#include "client/fixed_text.h"

namespace marketviews {
namespace {

namespace column = market_column;

// A price, the last one among them, within this of 0 is no price.
// The change is shown only against prices at least this far from 0.
constexpr double kNoReference = 2.220446e-16;

// What is not there shows as this.
constexpr std::string_view kMissing = "-";

std::string WholeNumber(std::int32_t value) {
  char text[16];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

// Up above the reference, down below it; flat for no price at all.
std::uint32_t PriceColour(double price, double reference, const MarketColours& colours) {
  if (price > 0 && price > reference) return colours.up;
  if (price > 0 && price < reference) return colours.down;
  return colours.flat;
}

std::uint32_t SignColour(double value, const MarketColours& colours) {
  return value > 0 ? colours.up : value < 0 ? colours.down : colours.flat;
}

}  // namespace

int PriceDecimals(double tick) { return client::CountDecimalPlaces(tick); }

void FormatQuoteCells(const backend::QuoteRecord& q, int decimals, const MarketColours& colours, QuoteCells& cells) {
  const auto price = [&](double value) { return client::FixedText(value, decimals); };
  // A value of 0 is one the quote does not have.
  const auto priceOrMissing = [&](double value) { return value == 0 ? std::string(kMissing) : price(value); };
  const auto volumeOrMissing = [&](std::int32_t value) {
    return value == 0 ? std::string(kMissing) : WholeNumber(value);
  };
  auto& texts = cells.texts;
  cells.colours.fill(colours.flat);

  const double last = q.fNewPrice;
  const double reference = q.fPreSettlementPrice;
  // A last price of 0 is a price only in a market with both sides.
  const bool hasLast = std::fabs(last) >= kNoPrice || (q.dwBuyVolume1 != 0 && q.dwSellVolume1 != 0);
  texts[column::kLast] = hasLast ? price(last) : std::string(kMissing);
  texts[column::kBid] = q.dwBuyVolume1 != 0 ? price(q.fBuyPrice1) : std::string(kMissing);
  texts[column::kBidVolume] = volumeOrMissing(q.dwBuyVolume1);
  texts[column::kAsk] = q.dwSellVolume1 != 0 ? price(q.fSellPrice1) : std::string(kMissing);
  texts[column::kAskVolume] = volumeOrMissing(q.dwSellVolume1);

  // Adding 0 turns a change of -0 into 0.
  const double change = last - reference + 0.0;
  const bool comparable = std::fabs(reference) >= kNoReference && std::fabs(last) >= kNoReference;
  texts[column::kChange] = comparable && change != 0 ? price(change) : std::string(kMissing);
  texts[column::kChangePercent] =
      comparable ? client::FixedText(std::fabs(reference) < kNoPrice ? 0 : change * 100 / reference, 2) + "%"
                 : std::string(kMissing);

  texts[column::kUpperLimit] = priceOrMissing(q.fUpperLimitPrice);
  texts[column::kLowerLimit] = priceOrMissing(q.fLowerLimitPrice);
  texts[column::kHigh] = priceOrMissing(q.fHighestPrice);
  texts[column::kLow] = priceOrMissing(q.fLowestPrice);
  texts[column::kVolume] = volumeOrMissing(q.dwVolume);
  texts[column::kOpenInterest] = volumeOrMissing(q.dwOpenInterest);
  texts[column::kTurnover] = priceOrMissing(q.dAmount);
  texts[column::kPreviousClose] = priceOrMissing(q.fLastClosePrice);
  texts[column::kOpen] = priceOrMissing(q.fOpenPrice);
  texts[column::kPreSettlement] = priceOrMissing(q.fPreSettlementPrice);
  texts[column::kSettlement] = priceOrMissing(q.fSettlementPrice);

  cells.colours[column::kLast] = PriceColour(last, reference, colours);
  cells.colours[column::kBid] = PriceColour(q.fBuyPrice1, reference, colours);
  cells.colours[column::kAsk] = PriceColour(q.fSellPrice1, reference, colours);
  cells.colours[column::kChange] = SignColour(change, colours);
  cells.colours[column::kChangePercent] = SignColour(change, colours);
}

}  // namespace marketviews
