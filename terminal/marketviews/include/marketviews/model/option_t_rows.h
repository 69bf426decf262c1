// The rows of the option T grid (the model of CTMarketOptionGridCtrl): one
// option series, one row per strike in the order the series lists them,
// the call's quote on the left of the strike and the put's mirrored on the
// right, in the market grids' number formats. It keeps a copy of the last
// quote of each option of the series, holds a quote reference for each of
// them, shades the rows above and below the strike at the money, and turns
// a click on a cell into the option to show and the order to fill in.
// GUI thread only; no toolkit.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "backend/quote_record.h"
#include "marketviews/model/contract_catalogue.h"
#include "marketviews/model/market_rows.h"
#include "marketviews/model/option_series.h"
#include "marketviews/model/quote_format.h"
#include "quotes/quotation_com.h"
#include "ui/grid_model.h"

namespace marketviews {

// The columns of the T grid: the call's from the left edge to the strike,
// the put's mirrored from the strike to the right edge.
namespace option_column {
inline constexpr int kVolume = 0;
inline constexpr int kOpenInterest = 1;
inline constexpr int kChange = 2;
inline constexpr int kAsk = 3;
inline constexpr int kAskVolume = 4;
inline constexpr int kBid = 5;
inline constexpr int kBidVolume = 6;
inline constexpr int kLast = 7;
inline constexpr int kStrike = 8;
inline constexpr int kCount = 17;
// The put's column of a call column.
constexpr int Mirrored(int column) { return kCount - 1 - column; }
}  // namespace option_column

std::vector<ui::ColumnSpec> OptionColumns();

// The backgrounds of the grid's cells (0x00BBGGRR).
struct OptionShades {
  std::uint32_t first = 15198207;
  std::uint32_t second = 15002603;
  std::uint32_t atTheMoney = 10548976;
  std::uint32_t strike = 12040422;
};

// What a click on a cell gives: the cells to select, the option to show
// (none on the strike column) and the order for the order form (none for
// the strike column or an option the series does not have).
struct OptionClick {
  int firstColumn = 0;
  int lastColumn = 0;
  std::string code{};
  std::optional<order_module::OrderRecord> order{};
};

class OptionTRows {
 public:
  // The quote table outlives the rows.
  explicit OptionTRows(quotes::CtbQuotationCom& quotes);
  // Lets go of the quote references of the series.
  ~OptionTRows();
  OptionTRows(const OptionTRows&) = delete;
  OptionTRows& operator=(const OptionTRows&) = delete;

  ui::GridModel& Rows() { return rows_; }
  const ui::GridModel& Rows() const { return rows_; }
  const std::vector<OptionContract>& Contracts() const { return contracts_; }

  // Shows another series: its contracts take the quote references of the
  // old ones, and the quotes kept of contracts that are no longer shown go.
  // An empty list changes nothing (false).
  bool SetContracts(std::vector<OptionContract> contracts);
  // One row per distinct strike, in the order of first appearance, filled
  // from the quotes kept; false for an empty series.
  bool RefillRows(const ContractCatalogue& catalogue);
  // Shows and keeps a quote of an option of the series; false for any
  // other contract.
  bool OnQuote(const backend::QuoteRecord& quote, const ContractCatalogue& catalogue);
  void StoreQuote(const backend::QuoteRecord& quote);
  // The quote kept of the code; a zeroed quote holding the code when none is.
  backend::QuoteRecord GetStoredQuote(std::string_view code) const;

  // The row whose strike is nearest to the underlying's price, the first of
  // equal distances; the middle row when the price is not known (negative).
  int AtTheMoneyRow(double underlyingPrice) const;
  // Shades the rows around the row at the money.
  void Shade(int atTheMoneyRow) { atTheMoney_ = atTheMoneyRow; }
  int ShadedRow() const { return atTheMoney_; }
  std::uint32_t Background(int row, int column) const;

  // The contract of the strike row and the side ("C" or "P"); empty when
  // the series has none.
  std::string CodeAt(int row, std::string_view letter) const;
  std::optional<OptionClick> Click(int row, int column, const ContractCatalogue& catalogue,
                                   const ClickContext& context) const;

  // Makes the contracts of rows first to last hold quote slots where the
  // quote table is full: the contracts of the other rows, farthest first,
  // give up theirs, then other holders' contracts outside `keep`. The codes
  // of the series that hold no slot afterwards.
  std::vector<std::string> PreferRows(int first, int last, std::span<const quotes::ContractKey> keep);
  // The contracts of the series that hold no quote slot.
  std::vector<std::string> Unquoted() const;

 private:
  std::vector<quotes::ContractKey> Keys() const;
  // The strike row of a contract; -1 when it has none.
  int RowOf(const OptionContract& contract) const;
  void ShowSide(int row, std::string_view letter, const backend::QuoteRecord& quote, int decimals);
  bool HasSlot(const OptionContract& contract) const;
  // The wanted contracts take the slots of the series' contracts farthest
  // from rows first to last.
  void GiveFarRowsSlots(int first, int last, const std::vector<quotes::ContractKey>& wanted);

  quotes::CtbQuotationCom& quotes_;
  std::vector<OptionContract> contracts_;
  ui::GridModel rows_;
  int atTheMoney_ = -1;
  MarketColours colours_{.up = 255, .down = 61440, .flat = 0};
  OptionShades shades_;
  QuoteCells cells_;  // reused for every quote
  // The quotes kept, by code; taken only on the GUI thread, the lock keeps
  // the map whole should that ever change.
  mutable std::mutex quotesLock_;
  std::unordered_map<std::string, backend::QuoteRecord> kept_;
};

}  // namespace marketviews
