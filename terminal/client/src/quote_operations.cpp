#include "client/quote_operations.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <limits>

#include "backend/field_text.h"
#include "backend/program_log.h"
#include "backend/server_rotation.h"
#include "client/operation_frame.h"
#include "client/shell_services.h"
#include "leading_number.h"
#include "protocol/function_numbers.h"
#include "quotes/quote_object.h"

namespace client {
namespace {

constexpr Operation kQuotationQuery{
    .title = "查询行情", .functionNo = protocol::function_no::kQueryQuotation, .singlePacket = true};

// The answer is read from its field 5 on, 48 fields.
constexpr int kFirstAnswerField = 5;
constexpr int kAnswerFieldCount = 48;
constexpr std::size_t kDepthLevels = backend::QuoteRecord::kDepthLevels;

// The fields of a split answer by their number in the answer line.
class AnswerFields {
 public:
  explicit AnswerFields(const backend::CxDataSet& fields) : fields_(fields) {}

  std::string_view operator()(int n) const {
    const auto value = fields_.GetValue(static_cast<std::size_t>(n - kFirstAnswerField));
    if (value.data() == nullptr) return {};
    const std::string_view text(reinterpret_cast<const char*>(value.data()), value.size());
    return text.substr(0, text.find('\0'));
  }

 private:
  const backend::CxDataSet& fields_;
};

// "nan", "inf" and numbers beyond a double are no prices: they read as 0.
double Decimal(std::string_view text) { return LeadingDecimal(text).value_or(0); }

float Price(std::string_view text) { return static_cast<float>(Decimal(text)); }

std::int32_t Whole(std::string_view text) {
  const std::string number(text);
  const long long value = std::strtoll(number.c_str(), nullptr, 10);
  return static_cast<std::int32_t>(
      std::clamp<long long>(value, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

// A volume field "first,second": the part before the first comma and the
// part after it (0 without a comma).
void SplitVolume(std::string_view text, std::int32_t& first, std::int32_t& second) {
  const std::size_t comma = text.find(',');
  first = Whole(text.substr(0, comma));
  second = comma == std::string_view::npos ? 0 : Whole(text.substr(comma + 1));
}

template <std::size_t N>
void SetText(char (&member)[N], std::string_view text) {
  const std::string value(text);
  backend::CopyTextBounded(value.c_str(), member, N);
}

// Each answer field fills the member that quote push field n + 4 fills
// (n + 12 for the deeper book, answer fields 29 to 44).
void FillQuote(const AnswerFields& field, backend::QuoteRecord& quote) {
  quote = backend::QuoteRecord{};
  SetText(quote.szExchange, field(5).substr(0, 1));
  SetText(quote.szCode, field(7));
  SetText(quote.szName, field(8));
  quote.fLastClosePrice = Price(field(9));
  quote.fOpenPrice = Price(field(10));
  quote.fHighestPrice = Price(field(11));
  quote.fLowestPrice = Price(field(12));
  quote.fNewPrice = Price(field(13));
  quote.dwVolume = Whole(field(14));
  quote.dAmount = Decimal(field(15));
  quote.fBuyPrice1 = Price(field(17));
  quote.fSellPrice1 = Price(field(18));
  SplitVolume(field(19), quote.dwBuyVolume1, quote.dwBuyVolumeSecond);
  SplitVolume(field(20), quote.dwSellVolume1, quote.dwSellVolumeSecond);
  quote.fUpperLimitPrice = Price(field(21));
  quote.fLowerLimitPrice = Price(field(22));
  quote.fPreSettlementPrice = Price(field(23));
  quote.fSettlementPrice = Price(field(24));
  quote.dwOpenInterest = Whole(field(27));
  for (std::size_t level = 0; level < kDepthLevels; ++level) {
    const int step = 2 * static_cast<int>(level);
    backend::QuoteDepthLevel& depth = quote.depth[level];
    depth.dwBuyVolume = Whole(field(29 + step));
    depth.fBuyPrice = Price(field(30 + step));
    depth.dwSellVolume = Whole(field(37 + step));
    depth.fSellPrice = Price(field(38 + step));
  }
}

bool FailQuery(std::string_view contractCode, std::string& message) {
  message = "查询合约" + std::string(contractCode) + " 价格失败！";
  backend::WriteLogLine(backend::kLogNote, message.c_str());
  return false;
}

}  // namespace

backend::RequestPtr QueryQuotation(std::string_view exchangeCode, std::string_view contractCode, std::string& message) {
  OperationParameters parameters(SlotAccount(0));
  parameters.Add(exchangeCode).Add(contractCode);
  return SendSyncRequest(kQuotationQuery, backend::TheServerRotation().QuoteSlot(), parameters, message);
}

bool QueryQuoteRecord(std::string_view exchangeCode, std::string_view contractCode, backend::QuoteRecord& quote,
                      std::string& message) {
  const backend::RequestPtr record = QueryQuotation(exchangeCode, contractCode, message);
  if (!record) return false;
  std::string ignored;
  if (record->errorFlag != 0 || backend::CheckReplyResult(0, ignored, record.get()) != 0) {
    return FailQuery(contractCode, message);
  }
  backend::CxDataSet fields;
  if (!backend::SplitReplyRows(0, *record, kFirstAnswerField, kAnswerFieldCount, fields)) {
    return FailQuery(contractCode, message);
  }
  FillQuote(AnswerFields(fields), quote);
  return true;
}

bool GetQuoteOrQuery(std::string_view exchangeCode, std::string_view contractCode, backend::QuoteRecord& quote,
                     std::string& message) {
  if (quotes::TheQuoteObject().FindQuote(exchangeCode, contractCode, quote)) return true;
  if (QueryQuoteRecord(exchangeCode, contractCode, quote, message)) return true;
  PostOutputLine(kNoticeLine, message);
  return false;
}

}  // namespace client
