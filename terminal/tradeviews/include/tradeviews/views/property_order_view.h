// CTqPropertyOrderView, panel style 2: a compact form with a colour combo
// for buy and sell, an open/close combo that offers close today where the
// contract's exchange takes it, and the "品种" button that opens the
// contract edit's variety panel. Its focus chain is fixed.
#pragma once

#include <QPushButton>

#include "tradeviews/views/order_view_base.h"

namespace tradeviews {

class CTqPropertyOrderView : public CTqBasicOrderView {
 public:
  CTqPropertyOrderView(QWidget* parent, OrderPanelContext context);

  // Refills the open/close combo for the close-today flag and selects the
  // text it held (开仓 when it held another).
  void FillOpenCloseCombo();

 protected:
  std::string BuySellCode() const override;
  std::string OpenCloseCode() const override;
  void ShowBuySell(std::string_view code) override;
  void ShowOpenClose(std::string_view code) override;
  bool ToggleBuySell() override;
  bool ToggleOpenClose() override;
  bool OffersCloseToday() const override;
  bool RefreshesOnLeaving(PanelControl control) const override;
  void OnContractApplied(double tick) override;
  void OnCloseTodayRecomputed() override;

 private:
  void Layout();

  QLabel* buySellLabel_;
  gridctl::CTqColorComboBS* buySell_;
  QLabel* openCloseLabel_;
  gridctl::CTqComboEO* openClose_;
  QPushButton* varieties_;
  QPushButton* clear_;
};

}  // namespace tradeviews
