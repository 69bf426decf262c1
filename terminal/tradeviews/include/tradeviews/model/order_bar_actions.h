// The row actions of the order bar, read from the texts its grid shows:
// cancel one order, cancel the working orders of one customer or of all in
// one request per customer, give an order a new price, and copy an order
// (or, with the trade bar's columns, a trade) into the order form. Only an
// order whose state is one of "npat" (waiting, partly traded, reported,
// waiting for its trigger) can be cancelled or changed. No toolkit.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "backend/global_string_list.h"
#include "order_module/order_record.h"
#include "tradeviews/model/bar_services.h"
#include "tradeviews/model/change_price.h"
#include "ui/grid_model.h"

namespace tradeviews {

// The customer an order of the row belongs to: the row's account column in
// the institution terminal, else the account on slot 0.
std::string RowCustomer(const ui::GridRow& row, bool institution, const BarServices& services);

// The order of the row, after the question "DelOrderAffirmBox" asks for.
void CancelOrder(const ui::GridRow& row, bool institution, BarServices& services, BarPrompts& prompts);

// One cancel request of a batch: a customer's working orders in grid order.
struct CancelGroup {
  std::string customer;
  backend::CGlobalStringList orderNos;
  backend::CGlobalStringList seats;
  backend::CGlobalStringList orderSeats;
};
// The working orders of every row held (filtered out or not), one group per
// customer in the order their first orders come; an empty filter takes
// every customer.
std::vector<CancelGroup> GroupCancels(const ui::GridModel& grid, std::string_view customerFilter, bool institution,
                                      const BarServices& services);
// Sends the groups until one is refused and logs "撤批量单<filter>请求成功！"
// or "...请求失败！"; a grid without rows sends and logs nothing.
void BatchCancel(const ui::GridModel& grid, std::string_view customerFilter, bool institution, BarServices& services);

// The columns a row is copied into the order form from.
struct OrderFillColumns {
  int customer;
  int contract;
  int lots;
  int buySell;
  int openClose;
  int hedge;
};
extern const OrderFillColumns kOrderBarFill;
extern const OrderFillColumns kTradeBarFill;

// The order form's record of a row: its contract, side, lots and customer,
// and the price the other side of the quotation offers, moved "PriceLevel"
// ticks towards the order's own side; nothing for a row without contract.
std::optional<order_module::OrderRecord> OrderFormRecordOf(const ui::GridRow& row, const OrderFillColumns& columns,
                                                           BarServices& services);
void FillOrderForm(const ui::GridRow& row, const OrderFillColumns& columns, BarServices& services);

// A quotation price moved `level` ticks: up for a buy, down for a sell; a
// price of 0 stays 0. Written with the tick's decimals, at least 2.
std::string PriceMovedByTicks(double price, bool buy, int level, double tick);

// The change-price record of the order in the row; the order may change
// when it works and is a limit order (no price type, or "0").
ChangePriceRecord ChangePriceRecordOf(const ui::GridRow& row, BarServices& services);
bool MayChangePrice(const ui::GridRow& row);
// Opens the change-price dialog for the row's order, or says why not.
void ChangePrice(const ui::GridRow& row, BarServices& services, BarPrompts& prompts);

}  // namespace tradeviews
