#include "marketviews/model/option_detail.h"

#include <cmath>

#include "client/fixed_text.h"
#include "marketviews/model/quote_format.h"
#include "quotes/contract_key.h"

namespace marketviews {
namespace {

namespace kind = field_kind;

// A value within this of 0 is none.
constexpr double kNone = 1e-7;
// The turnover is money: two decimals, whatever the tick.
constexpr int kMoneyDecimals = 2;

bool NearZero(double value) { return std::fabs(value) < kNone; }

}  // namespace

void CField::Fill(const backend::QuoteRecord& q) {
  const double last = q.fNewPrice;
  const double reference = q.fPreSettlementPrice;
  const bool comparable = !NearZero(last) && !NearZero(reference);
  const State rise = !comparable ? kFlat : reference < last ? kUp : reference > last ? kDown : kFlat;
  switch (kind_) {
    case kind::kLast:
      value_ = last;
      state_ = rise;
      break;
    case kind::kOpen: value_ = q.fOpenPrice; break;
    case kind::kChange:
      value_ = comparable ? last - reference : 0;
      state_ = rise;
      break;
    case kind::kChangeRatio:
      value_ = comparable ? (last - reference) / reference : 0;
      state_ = rise;
      break;
    case kind::kHigh: value_ = q.fHighestPrice; break;
    case kind::kLow: value_ = q.fLowestPrice; break;
    case kind::kUpperLimit: value_ = q.fUpperLimitPrice; break;
    case kind::kLowerLimit: value_ = q.fLowerLimitPrice; break;
    case kind::kVolume: value_ = q.dwVolume; break;
    case kind::kTurnover:
      value_ = q.dAmount;
      decimals_ = kMoneyDecimals;
      break;
    case kind::kPreviousClose: value_ = q.fLastClosePrice; break;
    case kind::kClose: value_ = q.fClosePrice; break;
    case kind::kPreSettlement: value_ = q.fPreSettlementPrice; break;
    case kind::kSettlement: value_ = q.fSettlementPrice; break;
    case kind::kOpenInterest: value_ = q.dwOpenInterest; break;
    case kind::kPreviousOpenInterest: value_ = q.dwPreOpenInterest; break;
    default: break;
  }
}

bool CField::IsWholeNumber() const {
  return kind_ == kind::kVolume || kind_ == kind::kOpenInterest || kind_ == kind::kPreviousOpenInterest;
}

std::string CField::Text() const {
  if (NearZero(value_)) return "-";
  if (IsWholeNumber()) return client::FixedText(value_, 0);
  if (kind_ == kind::kChangeRatio) return client::FixedText(value_ * 100, decimals_) + "%";
  return client::FixedText(value_, decimals_);
}

std::uint32_t CField::Colour() const {
  if (IsWholeNumber()) return normal;
  return state_ == kUp ? up : state_ == kDown ? down : normal;
}

OptionDetail::OptionDetail()
    : fields_{{{"最新价", CField(kind::kLast)},
               {"今开盘", CField(kind::kOpen)},
               {"涨跌", CField(kind::kChange)},
               {"涨跌幅", CField(kind::kChangeRatio)},
               {"最高价", CField(kind::kHigh)},
               {"最低价", CField(kind::kLow)},
               {"涨停价", CField(kind::kUpperLimit)},
               {"跌停价", CField(kind::kLowerLimit)},
               {"昨持仓", CField(kind::kPreviousOpenInterest)},
               {"今持仓", CField(kind::kOpenInterest)},
               {"昨收盘", CField(kind::kPreviousClose)},
               {"今收盘", CField(kind::kClose)},
               {"昨结算", CField(kind::kPreSettlement)},
               {"今结算", CField(kind::kSettlement)},
               {"成交量", CField(kind::kVolume)},
               {"成交额", CField(kind::kTurnover)}}} {}

void OptionDetail::SetContract(std::string code, std::string_view letter) {
  contract_ = std::move(code);
  letter_ = letter;
}

// Not every exchange writes the side between dashes ("m2703-C-3050"); the
// series' own letter tells it for every code ("cu2702C76000").
std::string_view OptionDetail::SideText() const {
  const bool call = letter_.empty() ? contract_.find("-C-") != std::string::npos : letter_ == "C";
  const bool put = letter_.empty() ? contract_.find("-P-") != std::string::npos : letter_ == "P";
  return call ? "  看涨  " : put ? "  看跌  " : std::string_view();
}

bool OptionDetail::SetQuote(const backend::QuoteRecord& quote, int decimals) {
  if (quotes::FieldText(quote.szCode) != contract_) return false;
  for (DetailField& entry : fields_) {
    entry.field.SetDecimals(decimals);
    entry.field.Fill(quote);
  }
  return true;
}

}  // namespace marketviews
