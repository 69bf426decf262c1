#include "tradeviews/model/position_bar_actions.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "backend/field_text.h"
#include "client/code_tables.h"
#include "client/fixed_text.h"
#include "engine/query_facade.h"
#include "engine/row_field.h"
#include "tradeviews/model/bar_cells.h"
#include "tradeviews/model/query_bar_layout.h"

namespace tradeviews {
namespace {

namespace position = position_column;
using engine::SetText;
using engine::Text;

constexpr std::string_view kBuyText = "买入";
constexpr std::string_view kSellText = "卖出";
// The part of the information text the helper reads.
constexpr std::size_t kInfoRead = 29;
// Prices below this count as none in the reverse dialog's tick check.
constexpr double kSomePrice = 0.000001;

backend::CGlobalStringList ListOf(std::initializer_list<std::string_view> items) {
  backend::CGlobalStringList list;
  for (const std::string_view item : items) list.Append(item);
  return list;
}

double RoundTo(double value, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::floor(value * scale + 0.5) / scale;
}

std::string_view OtherSide(std::string_view buySell) {
  if (buySell == kBuyText) return kSellText;
  if (buySell == kSellText) return kBuyText;
  return buySell;
}

// The record the quick order and the reverse start from; the position's
// own side, its lots and the close price.
PositionOrderRecord RecordOf(const ui::GridRow& row, std::string_view contract, std::string_view openCloseText,
                             const RowQuotation& quotation, BarServices& services) {
  PositionOrderRecord record{};
  SetText(record.customer, row.Text(position::kAccount));
  SetText(record.contract, contract);
  std::string info;
  for (const std::string_view field : {row.Text(position::kSeat), row.Text(position::kTradeCode)}) {
    backend::AppendSeparatedField(info, field);
  }
  backend::AppendSeparatedField(info, quotation.exchangeCode);
  SetText(record.info, info);
  SetText(record.openClose, openCloseText);
  SetText(record.buySell, row.Text(position::kBuySell));
  SetText(record.lots, row.Text(position::kVolume));
  const double tick = engine::GetPriceTick(services.Engine(), contract);
  SetText(record.price, ClosePriceOf(quotation.quote, row.Text(position::kBuySell) == kBuyText,
                                     services.Settings().priceLevel, tick));
  record.hedgeFlag = static_cast<std::int32_t>(IntegerOf(client::HedgeCode(row.Text(position::kHedge))));
  return record;
}

// A price of the reverse dialog: empty refused by the caller; a number on
// the tick, or none at all (market price).
bool OnTick(std::string_view price, engine::COperationEngine& engine, std::string_view contract) {
  if (!IsPlainDecimal(price)) return false;
  return NumberOf(price) < kSomePrice || engine::CheckPriceTick(engine, contract, price);
}

}  // namespace

COrderInputHelper::COrderInputHelper(const PositionOrderRecord& record)
    : customer(Text(record.customer)),
      contract(Text(record.contract)),
      buySellText(Text(record.buySell)),
      openCloseText(Text(record.openClose)),
      price(Text(record.price)),
      lots(Text(record.lots)),
      hedgeText(record.hedgeFlag == 1 ? "保值" : "投机") {
  const std::string_view info = Text(record.info).substr(0, kInfoRead);
  seat = backend::TrimBlanks(backend::GetSeparatedFieldText(1, info));
  tradeCode = backend::TrimBlanks(backend::GetSeparatedFieldText(2, info));
  exchangeCode = backend::TrimBlanks(backend::GetSeparatedFieldText(3, info));
}

std::string COrderInputHelper::OpenCloseCode() const {
  if (openCloseText == "开仓") return "0";
  if (openCloseText == "平仓") return "1";
  if (openCloseText == "平今") return "2";
  if (openCloseText == "自动") return "3";
  return "";
}

std::string COrderInputHelper::HedgeCode() const {
  if (hedgeText == "保值") return "1";
  if (hedgeText == "投机") return "0";
  return "";
}

std::string ClosePriceOf(const backend::QuoteRecord& quote, bool longPosition, int level, double tick) {
  const int decimals = PriceDecimalsOf(tick);
  double price = RoundTo(longPosition ? quote.fBuyPrice1 : quote.fSellPrice1, decimals);
  if (price > 0) {
    if (longPosition) {
      price -= level * tick;
      const double lower = RoundTo(quote.fLowerLimitPrice, decimals);
      if (lower > 0) price = std::max(price, lower);
    } else {
      price += level * tick;
      const double upper = RoundTo(quote.fUpperLimitPrice, decimals);
      if (upper > 0) price = std::min(price, upper);
    }
  }
  return client::FixedText(price, decimals);
}

std::optional<RowQuotation> QuotationOf(const ui::GridRow& row, BarServices& services) {
  std::string contract(row.Text(position::kContract).substr(0, 31));
  if (contract.empty()) return std::nullopt;
  RowQuotation quotation;
  std::string error;
  engine::GetContractExchange(services.Engine(), contract, error, quotation.exchangeCode);
  if (!services.GetQuote(quotation.exchangeCode, contract, quotation.quote)) return std::nullopt;
  return quotation;
}

void QuickOrder(const ui::GridRow& row, std::string_view openCloseText, const RowQuotation& quotation, bool fillOnly,
                BarServices& services) {
  const std::string contract(backend::TrimBlanks(row.Text(position::kContract).substr(0, 16)));
  if (contract.empty()) return;
  PositionOrderRecord record = RecordOf(row, contract, openCloseText, quotation, services);
  SetText(record.buySell, OtherSide(Text(record.buySell)));
  const COrderInputHelper order(record);
  const std::string_view buySell = client::BuySellCode(order.buySellText);
  if (!fillOnly || services.Settings().doubleClickSendsClose) {
    services.SubmitOrder(ListOf({"", "", "", order.exchangeCode, order.contract, buySell,
                                 client::OpenCloseCode(openCloseText), order.HedgeCode(), order.lots, order.price,
                                 order.tradeCode, order.seat, "0", "0", "", "0", order.customer}));
    return;
  }
  order_module::OrderRecord form{};
  SetText(form.customerNo, order.customer);
  SetText(form.contractCode, order.contract);
  SetText(form.buySell, buySell);
  SetText(form.openClose, "1");
  SetText(form.hedge, std::to_string(record.hedgeFlag));
  SetText(form.lots, order.lots);
  SetText(form.price, order.price);
  services.FillOrderForm(form);
}

void ReverseOrder(const ui::GridRow& row, std::string_view openCloseText, const RowQuotation& quotation,
                  BarPrompts& prompts, BarServices& services) {
  PositionOrderRecord record = RecordOf(row, row.Text(position::kContract), openCloseText, quotation, services);
  // Lots and a price only for a side the dialog can reverse.
  const std::string_view side = row.Text(position::kBuySell);
  if (side != kBuyText && side != kSellText) {
    SetText(record.lots, "");
    SetText(record.price, "");
  }
  prompts.ShowReverseOrder(record);
}

void MarketReverseOrder(const ui::GridRow& row, std::string_view openCloseCode, BarServices& services) {
  PositionOrderRecord record{};
  SetText(record.contract, row.Text(position::kContract));
  SetText(record.contract, backend::TrimBlanks(Text(record.contract)));
  const std::string_view contract = Text(record.contract);
  if (contract.empty()) return;
  SetText(record.customer, row.Text(position::kAccount));
  SetText(record.info, row.Text(position::kTradeCode));
  SetText(record.lots, row.Text(position::kVolume));
  const std::string hedge = std::to_string(IntegerOf(client::HedgeCode(row.Text(position::kHedge))));
  const std::string_view buySell = row.Text(position::kBuySell) == kBuyText ? "1" : "0";
  std::string error;
  std::string exchange;
  engine::GetContractExchange(services.Engine(), contract, error, exchange);
  services.SubmitReverseOrder(ListOf({"",
                                      "",
                                      "",
                                      exchange,
                                      contract,
                                      buySell,
                                      openCloseCode,
                                      hedge,
                                      Text(record.lots),
                                      "0",
                                      Text(record.info),
                                      row.Text(position::kSeat),
                                      "1",
                                      "2",
                                      "",
                                      Text(record.lots),
                                      "0",
                                      "1",
                                      "2",
                                      "0",
                                      Text(record.customer)}));
}

ReverseTicket ReverseTicketOf(const PositionOrderRecord& record) {
  ReverseTicket ticket{COrderInputHelper(record), std::string(kBuyText), "0"};
  if (ticket.order.buySellText == kBuyText) {
    ticket.sideText = kSellText;
    ticket.sideCode = "1";
  }
  return ticket;
}

std::string SubmitReverse(const ReverseTicket& ticket, const ReverseInputs& inputs, BarServices& services) {
  if (inputs.closePrice.empty()) return "平仓价格不能为空!";
  if (NumberOf(inputs.closeLots) == 0) return "平仓手数不能为空或零!";
  if (inputs.openPrice.empty()) return "开仓价格不能为空!";
  if (NumberOf(inputs.openLots) == 0) return "开仓手数不能为空或零!";
  engine::COperationEngine& engine = services.Engine();
  if (!OnTick(inputs.closePrice, engine, ticket.order.contract) ||
      !OnTick(inputs.openPrice, engine, ticket.order.contract)) {
    return "平仓价格不符合最小变动价位!";
  }
  const COrderInputHelper& order = ticket.order;
  services.SubmitReverseOrder(ListOf({"",
                                      "",
                                      "",
                                      order.exchangeCode,
                                      order.contract,
                                      ticket.sideCode,
                                      order.OpenCloseCode(),
                                      order.HedgeCode(),
                                      inputs.closeLots,
                                      inputs.closePrice,
                                      order.tradeCode,
                                      order.seat,
                                      "0",
                                      "0",
                                      "",
                                      inputs.openLots,
                                      inputs.openPrice,
                                      "0",
                                      "0",
                                      "0",
                                      order.customer}));
  return "";
}

std::optional<std::string> LiquidationForecast(const ui::GridRow& row, engine::COperationEngine& engine) {
  backend::CxDataSet funds;
  std::string error;
  if (!engine::QueryEngineTable(engine, kFundTable, funds, error)) return std::nullopt;
  const std::string_view contract = row.Text(position::kContract);
  const std::string_view side = row.Text(position::kBuySell);
  const double volume = NumberOf(row.Text(position::kVolume));
  const double average = NumberOf(row.Text(position::kPositionPrice));
  const int multiplier = engine::GetContractMultiplier(engine, contract);
  std::string price = "-";
  for (std::uint32_t index = 0; index < funds.GetCount(); ++index) {
    const std::optional<engine::FundRow> fund = engine::RowFromBytes<engine::FundRow>(funds.GetValue(index));
    if (!fund || Text(fund->szTradeAccount) != row.Text(position::kAccount)) continue;
    // No lots or no multiplier: there is no price at which the funds run out.
    if (multiplier <= 0 || volume == 0 || (side != kBuyText && side != kSellText)) continue;
    const double reach = NumberOf(Text(fund->szUsableMoney)) / (volume * multiplier);
    price = client::FixedText(side == kBuyText ? average - reach : average + reach, 2);
  }
  std::string text;
  text.append("合     约：").append(contract).append("\n");
  text.append("买     卖：").append(side).append("\n");
  text.append("持仓手数：").append(row.Text(position::kVolume)).append("\n");
  text.append("持仓均价：").append(row.Text(position::kPositionPrice)).append("\n");
  text.append("穿仓价格：").append(price).append("\n");
  return text;
}

}  // namespace tradeviews
