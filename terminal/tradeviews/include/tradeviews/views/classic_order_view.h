// CTqClassicOrderView, panel style 4: one top-to-bottom column whose fields
// follow the input sequence, combos whose items show their shortcut digits,
// a background that turns red for a buy and green for a sell, and the side
// panel with the funds and holdings of the contract.
#pragma once

#include "tradeviews/views/entrust_ext_info_panel.h"
#include "tradeviews/views/order_view_base.h"

namespace tradeviews {

class CTqClassicOrderView : public CTqBasicOrderView {
 public:
  CTqClassicOrderView(QWidget* parent, OrderPanelContext context);

  void LayoutTopToBottom();
  CTqEntrustExtInfoPanel* SidePanel() const { return sidePanel_; }

 protected:
  std::string BuySellCode() const override;
  std::string OpenCloseCode() const override;
  void ShowBuySell(std::string_view code) override;
  void ShowOpenClose(std::string_view code) override;
  bool OffersCloseToday() const override;
  bool RefreshesOnLeaving(PanelControl control) const override;
  void ShowClosableVolumes(const engine::QuantityRecord& answer) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void FillBuySellCombo();
  void FillOpenCloseCombo();

  QLabel* buySellLabel_;
  gridctl::CTqComboBox* buySell_;
  QLabel* openCloseLabel_;
  gridctl::CTqComboBox* openClose_;
  CTqEntrustExtInfoPanel* sidePanel_;
};

}  // namespace tradeviews
