#include "quote_lines.h"

#include <cstdio>

#include "simbackend/field_line.h"

namespace simbackend {
namespace {

// Fields of the quote push, counted from 1.
enum QuoteField : std::size_t {
  kHeadField = 1,
  kSequenceField = 3,
  kCodeField = 4,
  kExchangeField = 9,
  kContractField = 11,
  kNameField = 12,
  kPreCloseField = 13,
  kOpenField = 14,
  kHighField = 15,
  kLowField = 16,
  kLastField = 17,
  kVolumeField = 18,
  kTurnoverField = 19,
  kBidField = 21,
  kAskField = 22,
  kBidVolumeField = 23,
  kAskVolumeField = 24,
  kUpperLimitField = 25,
  kLowerLimitField = 26,
  kPreSettlementField = 27,
  kOpenInterestField = 31,
  kBaseField = 39,
  kDepthFlagField = 40,
  kDeepBidsField = 41,  // volume, then price, of bid levels 2 to 5
  kDeepAsksField = 49,  // the same for the ask side
  kPreOpenInterestField = 58,
  kLastQuoteField = 58,
};

// The 5007 answer carries push fields 9 to 32 as its fields 5 to 28, and push
// fields 41 to 56 as its fields 29 to 44.
constexpr std::size_t kAnswerShift = 4;
constexpr std::size_t kAnswerDepthShift = 12;
constexpr std::size_t kFirstAnswerField = 5;
constexpr std::size_t kLastAnswerField = 44;

class QuoteFields {
 public:
  // `base`: the price in ticks that the price fields are written against.
  QuoteFields(const BackendData& data, const Contract& contract, std::int64_t base)
      : data_(data), contract_(contract), base_(base), fields_(kLastQuoteField + 1) {}

  void Set(std::size_t field, std::string value) { fields_[field] = std::move(value); }
  void SetNumber(std::size_t field, std::int64_t value) { Set(field, std::to_string(value)); }
  void SetPrice(std::size_t field, std::int64_t ticks) { Set(field, data_.PriceText(contract_, ticks - base_)); }
  // Leaves the price field empty when the level has no order.
  void SetLevel(std::size_t priceField, std::size_t volumeField, const BookLevel& level, bool withOrders) {
    if (level.volume > 0) SetPrice(priceField, level.price);
    Set(volumeField, withOrders && level.volume > 0 ? std::to_string(level.volume) + "," + std::to_string(level.orders)
                                                    : std::to_string(level.volume));
  }

  const std::string& Get(std::size_t field) const { return fields_[field]; }
  std::string Line() const {
    return FieldLine().AddAll(std::vector<std::string>(fields_.begin() + kHeadField, fields_.end())).Text();
  }

 private:
  const BackendData& data_;
  const Contract& contract_;
  const std::int64_t base_;
  std::vector<std::string> fields_;  // index 0 unused: fields count from 1
};

// The values of a quote that an update carries too.
void SetMovingValues(QuoteFields& fields, const Contract& contract, const Quote& quote) {
  fields.SetPrice(kHighField, quote.high);
  fields.SetPrice(kLowField, quote.low);
  fields.SetPrice(kLastField, quote.last);
  fields.SetNumber(kVolumeField, quote.volume);
  char turnover[64];
  std::snprintf(turnover, sizeof turnover, "%.2f", quote.turnover);
  fields.Set(kTurnoverField, turnover);
  fields.SetLevel(kBidField, kBidVolumeField, quote.bids[0], true);
  fields.SetLevel(kAskField, kAskVolumeField, quote.asks[0], true);
  fields.SetPrice(kUpperLimitField, contract.upperLimit);
  fields.SetPrice(kLowerLimitField, contract.lowerLimit);
  fields.SetNumber(kOpenInterestField, quote.openInterest);
  // The market fills no level below the exchange's depth, so with depth
  // flag 0 the deep levels go out without prices.
  for (std::size_t level = 1; level < kBookLevels; ++level) {
    const std::size_t offset = 2 * (level - 1);
    fields.SetLevel(kDeepBidsField + offset + 1, kDeepBidsField + offset, quote.bids[level], false);
    fields.SetLevel(kDeepAsksField + offset + 1, kDeepAsksField + offset, quote.asks[level], false);
  }
}

QuoteFields QuoteHead(const BackendData& data, const Contract& contract, std::int64_t base) {
  QuoteFields fields(data, contract, base);
  fields.Set(kHeadField, "R");
  fields.Set(kSequenceField, "0");
  fields.SetNumber(kCodeField, kQuotePush);
  fields.Set(kExchangeField, data.ExchangeOf(contract).id);
  fields.Set(kContractField, contract.code);
  fields.Set(kDepthFlagField, data.ExchangeOf(contract).bookDepth > 1 ? "1" : "0");
  return fields;
}

QuoteFields FullQuote(const BackendData& data, std::size_t index, const Quote& quote) {
  const Contract& contract = data.contracts[index];
  QuoteFields fields = QuoteHead(data, contract, 0);
  fields.Set(kNameField, contract.name);
  fields.SetPrice(kPreCloseField, quote.preClose);
  fields.SetPrice(kOpenField, quote.open);
  fields.SetPrice(kPreSettlementField, contract.preSettlement);
  fields.SetNumber(kPreOpenInterestField, quote.preOpenInterest);
  fields.Set(kBaseField, "0");
  SetMovingValues(fields, contract, quote);
  return fields;
}

}  // namespace

std::string FullQuoteLine(const BackendData& data, std::size_t contract, const Quote& quote) {
  return FullQuote(data, contract, quote).Line();
}

std::string QuoteUpdateLine(const BackendData& data, std::size_t index, const Quote& quote) {
  const Contract& contract = data.contracts[index];
  QuoteFields fields = QuoteHead(data, contract, contract.preSettlement);
  fields.Set(kBaseField, data.PriceText(contract, contract.preSettlement));
  SetMovingValues(fields, contract, quote);
  return fields.Line();
}

std::vector<std::string> QuoteAnswerValues(const BackendData& data, std::size_t contract, const Quote& quote) {
  const QuoteFields fields = FullQuote(data, contract, quote);
  std::vector<std::string> values;
  for (std::size_t field = kFirstAnswerField; field <= kLastAnswerField; ++field)
    values.push_back(
        fields.Get(field < kDeepBidsField - kAnswerDepthShift ? field + kAnswerShift : field + kAnswerDepthShift));
  return values;
}

}  // namespace simbackend
