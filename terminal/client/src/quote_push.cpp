#include "client/quote_push.h"

#include <array>
#include <cstddef>

#include "backend/field_text.h"
#include "leading_number.h"

namespace client {
namespace {

// Push fields of the quote line.
enum QuoteField : int {
  kExchange = 9,
  kCode = 11,
  kName = 12,
  kPreviousClose = 13,
  kOpen = 14,
  kHighest = 15,
  kLowest = 16,
  kLast = 17,
  kVolume = 18,
  kTurnover = 19,
  kBestBuyPrice = 21,
  kBestSellPrice = 22,
  kBestBuyVolume = 23,   // "v" or "v,x"
  kBestSellVolume = 24,  // "v" or "v,x"
  kUpperLimit = 25,
  kLowerLimit = 26,
  kPreviousSettlement = 27,
  kSettlement = 28,
  kOpenInterest = 31,
  kBasePrice = 39,
  kDepthFlag = 40,
  kDepthBuyVolume = 41,  // level 2; each further level two fields on
  kDepthBuyPrice = 42,
  kDepthSellVolume = 49,
  kDepthSellPrice = 50,
  kClose = 57,
  kPreviousOpenInterest = 58,
  kLastFieldRead = kPreviousOpenInterest,
};
static_assert(kDepthSellPrice + 2 * (backend::QuoteRecord::kDepthLevels - 1) <= kLastFieldRead);

// The fields of a line, each closed by a separator; a trailing piece without
// one is no field. Only the fields up to the last one read are kept, in place
// in the line.
class QuoteLine {
 public:
  explicit QuoteLine(std::string_view line) {
    for (std::size_t end = line.find(backend::kFieldSeparator);
         end != std::string_view::npos && count_ < fields_.size(); end = line.find(backend::kFieldSeparator)) {
      fields_[count_++] = line.substr(0, end);
      line.remove_prefix(end + 1);
    }
  }

  std::string_view Field(int n) const {
    return n >= 1 && static_cast<std::size_t>(n) <= count_ ? fields_[static_cast<std::size_t>(n) - 1]
                                                           : std::string_view();
  }
  template <std::size_t N>
  void Text(int n, char (&buffer)[N]) const {
    backend::CopyFieldText(Field(n), buffer, N);
  }
  int Integer(int n) const { return LeadingInteger(Field(n)); }
  double Decimal(int n) const { return LeadingDecimal(Field(n)).value_or(0); }
  // A price: its value plus the base; a field without a number stays 0.
  float Price(int n, double base) const {
    const std::optional<double> value = LeadingDecimal(Field(n));
    return value ? static_cast<float>(*value + base) : 0.0f;
  }
  // The part of a "v,x" field before the first comma, and the part after it
  // (0 without a comma).
  int BeforeComma(int n) const { return LeadingInteger(Field(n).substr(0, Field(n).find(','))); }
  int AfterComma(int n) const {
    const std::size_t comma = Field(n).find(',');
    return comma == std::string_view::npos ? 0 : LeadingInteger(Field(n).substr(comma + 1));
  }

 private:
  std::array<std::string_view, kLastFieldRead> fields_;
  std::size_t count_ = 0;
};

}  // namespace

bool ParseQuotePush(std::string_view line, backend::QuoteRecord& quote) {
  quote = backend::QuoteRecord{};
  const QuoteLine fields(line);
  const double base = fields.Decimal(kBasePrice);
  const bool depthPrices = base == 0 || fields.Integer(kDepthFlag) != 0;

  fields.Text(kExchange, quote.szExchange);
  fields.Text(kCode, quote.szCode);
  fields.Text(kName, quote.szName);

  quote.fNewPrice = fields.Price(kLast, base);
  quote.dAmount = fields.Decimal(kTurnover);
  quote.dwVolume = fields.Integer(kVolume);
  quote.dwOpenInterest = fields.Integer(kOpenInterest);
  quote.fLastClosePrice = fields.Price(kPreviousClose, base);
  quote.fOpenPrice = fields.Price(kOpen, base);
  quote.fHighestPrice = fields.Price(kHighest, base);
  quote.fLowestPrice = fields.Price(kLowest, base);
  quote.fLowerLimitPrice = fields.Price(kLowerLimit, base);
  quote.fUpperLimitPrice = fields.Price(kUpperLimit, base);
  quote.dwPreOpenInterest = fields.Integer(kPreviousOpenInterest);
  quote.fPreSettlementPrice = fields.Price(kPreviousSettlement, base);
  quote.fSettlementPrice = fields.Price(kSettlement, base);
  quote.fClosePrice = fields.Price(kClose, base);

  quote.fBuyPrice1 = fields.Price(kBestBuyPrice, base);
  quote.dwBuyVolume1 = fields.BeforeComma(kBestBuyVolume);
  quote.dwBuyVolumeSecond = fields.AfterComma(kBestBuyVolume);
  quote.fSellPrice1 = fields.Price(kBestSellPrice, base);
  quote.dwSellVolume1 = fields.BeforeComma(kBestSellVolume);
  quote.dwSellVolumeSecond = fields.AfterComma(kBestSellVolume);

  for (int level = 0; level < static_cast<int>(backend::QuoteRecord::kDepthLevels); ++level) {
    backend::QuoteDepthLevel& depth = quote.depth[level];
    const int step = 2 * level;
    depth.dwBuyVolume = fields.Integer(kDepthBuyVolume + step);
    depth.dwSellVolume = fields.Integer(kDepthSellVolume + step);
    if (!depthPrices) continue;
    depth.fBuyPrice = fields.Price(kDepthBuyPrice + step, base);
    depth.fSellPrice = fields.Price(kDepthSellPrice + step, base);
  }
  return true;
}

}  // namespace client
