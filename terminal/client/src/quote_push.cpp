#include "client/quote_push.h"

#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>

#include "backend/field_text.h"
#include "leading_number.h"
#include "quote_fields.h"

namespace client {
namespace {

using backend::QuoteRecord;

constexpr int kDepthFields = 2 * static_cast<int>(QuoteRecord::kDepthLevels);
static_assert(kDepthBuyVolume + kDepthFields == kDepthSellVolume && kDepthSellPrice + kDepthFields - 2 < kClose);

// The price field `field` of the record, or null for a field that is no price.
float* PriceOf(QuoteRecord& quote, int field) {
  switch (field) {
    case kPreviousClose: return &quote.fLastClosePrice;
    case kOpen: return &quote.fOpenPrice;
    case kHighest: return &quote.fHighestPrice;
    case kLowest: return &quote.fLowestPrice;
    case kLast: return &quote.fNewPrice;
    case kBestBuyPrice: return &quote.fBuyPrice1;
    case kBestSellPrice: return &quote.fSellPrice1;
    case kUpperLimit: return &quote.fUpperLimitPrice;
    case kLowerLimit: return &quote.fLowerLimitPrice;
    case kPreviousSettlement: return &quote.fPreSettlementPrice;
    case kSettlement: return &quote.fSettlementPrice;
    case kClose: return &quote.fClosePrice;
    default: return nullptr;
  }
}

// The integer field `field` of the record, or null.
std::int32_t* IntegerOf(QuoteRecord& quote, int field) {
  switch (field) {
    case kVolume: return &quote.dwVolume;
    case kOpenInterest: return &quote.dwOpenInterest;
    case kPreviousOpenInterest: return &quote.dwPreOpenInterest;
    default: return nullptr;
  }
}

// A depth field below the best level: its price (null for a volume) and its
// volume (null for a price).
struct DepthTarget {
  float* price = nullptr;
  std::int32_t* volume = nullptr;
};

std::optional<DepthTarget> DepthOf(QuoteRecord& quote, int field) {
  const bool buying = field >= kDepthBuyVolume && field < kDepthBuyVolume + kDepthFields;
  const bool selling = field >= kDepthSellVolume && field < kDepthSellVolume + kDepthFields;
  if (!buying && !selling) return std::nullopt;
  const int step = field - (buying ? kDepthBuyVolume : kDepthSellVolume);
  backend::QuoteDepthLevel& level = quote.depth[step / 2];
  const bool price = step % 2 == 1;
  if (buying) return price ? DepthTarget{&level.fBuyPrice, nullptr} : DepthTarget{nullptr, &level.dwBuyVolume};
  return price ? DepthTarget{&level.fSellPrice, nullptr} : DepthTarget{nullptr, &level.dwSellVolume};
}

// A "v,x" field: the part before its first comma, and the part after it (0
// without a comma).
void ReadVolumePair(std::string_view field, std::int32_t& before, std::int32_t& after) {
  const std::size_t comma = field.find(',');
  before = LeadingInteger(field.substr(0, comma));
  after = comma == std::string_view::npos ? 0 : LeadingInteger(field.substr(comma + 1));
}

// Prices read before the base price is known, written once it is: each
// field's value plus the base, or 0 for a field without a number. Kept as
// plain arrays so that noting one is two stores.
class PendingPrices {
 public:
  void Note(float* target, std::string_view text) {
    targets_[count_] = target;
    values_[count_++] = LeadingDecimal(text).value_or(kNoNumber);
  }
  void WriteWith(double base) const {
    for (std::size_t index = 0; index < count_; ++index) {
      *targets_[index] = std::isnan(values_[index]) ? 0.0f : static_cast<float>(values_[index] + base);
    }
  }

 private:
  // Never a value that LeadingDecimal gives.
  static constexpr double kNoNumber = std::numeric_limits<double>::quiet_NaN();
  // At most every price field of the line waits.
  static constexpr std::size_t kMaxPrices = 12 + kDepthFields;
  std::array<float*, kMaxPrices> targets_;
  std::array<double, kMaxPrices> values_;
  std::size_t count_ = 0;
};

}  // namespace

bool ParseQuotePush(std::string_view line, QuoteRecord& quote) {
  quote = QuoteRecord{};
  PendingPrices prices;
  PendingPrices depthPrices;
  double base = 0;
  int depthFlag = 0;

  // One walk along the line: each field, closed by its separator, is read
  // where it stands; a trailing piece without one is no field.
  const char* at = line.data();
  const char* const end = at + line.size();
  for (int field = 1; field <= kLastFieldRead; ++field) {
    const char* separator = at;
    while (separator != end && *separator != backend::kFieldSeparator) ++separator;
    if (separator == end) break;
    const std::string_view text(at, static_cast<std::size_t>(separator - at));
    at = separator + 1;
    switch (field) {
      case kExchange: backend::CopyFieldText(text, quote.szExchange, sizeof quote.szExchange); continue;
      case kCode: backend::CopyFieldText(text, quote.szCode, sizeof quote.szCode); continue;
      case kName: backend::CopyFieldText(text, quote.szName, sizeof quote.szName); continue;
      case kTurnover: quote.dAmount = LeadingDecimal(text).value_or(0); continue;
      case kBestBuyVolume: ReadVolumePair(text, quote.dwBuyVolume1, quote.dwBuyVolumeSecond); continue;
      case kBestSellVolume: ReadVolumePair(text, quote.dwSellVolume1, quote.dwSellVolumeSecond); continue;
      case kBasePrice: base = LeadingDecimal(text).value_or(0); continue;
      case kDepthFlag: depthFlag = LeadingInteger(text); continue;
      default: break;
    }
    if (float* price = PriceOf(quote, field)) {
      prices.Note(price, text);
    } else if (std::int32_t* integer = IntegerOf(quote, field)) {
      *integer = LeadingInteger(text);
    } else if (const std::optional<DepthTarget> depth = DepthOf(quote, field)) {
      if (depth->volume != nullptr) *depth->volume = LeadingInteger(text);
      if (depth->price != nullptr) depthPrices.Note(depth->price, text);
    }
  }

  // The depth below the best level carries prices unless the prices are
  // offsets without the depth flag.
  prices.WriteWith(base);
  if (base == 0 || depthFlag != 0) depthPrices.WriteWith(base);
  return true;
}

}  // namespace client
