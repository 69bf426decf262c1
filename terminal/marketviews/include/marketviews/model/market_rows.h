// The rows of one market tab (the model of CTQMarketView and of
// CTQMarketOptionView): the contracts of one group in the twenty market
// columns, one row per contract found again by its code, updated in place
// as the contract's quotes come, and the order a click on a row's price
// cell hands to the order form. No toolkit.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backend/quote_record.h"
#include "marketviews/model/contract_catalogue.h"
#include "marketviews/model/quote_format.h"
#include "order_module/order_record.h"
#include "quotes/contract_group.h"
#include "ui/grid_model.h"

namespace marketviews {

// The market columns: caption, width, alignment and the quote field each
// shows (empty for the change and the change in per cent).
std::vector<ui::ColumnSpec> MarketColumns();

// What a click needs beyond the row: the order settings' price level (the
// ticks a clicked price moves towards the other side) and who is logged in.
struct ClickContext {
  int priceLevel = 0;
  int role = 2;            // 2: a trading customer, whose number the order carries
  std::string customerNo;  // the account on connection slot 0
};

class MarketRows {
 public:
  // `optionGrid`: the rows of an option group (CTQMarketOptionGridCtrl),
  // which click at the last price and write prices with two decimals.
  MarketRows(std::string title, int kind, int groupIndex, bool optionGrid);
  MarketRows(const MarketRows&) = delete;
  MarketRows& operator=(const MarketRows&) = delete;

  const std::string& Title() const { return title_; }
  int Kind() const { return kind_; }
  int GroupIndex() const { return groupIndex_; }
  bool IsOptionGrid() const { return optionGrid_; }
  ui::GridModel& Rows() { return rows_; }
  const ui::GridModel& Rows() const { return rows_; }

  // The group's contracts, one row each in the group's order, named as the
  // catalogue names them; the rows held before go.
  void Fill(const quotes::ContractGroup& group, const ContractCatalogue& catalogue);
  // A row of the contract, empty but for its code and name, at the end.
  void AddContractRow(std::string_view code, std::string_view name);
  // Shows the quote in its contract's row, if there is one; true when it
  // was shown.
  bool ShowQuote(const backend::QuoteRecord& quote, const ContractCatalogue& catalogue);

  // The order for a click on the cell of the shown row and column, filled
  // as the order form takes it; nothing off the rows or for a row without
  // a code.
  std::optional<order_module::OrderRecord> ClickOrder(int shownRow, int column, const ContractCatalogue& catalogue,
                                                      const ClickContext& context) const;

 private:
  std::string title_;
  int kind_;
  int groupIndex_;
  bool optionGrid_;
  MarketColours colours_;
  ui::GridModel rows_;
  QuoteCells cells_;  // reused for every quote
};

// The order of a click on a shown price of the contract: a sale when `sell`,
// else a purchase; the price moved by the price level's ticks towards the
// other side and written with at least `minDecimals` decimals (more when
// the tick has more); a price shown as "-" leaves the order's price empty.
order_module::OrderRecord PriceClickOrder(std::string_view code, bool sell, std::string_view shownPrice, double tick,
                                          int minDecimals, const ClickContext& context);

// Updates the cells of a held row from the quote; false for an unknown row.
// The grids that show quotes in the market columns share it.
bool UpdateQuoteRow(ui::GridModel& rows, ui::RowId id, const backend::QuoteRecord& quote, int decimals,
                    const MarketColours& colours, QuoteCells& cells);

}  // namespace marketviews
