// CTqRowOrderView, panel style 1: one left-to-right row whose fields follow
// the input sequence, with buy/sell and open/close as edits switched by
// digits and double clicks, the price type (limit, market and the stop
// kinds with a trigger price), the deal attribute, the closeable volumes,
// and the "顺序" button that reorders the row.
#pragma once

#include <QLabel>
#include <QPushButton>
#include <array>

#include "tradeviews/views/order_view_base.h"

namespace tradeviews {

class CTqRowOrderView : public CTqBasicOrderView {
 public:
  CTqRowOrderView(QWidget* parent, OrderPanelContext context);

  // Places the row after the input sequence and "ShowHedge".
  void LayoutLeftToRight();
  // "顺序": the input-sequence dialog; OK lays the row out again and saves
  // the order settings.
  void OpenInputSequence();
  void ClearForm() override;

  // The price type chosen: the other controls follow its rules.
  void OnPriceTypeChanged();

  // The texts of the closeable-volume labels.
  std::array<std::string, 4> VolumeLabelTexts() const;

 protected:
  std::string BuySellCode() const override;
  std::string OpenCloseCode() const override;
  void ShowBuySell(std::string_view code) override;
  void ShowOpenClose(std::string_view code) override;
  bool ToggleBuySell() override;
  bool ToggleOpenClose() override;
  bool TakeDigit(PanelControl control, int digit) override;
  bool TakeKey(PanelControl control, int key) override;
  bool RefreshesOnLeaving(PanelControl control) const override;
  void AddStyleInput(OrderFormInput& input) const override;
  void ShowClosableVolumes(const engine::QuantityRecord& answer) override;
  void OnContractApplied(double tick) override;
  void AfterFill() override;
  void ResetVolumeLabels() override;

 private:
  void SetSideTexts(std::string_view buySell, std::string_view openClose);
  void SelectPriceType(int item);

  QLabel* buySellLabel_;
  gridctl::CTqNoContextMenuBCGPEdit* buySell_;
  QLabel* openCloseLabel_;
  gridctl::CTqNoContextMenuBCGPEdit* openClose_;
  QLabel* priceTypeLabel_;
  gridctl::CTqComboOrderType* priceType_;
  QLabel* dealAttributeLabel_;
  gridctl::CTqComboDealAttr* dealAttribute_;
  QLabel* triggerLabel_;
  gridctl::CTqEditPrice* trigger_;
  QPushButton* sequence_;
  QPushButton* clear_;
  std::array<QLabel*, 4> volumeLabels_{};
  // The price of the last closeable-volume answer: a limit price type puts
  // it back into the price edit.
  std::string lastPrice_;
};

}  // namespace tradeviews
