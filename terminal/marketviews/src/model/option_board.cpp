#include "marketviews/model/option_board.h"

#include <algorithm>
#include <cmath>

#include "marketviews/model/quote_format.h"

namespace marketviews {
namespace {

// The strip of the button and the combo, the detail panel's width and the
// toggle's between the grid and the panel.
constexpr int kStripHeight = 22;
constexpr int kButtonWidth = 120;
constexpr int kDetailWidth = 180;
constexpr int kToggleWidth = 5;
constexpr std::string_view kIndexExchange = "cffex";
// A price within this of 0 is none.

std::string JoinCodes(const std::vector<std::string>& codes) {
  std::string text;
  for (const std::string& code : codes) text += (text.empty() ? "" : ",") + code;
  return text;
}

}  // namespace

BoardLayout LayOutBoard(const Rect& client, bool detailHidden) {
  BoardLayout layout;
  const int top = client.top + kStripHeight;
  layout.centreButton = {client.left, client.top, client.left + kButtonWidth, client.top + kStripHeight - 1};
  layout.seriesCombo = {client.left + kButtonWidth + 1, client.top, client.left + 2 * kButtonWidth + 1,
                        client.top + kStripHeight - 1};
  if (!detailHidden) layout.detail = {client.right - kDetailWidth, top, client.right, client.bottom};
  const int panelLeft = detailHidden ? client.right : layout.detail.left;
  layout.detailToggle = {panelLeft - kToggleWidth, top, panelLeft, client.bottom};
  layout.grid = {client.left, top, panelLeft - kToggleWidth, client.bottom};
  return layout;
}

OptionBoard::OptionBoard(quotes::CtbOptionalContract& quotes, IndexPrice indexPrice, Notice notice)
    : quotes_(quotes), indexPrice_(std::move(indexPrice)), notice_(std::move(notice)), grid_(quotes) {}

OptionBoard::~OptionBoard() {
  if (!loaded_) return;
  quotes_.UnregisterWatch(this);
  HoldUnderlying(std::nullopt);
}

bool OptionBoard::LoadOptionContracts(OptionMap map, ContractCatalogue catalogue) {
  if (loaded_ || map.Empty()) return false;
  map_ = std::move(map);
  catalogue_ = std::move(catalogue);
  quotes_.RegisterWatch(this);
  loaded_ = true;
  ShowSeries(map_.FirstSeries()->name);
  return true;
}

bool OptionBoard::ShowSeries(const std::string& name) {
  const OptionSeries* series = map_.FindSeries(name);
  if (series == nullptr) return false;
  series_ = name;
  const OptionExchange* exchange = map_.ExchangeOf(name);
  // An index option's underlying is no contract the quote table can hold.
  std::optional<quotes::ContractKey> underlying;
  if (exchange != nullptr && exchange->abbreviation != kIndexExchange) {
    underlying = quotes::MakeContractKey(exchange->id, name);
  }
  HoldUnderlying(underlying);
  grid_.SetContracts(series->contracts);
  grid_.RefillRows(catalogue_);
  Reshade();
  const OptionContract& first = series->contracts.front();
  detail_.SetContract(first.code, first.letter);
  detail_.SetQuote(grid_.GetStoredQuote(first.code), catalogue_.DecimalsOf(first.code));
  TellUnquoted();
  return true;
}

void OptionBoard::SelectOption(const std::string& code) {
  detail_.SetContract(code, LetterOf(code));
  detail_.SetQuote(grid_.GetStoredQuote(code), catalogue_.DecimalsOf(code));
}

std::string OptionBoard::LetterOf(const std::string& code) const {
  const auto found = std::ranges::find(grid_.Contracts(), code, &OptionContract::code);
  return found == grid_.Contracts().end() ? std::string() : found->letter;
}

double OptionBoard::UnderlyingPrice() const {
  if (grid_.Contracts().empty()) return -1;
  if (!underlying_) {
    const std::optional<double> index = indexPrice_ ? indexPrice_(grid_.Contracts().front()) : std::nullopt;
    return index.value_or(-1);
  }
  backend::QuoteRecord quote;
  if (!quotes_.FindQuote(underlying_->Exchange(), underlying_->Code(), quote)) return -1;
  if (std::fabs(quote.fNewPrice) >= kNoPrice) return quote.fNewPrice;
  if (std::fabs(quote.fPreSettlementPrice) >= kNoPrice) return quote.fPreSettlementPrice;
  return -1;
}

int OptionBoard::Reshade() {
  const int row = grid_.AtTheMoneyRow(UnderlyingPrice());
  grid_.Shade(row);
  return row;
}

void OptionBoard::OnRowsShown(int first, int last) {
  std::vector<quotes::ContractKey> keep;
  if (underlying_) keep.push_back(*underlying_);
  grid_.PreferRows(first, last, keep);
  TellUnquoted();
}

bool OptionBoard::OnQuote(int event, const backend::QuoteRecord* quote) {
  if (event != quotes::kQuoteEvent || quote == nullptr) return true;
  const int shaded = grid_.ShadedRow();
  bool changed = false;
  if (underlying_ && quotes::KeyOf(*quote) == *underlying_) {
    changed = Reshade() != shaded;
  } else if (grid_.OnQuote(*quote, catalogue_)) {
    changed = detail_.SetQuote(*quote, catalogue_.DecimalsOf(quotes::FieldText(quote->szCode)));
  }
  if (changed && refresh_) refresh_();
  return true;
}

void OptionBoard::HoldUnderlying(const std::optional<quotes::ContractKey>& key) {
  std::vector<quotes::ContractKey> released;
  std::vector<quotes::ContractKey> added;
  if (underlying_) released.push_back(*underlying_);
  if (key) added.push_back(*key);
  underlying_ = key;
  quotes_.MoveQuoteRefs(released, added);
}

// A full quote table is said once per change of what it leaves out, the
// contracts of other holders with the board's own.
void OptionBoard::TellUnquoted() {
  std::vector<std::string> codes;
  for (const quotes::ContractKey& key : quotes_.UnslottedContracts()) codes.emplace_back(key.Code());
  if (codes == unquoted_) return;
  unquoted_ = std::move(codes);
  if (unquoted_.empty() || !notice_) return;
  notice_("期权T型报价：行情表已满" + std::to_string(quotes::CtbQuotationCom::kMaxSlots) +
          "个合约，以下合约收不到行情：" + JoinCodes(unquoted_));
}

}  // namespace marketviews
