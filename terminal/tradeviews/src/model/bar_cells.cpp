#include "tradeviews/model/bar_cells.h"

#include <algorithm>
#include <charconv>

#include "client/code_tables.h"
#include "client/fixed_text.h"
#include "engine/money.h"
#include "engine/operation_engine.h"
#include "engine/order_quantities.h"
#include "engine/query_facade.h"
#include "engine/row_field.h"

namespace tradeviews {

namespace {

struct DealAttribute {
  const char* code;
  const char* text;
};
constexpr DealAttribute kDealAttributes[] = {
    {"0", "当日有效[GFD]"}, {"1", "全成或全撤[FOK]"}, {"2", "剩余即撤销[FAK]"}};

}  // namespace

double NumberOf(std::string_view text) { return engine::ParseNumber(text).value_or(0.0); }

std::string TwoDecimals(std::string_view text) { return client::FixedText(NumberOf(text), 2); }

std::string MoneyRounded(std::string_view text) { return engine::MoneyText(NumberOf(text)); }

long long IntegerOf(std::string_view text) {
  std::size_t at = 0;
  while (at < text.size() && (text[at] == ' ' || (text[at] >= '\t' && text[at] <= '\r'))) ++at;
  if (at < text.size() && text[at] == '+') ++at;
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data() + at, text.data() + text.size(), value);
  return error == std::errc() ? value : 0;
}

bool IsPlainDecimal(std::string_view text) {
  if (std::count(text.begin(), text.end(), '.') > 1) return false;
  const bool digits = std::all_of(text.begin(), text.end(), [](char c) { return c == '.' || (c >= '0' && c <= '9'); });
  return digits && text.find_first_of("0123456789") != std::string_view::npos;
}

std::uint32_t SignColour(double value) {
  if (value > 0) return kRed;
  if (value < 0) return kGreen;
  return kBlack;
}

const char* DealAttributeText(std::string_view code) {
  for (const DealAttribute& attribute : kDealAttributes) {
    if (code == attribute.code) return attribute.text;
  }
  return "";
}

const char* DealAttributeCode(std::string_view text) {
  for (const DealAttribute& attribute : kDealAttributes) {
    if (text == attribute.text) return attribute.code;
  }
  return "";
}

bool IsWorkingOrderState(std::string_view code) { return code == "n" || code == "p" || code == "a" || code == "t"; }

int PriceDecimalsOf(double tick) { return std::max(2, client::CountDecimalPlaces(tick)); }

bool BarLookups::Ready() const { return engine_.GetEngineState() == engine::EngineState::kReady; }

int BarLookups::PriceDecimals(std::string_view contractCode) {
  if (const auto found = decimals_.find(contractCode); found != decimals_.end()) return found->second;
  const int decimals = PriceDecimalsOf(engine::GetPriceTick(engine_, contractCode));
  if (Ready()) decimals_.emplace(contractCode, decimals);
  return decimals;
}

std::string BarLookups::ExchangeName(std::string_view exchangeCode) {
  if (const auto found = exchangeNames_.find(exchangeCode); found != exchangeNames_.end()) return found->second;
  std::string name;
  if (!engine::GetExchangeName(engine_, exchangeCode, name) || name.empty()) name = exchangeCode;
  if (Ready()) exchangeNames_.emplace(exchangeCode, name);
  return name;
}

std::optional<int> BarLookups::ClosableVolume(const engine::PositionSummaryRow& row) const {
  engine::QuantityRecord quantities{};
  engine::SetText(quantities.szTradeAccount, engine::Text(row.szTradeAccount));
  engine::SetText(quantities.szExchangeCode, engine::Text(row.szExchangeCode));
  engine::SetText(quantities.szContractCode, engine::Text(row.szContractCode));
  engine::SetText(quantities.szFlagSH, engine::Text(row.szFlagSH));
  engine::SetText(quantities.szMapCode, engine::Text(row.szMapCode));
  engine::SetText(quantities.szSeatCode, engine::Text(row.szSeatCode));
  std::string error;
  if (!engine::GetClosableVolume(engine_, quantities, true, error)) return std::nullopt;
  // A long position is closed by selling, a short one by buying.
  return engine::Text(row.szFlagBS) == "0" ? quantities.closableSell : quantities.closableBuy;
}

void BarLookups::Forget() {
  decimals_.clear();
  exchangeNames_.clear();
}

}  // namespace tradeviews
