#include "tradeviews/model/order_bar_actions.h"

#include <algorithm>

#include "client/code_tables.h"
#include "client/fixed_text.h"
#include "engine/query_facade.h"
#include "tradeviews/model/bar_cells.h"
#include "tradeviews/model/query_bar_layout.h"

namespace tradeviews {
namespace {

namespace order = order_column;
using engine::SetText;
using engine::Text;

std::string_view TrimEnd(std::string_view text) {
  const std::size_t end = text.find_last_not_of(" \t");
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

// The order state code of the state text the row shows.
std::string_view StateOf(const ui::GridRow& row) { return client::OrderStateCode(row.Text(order::kState)); }

std::string ExchangeOf(BarServices& services, std::string_view contract) {
  std::string error;
  std::string exchange;
  engine::GetContractExchange(services.Engine(), contract, error, exchange);
  return exchange;
}

}  // namespace

const OrderFillColumns kOrderBarFill{order::kAccount, order::kContract,  order::kLots,
                                     order::kBuySell, order::kOpenClose, order::kHedge};
const OrderFillColumns kTradeBarFill{trade_column::kAccount, trade_column::kContract,  trade_column::kLots,
                                     trade_column::kBuySell, trade_column::kOpenClose, trade_column::kHedge};

std::string RowCustomer(const ui::GridRow& row, bool institution, const BarServices& services) {
  return institution ? std::string(row.Text(kAccountColumn)) : services.FirstAccountCode();
}

void CancelOrder(const ui::GridRow& row, bool institution, BarServices& services, BarPrompts& prompts) {
  const std::string_view orderNo = row.Text(order::kOrderNo);
  if (!IsWorkingOrderState(StateOf(row))) {
    prompts.ShowMessage("此委托单不可撤!");
    return;
  }
  if (orderNo.empty()) return;
  if (services.Settings().confirmCancel) {
    const std::string question = " 待撤委托单号: " + std::string(orderNo) + "\n\n\n 确定撤单吗?";
    if (!prompts.AskOkCancel(question)) return;
  }
  std::string message;
  if (!services.DeleteOrder(RowCustomer(row, institution, services), orderNo, row.Text(order::kSeat),
                            row.Text(order::kOrderSeat), message)) {
    prompts.ShowMessage(message);
  }
}

std::vector<CancelGroup> GroupCancels(const ui::GridModel& grid, std::string_view customerFilter, bool institution,
                                      const BarServices& services) {
  std::vector<CancelGroup> groups;
  for (const ui::RowId id : grid.RowsInGridOrder()) {
    const ui::GridRow& row = *grid.Row(id);
    if (!IsWorkingOrderState(StateOf(row)) || row.Text(order::kOrderNo).empty()) continue;
    std::string customer = RowCustomer(row, institution, services);
    if (!customerFilter.empty() && customer != customerFilter) continue;
    auto group = std::find_if(groups.begin(), groups.end(),
                              [&](const CancelGroup& existing) { return existing.customer == customer; });
    if (group == groups.end()) {
      groups.emplace_back().customer = std::move(customer);
      group = groups.end() - 1;
    }
    group->orderNos.Append(row.Text(order::kOrderNo));
    group->seats.Append(row.Text(order::kSeat));
    group->orderSeats.Append(row.Text(order::kOrderSeat));
  }
  return groups;
}

void BatchCancel(const ui::GridModel& grid, std::string_view customerFilter, bool institution, BarServices& services) {
  if (grid.RowCount() == 0) return;
  bool sent = true;
  for (const CancelGroup& group : GroupCancels(grid, customerFilter, institution, services)) {
    std::string message;
    sent = services.DeleteAllOrder(group.customer, group.orderNos, group.seats, group.orderSeats, message);
    if (!sent) break;
  }
  services.WriteLog("撤批量单" + std::string(customerFilter) + (sent ? "请求成功！" : "请求失败！"));
}

std::string PriceMovedByTicks(double price, bool buy, int level, double tick) {
  if (price != 0) price += (buy ? 1 : -1) * level * tick;
  return client::FixedText(price, PriceDecimalsOf(tick));
}

std::optional<order_module::OrderRecord> OrderFormRecordOf(const ui::GridRow& row, const OrderFillColumns& columns,
                                                           BarServices& services) {
  order_module::OrderRecord record{};
  SetText(record.contractCode, row.Text(columns.contract));
  SetText(record.contractCode, TrimEnd(Text(record.contractCode)));
  const std::string_view contract = Text(record.contractCode);
  if (contract.empty()) return std::nullopt;
  SetText(record.customerNo, row.Text(columns.customer));
  SetText(record.lots, row.Text(columns.lots));
  SetText(record.buySell, client::BuySellCode(row.Text(columns.buySell)));
  SetText(record.openClose, client::OpenCloseCode(row.Text(columns.openClose)));
  SetText(record.hedge, client::HedgeCode(row.Text(columns.hedge)));
  // A buy is priced at the ask, a sell at the bid.
  const bool buy = Text(record.buySell) == "0";
  backend::QuoteRecord quote{};
  if (services.GetQuote(ExchangeOf(services, contract), contract, quote)) {
    const double tick = engine::GetPriceTick(services.Engine(), contract);
    const double price = buy ? quote.fSellPrice1 : quote.fBuyPrice1;
    SetText(record.price, PriceMovedByTicks(price, buy, services.Settings().priceLevel, tick));
  }
  return record;
}

void FillOrderForm(const ui::GridRow& row, const OrderFillColumns& columns, BarServices& services) {
  if (const std::optional<order_module::OrderRecord> record = OrderFormRecordOf(row, columns, services)) {
    services.FillOrderForm(*record);
  }
}

bool MayChangePrice(const ui::GridRow& row) {
  const std::string_view priceType = row.Text(order::kPriceType);
  return IsWorkingOrderState(StateOf(row)) &&
         (priceType.empty() || std::string_view(client::PriceTypeText(priceType, false)) == "0");
}

ChangePriceRecord ChangePriceRecordOf(const ui::GridRow& row, BarServices& services) {
  ChangePriceRecord record{};
  SetText(record.orderNo, row.Text(order::kOrderNo));
  SetText(record.exchange, ExchangeOf(services, row.Text(order::kContract)));
  SetText(record.seat, row.Text(order::kSeat));
  SetText(record.contract, row.Text(order::kContract));
  SetText(record.tradeCode, row.Text(order::kTradeCode));
  SetText(record.buySell, client::BuySellCode(row.Text(order::kBuySell)));
  SetText(record.openClose, client::OpenCloseCode(row.Text(order::kOpenClose)));
  SetText(record.lots, std::to_string(IntegerOf(row.Text(order::kLots)) - IntegerOf(row.Text(order::kTradedLots))));
  SetText(record.price, row.Text(order::kPrice));
  SetText(record.hedge, client::HedgeCode(row.Text(order::kHedge)));
  SetText(record.orderSeat, row.Text(order::kOrderSeat));
  SetText(record.priceType, client::PriceTypeText(row.Text(order::kPriceType), false));
  SetText(record.dealAttribute, DealAttributeCode(row.Text(order::kDealAttribute)));
  SetText(record.profitLossPrice, row.Text(order::kProfitLossPrice));
  SetText(record.customer, row.Text(order::kAccount));
  return record;
}

void ChangePrice(const ui::GridRow& row, BarServices& services, BarPrompts& prompts) {
  if (!MayChangePrice(row)) {
    prompts.ShowMessage("此委托单不可改价下单!");
    return;
  }
  prompts.ShowChangePrice(ChangePriceRecordOf(row, services));
}

}  // namespace tradeviews
