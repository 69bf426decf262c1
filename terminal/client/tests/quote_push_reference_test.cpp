// The single-pass quote parser against a plain reference that splits the
// whole line first and then reads each member from its field, on random
// lines as a back end, or a broken one, may send them: the same record byte
// for byte.
#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <string_view>

#include "backend/field_text.h"
#include "backend/quote_record.h"
#include "client/quote_push.h"
#include "leading_number.h"
#include "quote_fields.h"

namespace client {
namespace {

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
  int Integer(int n) const { return client::LeadingInteger(Field(n)); }
  double Decimal(int n) const { return client::LeadingDecimal(Field(n)).value_or(0); }
  // A price: its value plus the base; a field without a number stays 0.
  float Price(int n, double base) const {
    const std::optional<double> value = client::LeadingDecimal(Field(n));
    return value ? static_cast<float>(*value + base) : 0.0f;
  }
  // The part of a "v,x" field before the first comma, and the part after it
  // (0 without a comma).
  int BeforeComma(int n) const { return client::LeadingInteger(Field(n).substr(0, Field(n).find(','))); }
  int AfterComma(int n) const {
    const std::size_t comma = Field(n).find(',');
    return comma == std::string_view::npos ? 0 : client::LeadingInteger(Field(n).substr(comma + 1));
  }

 private:
  std::array<std::string_view, kLastFieldRead> fields_;
  std::size_t count_ = 0;
};

// The reference: every field found first, then each member read from its
// field.
bool ReferenceParseQuotePush(std::string_view line, backend::QuoteRecord& quote) {
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

// A field as a back end, or a broken one, may send it.
std::string RandomField(std::mt19937& random) {
  static constexpr std::array<std::string_view, 24> kPieces = {"0",
                                                               "1",
                                                               "-",
                                                               "+",
                                                               ".",
                                                               "5",
                                                               "9",
                                                               "12",
                                                               "3.25",
                                                               "-7.5",
                                                               "0.001",
                                                               "1e3",
                                                               " ",
                                                               "\t",
                                                               ",",
                                                               "4,7",
                                                               "abc",
                                                               "\x01",
                                                               "nan",
                                                               "inf",
                                                               "沪铜",
                                                               "+-3",
                                                               "99999999999999999",
                                                               "123456789012345.5"};
  std::string field;
  const int pieces = std::uniform_int_distribution<int>(0, 3)(random);
  for (int piece = 0; piece < pieces; ++piece)
    field += kPieces[std::uniform_int_distribution<std::size_t>(0, kPieces.size() - 1)(random)];
  return field;
}

std::string RandomLine(std::mt19937& random) {
  std::string line = "R|sim|0|15001|";
  const int fields = std::uniform_int_distribution<int>(0, 64)(random);
  for (int field = 5; field <= fields; ++field) {
    // Most lines carry plain numbers and no base, as real quotes do.
    if (field == 39 && random() % 2 == 0) {
      line += "0|";
      continue;
    }
    line += random() % 3 == 0 ? RandomField(random) : std::to_string(random() % 100000);
    line += '|';
  }
  // Now and then a last piece without its separator.
  if (random() % 4 == 0) line += RandomField(random);
  return line;
}

TEST(ParseQuotePush, ReadsEveryLineAsTheFieldByFieldReferenceDoes) {
  std::mt19937 random(20261211);
  for (int round = 0; round < 20000; ++round) {
    const std::string line = RandomLine(random);
    backend::QuoteRecord now;
    backend::QuoteRecord reference;
    std::memset(static_cast<void*>(&now), 0x5A, sizeof now);
    client::ParseQuotePush(line, now);
    ReferenceParseQuotePush(line, reference);
    ASSERT_EQ(std::memcmp(&now, &reference, sizeof now), 0) << line;
  }
}

}  // namespace
}  // namespace client
