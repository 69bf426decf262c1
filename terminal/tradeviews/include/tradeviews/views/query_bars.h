// The five docking query bars over CTQReturnViewBar: contracts ("合约"),
// trades ("成交"), orders ("委托"), funds ("资金") and positions ("持仓"),
// each with its menu items and its double-click. The row actions act on the
// selected row (nothing without one) and the double-click on the row under
// the mouse.
#pragma once

#include <string_view>

#include "tradeviews/views/query_bar.h"

namespace tradeviews {

// The contract list, loaded whenever the engine's contracts are ready.
class CTQContractQueryViewBar : public CTQReturnViewBar {
 public:
  CTQContractQueryViewBar(QWidget* parent, const ui::ViewContext& context, std::unique_ptr<BarServices> services);

  void LoadContracts();
};

// The day's trades; a trade is copied into the order form.
class CTQDoneReturnViewBar : public CTQReturnViewBar {
 public:
  CTQDoneReturnViewBar(QWidget* parent, const ui::ViewContext& context, std::unique_ptr<BarServices> services);

  void FillOrderForm(const ui::GridRow& row);

 protected:
  void AppendMenuItems(QMenu& menu) override;
  bool OnCommand(int commandId) override;
  void OnGridDblClk(const ui::GridMouse& mouse) override;
};

// The day's orders: cancel one, a customer's or all, change a price, copy
// into the order form; a double-click cancels.
class CTQEntrustReturnViewBar : public CTQReturnViewBar {
 public:
  CTQEntrustReturnViewBar(QWidget* parent, const ui::ViewContext& context, std::unique_ptr<BarServices> services);

  void ChangePrice(const ui::GridRow& row);
  void CancelOrder(const ui::GridRow& row);
  void FillOrderForm(const ui::GridRow& row);
  // Of one customer, or of all with an empty filter.
  void BatchCancel(std::string_view customerFilter);

 protected:
  void AppendMenuItems(QMenu& menu) override;
  bool OnCommand(int commandId) override;
  void OnGridDblClk(const ui::GridMouse& mouse) override;
};

// One funds row per customer; their funds are asked for again on demand.
class CTQFundQueryViewBar : public CTQReturnViewBar {
 public:
  CTQFundQueryViewBar(QWidget* parent, const ui::ViewContext& context, std::unique_ptr<BarServices> services);

  // Asks the funds of every customer the grid holds anew.
  void SynchroniseFunds();

 protected:
  void AppendMenuItems(QMenu& menu) override;
  bool OnCommand(int commandId) override;
};

// The position summary: quick close and lock, reverse orders, the
// liquidation forecast; a double-click closes (or fills the close into the
// order form).
class CTQPositionQueryViewBar : public CTQReturnViewBar {
 public:
  CTQPositionQueryViewBar(QWidget* parent, const ui::ViewContext& context, std::unique_ptr<BarServices> services);

  void LiquidationForecast(const ui::GridRow& row);
  void Reverse(const ui::GridRow& row, std::string_view openCloseText);
  void MarketReverse(const ui::GridRow& row, std::string_view openCloseCode);
  void QuickOrder(const ui::GridRow& row, std::string_view openCloseText, bool fillOnly);

 protected:
  void AppendMenuItems(QMenu& menu) override;
  bool OnCommand(int commandId) override;
  void OnGridDblClk(const ui::GridMouse& mouse) override;
};

}  // namespace tradeviews
