#include "tradeviews/views/query_bars.h"

#include <optional>
#include <string>

#include "engine/query_facade.h"
#include "engine/row_field.h"
#include "platform/gbk.h"
#include "tradeviews/model/bar_rows.h"
#include "tradeviews/model/order_bar_actions.h"
#include "tradeviews/model/position_bar_actions.h"
#include "ui/context_menus.h"

namespace tradeviews {
namespace {

// A copy of the row: a modal box or dialog of the action lets table
// changes rewrite or remove the grid's own row meanwhile.
std::optional<ui::GridRow> CopyOf(const ui::GridRow* row) {
  return row != nullptr ? std::optional<ui::GridRow>(*row) : std::nullopt;
}

}  // namespace

// --- Contracts

CTQContractQueryViewBar::CTQContractQueryViewBar(QWidget* parent, const ui::ViewContext& context,
                                                 std::unique_ptr<BarServices> services)
    : CTQReturnViewBar(parent, context, ContractBarLayout(), std::move(services), std::nullopt) {
  setObjectName("CTQContractQueryViewBar");
}

void CTQContractQueryViewBar::LoadContracts() {
  Rows().RemoveAllRows();
  backend::CxDataSet contracts;
  if (!engine::EngineQueryContracts(Services().Engine(), contracts, true)) return;
  std::vector<std::pair<ui::GridRow, ui::RowKey>> rows;
  rows.reserve(contracts.GetCount());
  for (std::uint32_t index = 0; index < contracts.GetCount(); ++index) {
    if (const auto contract = engine::RowFromBytes<engine::ContractRow>(contracts.GetValue(index))) {
      rows.emplace_back(ContractGridRow(*contract), ui::RowKey{});
    }
  }
  Rows().ReplaceRows(std::move(rows));
}

// --- Trades

CTQDoneReturnViewBar::CTQDoneReturnViewBar(QWidget* parent, const ui::ViewContext& context,
                                           std::unique_ptr<BarServices> services)
    : CTQReturnViewBar(parent, context, TradeBarLayout(), std::move(services), BarTableKind::kTrades) {
  setObjectName("CTQDoneReturnViewBar");
}

void CTQDoneReturnViewBar::FillOrderForm(const ui::GridRow& row) {
  tradeviews::FillOrderForm(row, kTradeBarFill, Services());
}

void CTQDoneReturnViewBar::AppendMenuItems(QMenu& menu) {
  ui::AddCommand(&menu, bar_command::kFillFromTrade, "填单到下单区(&F)");
}

bool CTQDoneReturnViewBar::OnCommand(int commandId) {
  if (commandId != bar_command::kFillFromTrade) return false;
  if (const auto row = CopyOf(SelectedRow())) FillOrderForm(*row);
  return true;
}

void CTQDoneReturnViewBar::OnGridDblClk(const ui::GridMouse& mouse) {
  if (const auto row = CopyOf(RowAt(mouse.point))) FillOrderForm(*row);
}

// --- Orders

CTQEntrustReturnViewBar::CTQEntrustReturnViewBar(QWidget* parent, const ui::ViewContext& context,
                                                 std::unique_ptr<BarServices> services)
    : CTQReturnViewBar(parent, context, OrderBarLayout(), std::move(services), BarTableKind::kOrders) {
  setObjectName("CTQEntrustReturnViewBar");
}

void CTQEntrustReturnViewBar::ChangePrice(const ui::GridRow& row) {
  tradeviews::ChangePrice(row, Services(), Prompts());
}

void CTQEntrustReturnViewBar::CancelOrder(const ui::GridRow& row) {
  tradeviews::CancelOrder(row, Institution(), Services(), Prompts());
}

void CTQEntrustReturnViewBar::FillOrderForm(const ui::GridRow& row) {
  tradeviews::FillOrderForm(row, kOrderBarFill, Services());
}

void CTQEntrustReturnViewBar::BatchCancel(std::string_view customerFilter) {
  tradeviews::BatchCancel(Rows(), customerFilter, Institution(), Services());
}

void CTQEntrustReturnViewBar::AppendMenuItems(QMenu& menu) {
  ui::AddCommand(&menu, bar_command::kCancelOrder, "撤单(&D)");
  if (Institution()) ui::AddCommand(&menu, bar_command::kCancelCustomer, "撤该客户所有单(&S)");
  ui::AddCommand(&menu, bar_command::kCancelAll, "撤所有单(&A)");
  ui::AddCommand(&menu, bar_command::kChangePrice, "改价下单(&C)");
  ui::AddCommand(&menu, bar_command::kFillFromOrder, "填单到下单区(&F)");
}

bool CTQEntrustReturnViewBar::OnCommand(int commandId) {
  if (commandId == bar_command::kCancelAll) {
    BatchCancel("");
    return true;
  }
  const std::optional<ui::GridRow> row = CopyOf(SelectedRow());
  switch (commandId) {
    case bar_command::kCancelOrder:
      if (row) CancelOrder(*row);
      return true;
    case bar_command::kCancelCustomer:
      if (row) BatchCancel(row->Text(kAccountColumn));
      return true;
    case bar_command::kChangePrice:
      if (row) ChangePrice(*row);
      return true;
    case bar_command::kFillFromOrder:
      if (row) FillOrderForm(*row);
      return true;
    default: return false;
  }
}

void CTQEntrustReturnViewBar::OnGridDblClk(const ui::GridMouse& mouse) {
  if (const auto row = CopyOf(RowAt(mouse.point))) CancelOrder(*row);
}

// --- Funds

CTQFundQueryViewBar::CTQFundQueryViewBar(QWidget* parent, const ui::ViewContext& context,
                                         std::unique_ptr<BarServices> services)
    : CTQReturnViewBar(parent, context, FundBarLayout(), std::move(services), BarTableKind::kFunds) {
  setObjectName("CTQFundQueryViewBar");
}

void CTQFundQueryViewBar::SynchroniseFunds() {
  // The customers first: each answer changes the grid's rows.
  std::vector<std::string> customers;
  for (const ui::RowId id : Rows().RowsInGridOrder()) {
    const std::string_view customer = Rows().Row(id)->Text(kAccountColumn);
    if (!customer.empty()) customers.emplace_back(customer.substr(0, platform::GbkFitLength(customer, 15)));
  }
  for (const std::string& customer : customers) {
    std::string message;
    if (!Services().QueryFunds(customer, message)) Prompts().ShowMessage(message);
  }
}

void CTQFundQueryViewBar::AppendMenuItems(QMenu& menu) {
  ui::AddCommand(&menu, bar_command::kFundSync, "资金同步(&S)");
}

bool CTQFundQueryViewBar::OnCommand(int commandId) {
  if (commandId != bar_command::kFundSync) return false;
  SynchroniseFunds();
  return true;
}

// --- Positions

CTQPositionQueryViewBar::CTQPositionQueryViewBar(QWidget* parent, const ui::ViewContext& context,
                                                 std::unique_ptr<BarServices> services)
    : CTQReturnViewBar(parent, context, PositionBarLayout(), std::move(services), BarTableKind::kPositions) {
  setObjectName("CTQPositionQueryViewBar");
}

void CTQPositionQueryViewBar::LiquidationForecast(const ui::GridRow& row) {
  if (const std::optional<std::string> text = tradeviews::LiquidationForecast(row, Services().Engine())) {
    Prompts().ShowMessage(*text);
  }
}

void CTQPositionQueryViewBar::Reverse(const ui::GridRow& row, std::string_view openCloseText) {
  if (const std::optional<RowQuotation> quotation = QuotationOf(row, Services())) {
    ReverseOrder(row, openCloseText, *quotation, Prompts(), Services());
  }
}

void CTQPositionQueryViewBar::MarketReverse(const ui::GridRow& row, std::string_view openCloseCode) {
  MarketReverseOrder(row, openCloseCode, Services());
}

void CTQPositionQueryViewBar::QuickOrder(const ui::GridRow& row, std::string_view openCloseText, bool fillOnly) {
  if (const std::optional<RowQuotation> quotation = QuotationOf(row, Services())) {
    tradeviews::QuickOrder(row, openCloseText, *quotation, fillOnly, Services());
  }
}

void CTQPositionQueryViewBar::AppendMenuItems(QMenu& menu) {
  ui::AddCommand(&menu, bar_command::kQuickClose, "快捷平仓(&C)");
  ui::AddCommand(&menu, bar_command::kQuickLock, "快捷锁仓(&L)");
  ui::AddCommand(&menu, bar_command::kReverse, "反手委托(&R)");
  ui::AddCommand(&menu, bar_command::kMarketReverse, "市价反手(&M)");
  ui::AddCommand(&menu, bar_command::kForecast, "穿仓预测(&P)");
}

bool CTQPositionQueryViewBar::OnCommand(int commandId) {
  const std::optional<ui::GridRow> row = CopyOf(SelectedRow());
  switch (commandId) {
    case bar_command::kQuickClose:
      if (row) QuickOrder(*row, "平仓", false);
      return true;
    case bar_command::kQuickLock:
      if (row) QuickOrder(*row, "开仓", false);
      return true;
    case bar_command::kReverse:
      if (row) Reverse(*row, "平仓");
      return true;
    case bar_command::kMarketReverse:
      if (row) MarketReverse(*row, "1");
      return true;
    case bar_command::kForecast:
      if (row) LiquidationForecast(*row);
      return true;
    default: return false;
  }
}

void CTQPositionQueryViewBar::OnGridDblClk(const ui::GridMouse& mouse) {
  if (const auto row = CopyOf(RowAt(mouse.point))) QuickOrder(*row, "平仓", true);
}

}  // namespace tradeviews
