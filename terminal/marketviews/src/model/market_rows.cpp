#include "marketviews/model/market_rows.h"

#include <algorithm>
#include <utility>

#include "client/fixed_text.h"
#include "engine/row_field.h"
#include "ui/row_keys.h"

namespace marketviews {
namespace {

namespace column = market_column;

// Order directions and the flags a click fills in.
constexpr std::string_view kBuy = "0";
constexpr std::string_view kSell = "1";
constexpr std::string_view kOpen = "0";
constexpr std::string_view kSpeculation = "0";
// The decimals of a clicked price: three in the futures grids, two in the
// option grids, more when the contract's tick has more.
constexpr int kFuturePriceDecimals = 3;
constexpr int kOptionPriceDecimals = 2;

struct MarketColumn {
  const char* caption;
  int width;
  const char* key;
};

constexpr MarketColumn kMarketColumns[column::kCount] = {
    {"合约", 140, "szContractCode"},
    {"最新价", 70, "fNewPrice"},
    {"买入价", 70, "fBuyPrice1"},
    {"买入量", 70, "dwBuyVolume1"},
    {"卖出价", 70, "fSellPrice1"},
    {"卖出量", 70, "dwSellVolume1"},
    {"涨跌", 60, ""},
    {"涨跌幅", 70, ""},
    {"涨停价", 70, "fUpperLimitPrice"},
    {"跌停价", 70, "fLowerLimitPrice"},
    {"当日最高", 90, "fHighestPrice"},
    {"当日最低", 90, "fLowestPrice"},
    {"总成交量", 110, "dwVolume"},
    {"总持仓量", 100, "dwOpenInterest"},
    {"成交金额", 100, "dAmount"},
    {"昨收盘价", 90, "fLastClosePrice"},
    {"今开盘价", 90, "fOpenPrice"},
    {"昨结算价", 90, "fPreSettlementPrice"},
    {"今结算价", 90, "fSettlementPrice"},
    {"合约名称", 120, "szContractName"},
};

std::pair<ui::GridRow, ui::RowKey> ContractRow(std::string_view code, std::string_view name) {
  ui::GridRow row(column::kCount);
  row.SetText(column::kCode, code);
  row.SetText(column::kName, name);
  return {std::move(row), ui::MakeCodeRowKey(code)};
}

}  // namespace

std::vector<ui::ColumnSpec> MarketColumns() {
  std::vector<ui::ColumnSpec> columns;
  for (const MarketColumn& spec : kMarketColumns) {
    columns.emplace_back(spec.caption, spec.width, ui::kAlignRight, spec.key);
  }
  return columns;
}

MarketRows::MarketRows(std::string title, int kind, int groupIndex, bool optionGrid)
    : title_(std::move(title)), kind_(kind), groupIndex_(groupIndex), optionGrid_(optionGrid) {
  rows_.SetColumns(MarketColumns());
}

void MarketRows::Fill(const quotes::ContractGroup& group, const ContractCatalogue& catalogue) {
  std::vector<std::pair<ui::GridRow, ui::RowKey>> rows;
  rows.reserve(group.keys.size());
  for (const quotes::ContractKey& key : group.keys) {
    const ContractInfo* info = catalogue.Find(key.Code());
    rows.push_back(ContractRow(key.Code(), info == nullptr ? std::string_view() : info->name));
  }
  rows_.ReplaceRows(std::move(rows));
}

void MarketRows::AddContractRow(std::string_view code, std::string_view name) {
  auto [row, key] = ContractRow(code, name);
  rows_.AddRow(std::move(row), std::move(key));
}

bool MarketRows::ShowQuote(const backend::QuoteRecord& quote, const ContractCatalogue& catalogue) {
  const std::string_view code = quotes::FieldText(quote.szCode);
  const std::optional<ui::RowId> id = rows_.FindRow(ui::MakeCodeRowKey(code));
  return id && UpdateQuoteRow(rows_, *id, quote, catalogue.DecimalsOf(code), colours_, cells_);
}

std::optional<order_module::OrderRecord> MarketRows::ClickOrder(int shownRow, int column,
                                                                const ContractCatalogue& catalogue,
                                                                const ClickContext& context) const {
  if (shownRow < 0 || shownRow >= rows_.ShownRowCount() || column < 0 || column >= rows_.ColumnCount()) {
    return std::nullopt;
  }
  const std::string_view code = rows_.ShownText(shownRow, column::kCode);
  if (code.empty()) return std::nullopt;

  // The bid sells to the buyers, the ask buys from the sellers; any other
  // cell buys, at the bid or, in an option grid, at the last price.
  bool sell = false;
  int priceColumn = optionGrid_ ? column::kLast : column::kBid;
  if (column == column::kBid || column == column::kBidVolume) {
    sell = true;
    priceColumn = column::kBid;
  } else if (column == column::kAsk || column == column::kAskVolume) {
    priceColumn = column::kAsk;
  }
  return PriceClickOrder(code, sell, rows_.ShownText(shownRow, priceColumn), catalogue.TickOf(code),
                         optionGrid_ ? kOptionPriceDecimals : kFuturePriceDecimals, context);
}

order_module::OrderRecord PriceClickOrder(std::string_view code, bool sell, std::string_view shownPrice, double tick,
                                          int minDecimals, const ClickContext& context) {
  order_module::OrderRecord order{};
  engine::SetText(order.contractCode, code);
  engine::SetText(order.buySell, sell ? kSell : kBuy);
  engine::SetText(order.openClose, kOpen);
  engine::SetText(order.hedge, kSpeculation);

  // A price moves by the price level's ticks towards the other side, so
  // that the order meets the market.
  const double price = engine::ParseNumber(shownPrice).value_or(0);
  if (shownPrice != "-" && price == 0) {
    engine::SetText(order.price, shownPrice);
  } else if (price != 0) {
    const double moved = price + (sell ? -1 : 1) * context.priceLevel * tick;
    engine::SetText(order.price, client::FixedText(moved, std::max(minDecimals, PriceDecimals(tick))));
  }
  if (context.role == 2) engine::SetText(order.customerNo, context.customerNo);
  return order;
}

bool UpdateQuoteRow(ui::GridModel& rows, ui::RowId id, const backend::QuoteRecord& quote, int decimals,
                    const MarketColours& colours, QuoteCells& cells) {
  const ui::GridRow* held = rows.Row(id);
  if (held == nullptr) return false;
  ui::GridRow row = *held;
  FormatQuoteCells(quote, decimals, colours, cells);
  for (int column = QuoteCells::kFirst; column <= QuoteCells::kLast; ++column) {
    row.SetText(column, cells.texts[static_cast<std::size_t>(column)]);
    row.SetColour(column, cells.colours[static_cast<std::size_t>(column)]);
  }
  return rows.UpdateRow(id, std::move(row));
}

}  // namespace marketviews
