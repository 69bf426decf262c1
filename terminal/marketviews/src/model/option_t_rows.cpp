#include "marketviews/model/option_t_rows.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <utility>

#include "engine/row_field.h"
#include "ui/row_keys.h"

namespace marketviews {
namespace {

namespace option = option_column;
namespace market = market_column;

constexpr std::string_view kCall = "C";
constexpr std::string_view kPut = "P";
// The clicked prices carry two decimals at least.
constexpr int kClickPriceDecimals = 2;

struct OptionColumnSpec {
  const char* caption;
  int width;
  const char* key;
  int marketColumn;  // the market column whose text the cell shows
};

// The call's side; the put's is its mirror.
constexpr OptionColumnSpec kCallSide[option::kStrike] = {
    {"总成交量", 100, "dwVolume", market::kVolume},
    {"总持仓量", 100, "dwOpenInterest", market::kOpenInterest},
    {"涨跌", 60, "", market::kChange},
    {"卖出价", 70, "fSellPrice1", market::kAsk},
    {"卖出量", 70, "dwSellVolume1", market::kAskVolume},
    {"买入价", 70, "fBuyPrice1", market::kBid},
    {"买入量", 70, "dwBuyVolume1", market::kBidVolume},
    {"最新价", 70, "fNewPrice", market::kLast},
};

// The call side's column of a cell; the strike column for the strike.
int CallSideColumn(int column) { return column <= option::kStrike ? column : option::Mirrored(column); }

std::optional<double> StrikeOf(std::string_view text) {
  while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
  return engine::ParseNumber(text);
}

}  // namespace

std::vector<ui::ColumnSpec> OptionColumns() {
  std::vector<ui::ColumnSpec> columns;
  for (int index = 0; index < option::kCount; ++index) {
    if (index == option::kStrike) {
      columns.emplace_back("执行价", 70, ui::kAlignCentre, "fPrice");
      continue;
    }
    const OptionColumnSpec& spec = kCallSide[CallSideColumn(index)];
    columns.emplace_back(spec.caption, spec.width, ui::kAlignRight, spec.key);
  }
  return columns;
}

OptionTRows::OptionTRows(quotes::CtbQuotationCom& quotes) : quotes_(quotes) { rows_.SetColumns(OptionColumns()); }

// The references go with the rows: a board that is gone wants no quotes.
OptionTRows::~OptionTRows() { quotes_.ReplaceWatchedContracts(Keys(), {}); }

std::vector<quotes::ContractKey> OptionTRows::Keys() const {
  std::vector<quotes::ContractKey> keys;
  keys.reserve(contracts_.size());
  for (const OptionContract& contract : contracts_)
    keys.push_back(quotes::MakeContractKey(contract.exchange, contract.code));
  return keys;
}

bool OptionTRows::SetContracts(std::vector<OptionContract> contracts) {
  if (contracts.empty()) return false;
  const std::vector<quotes::ContractKey> oldKeys = Keys();
  contracts_ = std::move(contracts);
  {
    // Quotes of contracts no longer shown would only grow the map.
    std::lock_guard lock(quotesLock_);
    std::erase_if(kept_, [&](const auto& entry) {
      return std::ranges::find(contracts_, entry.first, &OptionContract::code) == contracts_.end();
    });
  }
  quotes_.ReplaceWatchedContracts(oldKeys, Keys());
  return true;
}

bool OptionTRows::RefillRows(const ContractCatalogue& catalogue) {
  if (contracts_.empty()) return false;
  std::vector<std::pair<ui::GridRow, ui::RowKey>> rows;
  std::vector<std::string> strikes;
  for (const OptionContract& contract : contracts_) {
    if (std::ranges::find(strikes, contract.strike) != strikes.end()) continue;
    strikes.push_back(contract.strike);
    ui::GridRow row(option::kCount);
    row.SetText(option::kStrike, contract.strike);
    rows.emplace_back(std::move(row), ui::MakeCodeRowKey(contract.strike));
  }
  rows_.ReplaceRows(std::move(rows));
  for (const OptionContract& contract : contracts_) {
    ShowSide(RowOf(contract), contract.letter, GetStoredQuote(contract.code), catalogue.DecimalsOf(contract.code));
  }
  atTheMoney_ = -1;
  return true;
}

bool OptionTRows::OnQuote(const backend::QuoteRecord& quote, const ContractCatalogue& catalogue) {
  const std::string_view code = quotes::FieldText(quote.szCode);
  const auto contract = std::ranges::find(contracts_, code, &OptionContract::code);
  if (contract == contracts_.end()) return false;
  ShowSide(RowOf(*contract), contract->letter, quote, catalogue.DecimalsOf(code));
  StoreQuote(quote);
  return true;
}

void OptionTRows::StoreQuote(const backend::QuoteRecord& quote) {
  std::lock_guard lock(quotesLock_);
  kept_.insert_or_assign(std::string(quotes::FieldText(quote.szCode)), quote);
}

backend::QuoteRecord OptionTRows::GetStoredQuote(std::string_view code) const {
  {
    std::lock_guard lock(quotesLock_);
    if (const auto found = kept_.find(std::string(code)); found != kept_.end()) return found->second;
  }
  backend::QuoteRecord none{};
  engine::SetText(none.szCode, code);
  return none;
}

int OptionTRows::RowOf(const OptionContract& contract) const {
  const std::optional<ui::RowId> id = rows_.FindRow(ui::MakeCodeRowKey(contract.strike));
  return id ? rows_.ShownPositionOf(*id) : -1;
}

void OptionTRows::ShowSide(int row, std::string_view letter, const backend::QuoteRecord& quote, int decimals) {
  if (row < 0) return;
  const ui::RowId id = rows_.ShownRow(row);
  ui::GridRow shown = *rows_.Row(id);
  FormatQuoteCells(quote, decimals, colours_, cells_);
  for (int call = 0; call < option::kStrike; ++call) {
    const int cell = letter == kCall ? call : option::Mirrored(call);
    const auto from = static_cast<std::size_t>(kCallSide[call].marketColumn);
    shown.SetText(cell, cells_.texts[from]);
    shown.SetColour(cell, cells_.colours[from]);
  }
  rows_.UpdateRow(id, std::move(shown));
}

int OptionTRows::AtTheMoneyRow(double underlyingPrice) const {
  const int count = rows_.ShownRowCount();
  if (underlyingPrice < 0) return count / 2;
  int nearest = count / 2;
  double best = std::numeric_limits<double>::infinity();
  for (int row = 0; row < count; ++row) {
    const std::optional<double> strike = StrikeOf(rows_.ShownText(row, option::kStrike));
    if (!strike) continue;
    const double distance = std::fabs(*strike - underlyingPrice);
    if (distance < best) {
      best = distance;
      nearest = row;
    }
  }
  return nearest;
}

// Above the money the calls are in it, below it the puts.
std::uint32_t OptionTRows::Background(int row, int column) const {
  if (column == option::kStrike) return shades_.strike;
  if (row == atTheMoney_) return shades_.atTheMoney;
  const bool call = column < option::kStrike;
  return (row < atTheMoney_) == call ? shades_.first : shades_.second;
}

std::string OptionTRows::CodeAt(int row, std::string_view letter) const {
  if (row < 0 || row >= rows_.ShownRowCount()) return {};
  const std::string_view strike = rows_.ShownText(row, option::kStrike);
  const auto found = std::ranges::find_if(contracts_, [&](const OptionContract& contract) {
    return contract.strike == strike && contract.letter == letter;
  });
  return found == contracts_.end() ? std::string() : found->code;
}

std::optional<OptionClick> OptionTRows::Click(int row, int column, const ContractCatalogue& catalogue,
                                              const ClickContext& context) const {
  if (row < 0 || row >= rows_.ShownRowCount() || column < 0 || column >= option::kCount) return std::nullopt;
  if (column == option::kStrike) return OptionClick{.firstColumn = column, .lastColumn = column};
  const bool call = column < option::kStrike;
  OptionClick click{.firstColumn = call ? 0 : option::kStrike,
                    .lastColumn = call ? option::kStrike : option::kCount - 1,
                    .code = CodeAt(row, call ? kCall : kPut)};
  if (click.code.empty()) return click;

  // The ask buys from the sellers, the bid sells to the buyers; any other
  // cell buys at the last price.
  const int side = CallSideColumn(column);
  bool sell = false;
  int priceColumn = market::kLast;
  if (side == option::kAsk || side == option::kAskVolume) {
    priceColumn = market::kAsk;
  } else if (side == option::kBid || side == option::kBidVolume) {
    sell = true;
    priceColumn = market::kBid;
  }
  QuoteCells cells;
  FormatQuoteCells(GetStoredQuote(click.code), catalogue.DecimalsOf(click.code), colours_, cells);
  click.order = PriceClickOrder(click.code, sell, cells.texts[static_cast<std::size_t>(priceColumn)],
                                catalogue.TickOf(click.code), kClickPriceDecimals, context);
  return click;
}

bool OptionTRows::HasSlot(const OptionContract& contract) const {
  backend::QuoteRecord quote;
  return quotes_.FindQuote(contract.exchange, contract.code, quote);
}

std::vector<std::string> OptionTRows::Unquoted() const {
  std::vector<std::string> codes;
  for (const OptionContract& contract : contracts_) {
    if (!HasSlot(contract)) codes.push_back(contract.code);
  }
  return codes;
}

std::vector<std::string> OptionTRows::PreferRows(int first, int last, std::span<const quotes::ContractKey> keep) {
  const auto shownWithoutSlot = [&] {
    std::vector<quotes::ContractKey> keys;
    for (const OptionContract& contract : contracts_) {
      const int row = RowOf(contract);
      if (row >= first && row <= last && !HasSlot(contract)) {
        keys.push_back(quotes::MakeContractKey(contract.exchange, contract.code));
      }
    }
    return keys;
  };
  const std::vector<quotes::ContractKey> wanted = shownWithoutSlot();
  if (wanted.empty()) return Unquoted();
  GiveFarRowsSlots(first, last, wanted);

  // What the series cannot spare itself the other holders give.
  if (const std::vector<quotes::ContractKey> still = shownWithoutSlot(); !still.empty()) {
    std::vector<quotes::ContractKey> kept = Keys();
    kept.insert(kept.end(), keep.begin(), keep.end());
    quotes_.TakeSlots(still, kept);
  }
  return Unquoted();
}

void OptionTRows::GiveFarRowsSlots(int first, int last, const std::vector<quotes::ContractKey>& wanted) {
  std::vector<std::pair<int, quotes::ContractKey>> spare;  // distance from the rows, key
  for (const OptionContract& contract : contracts_) {
    const int row = RowOf(contract);
    if ((row < first || row > last) && HasSlot(contract)) {
      spare.emplace_back(row < first ? first - row : row - last,
                         quotes::MakeContractKey(contract.exchange, contract.code));
    }
  }
  if (spare.empty()) return;
  std::ranges::sort(spare, std::greater<>(), &std::pair<int, quotes::ContractKey>::first);
  spare.resize(std::min(spare.size(), wanted.size()));
  std::vector<quotes::ContractKey> released(wanted);
  std::vector<quotes::ContractKey> given;
  for (const auto& [distance, key] : spare) given.push_back(key);
  released.insert(released.end(), given.begin(), given.end());
  // The wanted contracts drop the references they hold without a slot and
  // take them again once the far rows have made room; the far rows keep
  // theirs, without a slot now.
  quotes_.MoveQuoteRefs(released, wanted);
  quotes_.MoveQuoteRefs({}, given);
}

}  // namespace marketviews
