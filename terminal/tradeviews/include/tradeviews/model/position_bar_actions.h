// The row actions of the position bar, read from the texts its grid shows:
// quick close and quick lock at the price the quotation offers, the same
// close filled into the order form (a double-click), a reverse order (close,
// then open the same side) through its confirmation dialog or at market
// price at once, and the price at which the account's funds would be used up
// (the liquidation forecast). No toolkit.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "backend/global_string_list.h"
#include "backend/quote_record.h"
#include "tradeviews/model/bar_services.h"
#include "ui/grid_row.h"

namespace tradeviews {

// An order on a position, as the actions build it.
struct PositionOrderRecord {
  char customer[32];
  char contract[17];
  char info[37];      // seat, trade code and exchange code, each followed by "|"
  char buySell[5];    // "买入" or "卖出"
  char openClose[5];  // "平仓", "开仓", ...
  char lots[9];
  char price[15];
  std::int32_t hedgeFlag;  // 1 hedging, 0 speculation
};

// The ten texts of an order built from a position order record.
struct COrderInputHelper {
  COrderInputHelper() = default;
  explicit COrderInputHelper(const PositionOrderRecord& record);

  // "开仓" "0", "平仓" "1", "平今" "2", "自动" "3", else "".
  std::string OpenCloseCode() const;
  // "保值" "1", "投机" "0", else "".
  std::string HedgeCode() const;

  std::string customer;
  std::string exchangeCode;
  std::string seat;
  std::string tradeCode;
  std::string contract;
  std::string buySellText;
  std::string openCloseText;
  std::string price;
  std::string lots;
  std::string hedgeText;
};

// The price that closes a position at once: a long one sells at the bid
// less `level` ticks, not below the lower limit; a short one buys at the ask
// plus `level` ticks, not above the upper limit. Prices are first rounded to
// the tick's decimals (at least 2) and written with them; no bid or ask
// gives 0.
std::string ClosePriceOf(const backend::QuoteRecord& quote, bool longPosition, int level, double tick);

// The row's contract, its exchange and its quotation; nothing when the row
// has no contract or no quotation is to be had.
struct RowQuotation {
  std::string exchangeCode;
  backend::QuoteRecord quote{};
};
std::optional<RowQuotation> QuotationOf(const ui::GridRow& row, BarServices& services);

// Sends the order that closes ("平仓") or locks ("开仓") the position at the
// quotation's price; `fillOnly` fills the order form with the close instead,
// unless "DBClickCloseOrder" is on.
void QuickOrder(const ui::GridRow& row, std::string_view openCloseText, const RowQuotation& quotation, bool fillOnly,
                BarServices& services);
// Opens the reverse order dialog for the position.
void ReverseOrder(const ui::GridRow& row, std::string_view openCloseText, const RowQuotation& quotation,
                  BarPrompts& prompts, BarServices& services);
// Sends the reverse order at market price without a dialog; the menu passes
// the open/close code "1".
void MarketReverseOrder(const ui::GridRow& row, std::string_view openCloseCode, BarServices& services);

// What the reverse order dialog holds: the order, and the side of both its
// legs, the opposite of the position's.
struct ReverseTicket {
  COrderInputHelper order;
  std::string sideText;
  std::string sideCode;
};
ReverseTicket ReverseTicketOf(const PositionOrderRecord& record);

// The dialog's four edits.
struct ReverseInputs {
  std::string closePrice;
  std::string closeLots;
  std::string openPrice;
  std::string openLots;
};
// The dialog's "确定": the first refusal's message, or "" once the order is
// submitted.
std::string SubmitReverse(const ReverseTicket& ticket, const ReverseInputs& inputs, BarServices& services);

// The message of the liquidation forecast of the row's position; nothing
// while the engine downloads. The price is "-" where it cannot be told
// (no lots, no multiplier, no funds row of the customer).
std::optional<std::string> LiquidationForecast(const ui::GridRow& row, engine::COperationEngine& engine);

}  // namespace tradeviews
