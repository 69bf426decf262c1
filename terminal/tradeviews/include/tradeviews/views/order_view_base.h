// CTqBasicOrderView: the form every order-entry panel stands on. It owns the
// controls of one order that all styles share (customer, contract, volume,
// price, hedge, send), reads the form into an order record, checks it and
// sends it through the order submission, fills the form from a record,
// resets and focuses it after an order, and reloads the contracts. The
// styles (CTqRowOrderView 1, CTqPropertyOrderView 2, CTqClassicOrderView 4)
// add their buy/sell and open/close controls, their layout and their key
// details.
//
// The panel handles its keys before its controls do: Tab, Enter, Right and
// Down move the focus on along the style's chain, Shift+Tab, Left and Up
// back; digits pick buy or sell and open or close by the shortcut settings.
#pragma once

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QWidget>
#include <map>
#include <string>
#include <string_view>

#include "client/order_settings.h"
#include "client/settings_store.h"
#include "gridctl/views/combo_boxes.h"
#include "gridctl/views/contract_edit.h"
#include "gridctl/views/numeric_edits.h"
#include "tradeviews/model/order_choices.h"
#include "tradeviews/model/order_entry.h"
#include "tradeviews/model/order_panel.h"
#include "ui/order_form.h"

namespace tradeviews {

// What a panel works with; everything outlives it.
struct OrderPanelContext {
  OrderPanelServices* services = nullptr;
  // Read at each use; the input-sequence dialog writes the sequence.
  client::OrderSettings* settings = nullptr;
  const client::VarietyParamRows* varieties = nullptr;
  // Saved after the input sequence changed; may be null.
  client::CTQConfig* commonSettingsArea = nullptr;
  // Role 1: the panel trades for several logged-in accounts.
  bool multiAccount = false;
};

// An edit and its spin button on or off together.
void EnableWithSpin(gridctl::CTqEdit& edit, bool enabled);
// The text colour of a control, 0x00BBGGRR.
void SetTextColour(QWidget& control, std::uint32_t colour);

// The message boxes' caption.
inline constexpr std::string_view kApplicationTitle = "Quentara";

class CTqBasicOrderView : public QWidget, public ui::OrderForm {
 public:
  // The labels and buttons that differ between the styles.
  struct Captions {
    std::string_view customer, volume, price, hedge, send;
  };

  ~CTqBasicOrderView() override;

  PanelStyle Style() const { return style_; }
  // Whether the current contract's exchange takes close-today orders.
  bool CloseToday() const { return closeToday_; }
  // The control of the panel, or null when this style has none.
  QWidget* Control(PanelControl control) const;
  gridctl::CTqContractEdit* ContractEdit() const { return contract_; }

  // The order form as the grids and the main frame reach it.
  bool FillFromOrderRecord(const order_module::OrderRecord& record) override;
  void ResetAfterOrder() override;
  void FocusFieldAfterOrder(int position) override;
  void ReloadContracts() override;

  // The send button: build, check and hand over; a fault shows in a box.
  void SendNormalOrder();
  // The record the form holds now; with `lookUp` the trade code, exchange
  // and seat too, a failed look-up's text in `lookUpError`.
  order_module::OrderRecord BuildOrderRecord(bool lookUp, std::string& lookUpError);
  // "清空".
  virtual void ClearForm();

 protected:
  CTqBasicOrderView(QWidget* parent, PanelStyle style, OrderPanelContext context, const Captions& captions);

  // Called by each style once its own controls exist: the filters, the
  // close-today flag, the spins and the drop-downs, the fonts.
  void BindControls(std::map<PanelControl, QWidget*> styleControls, int fontHeight);

  // The style's reading of its buy/sell and open/close controls as codes,
  // and the codes shown in them.
  virtual std::string BuySellCode() const = 0;
  virtual std::string OpenCloseCode() const = 0;
  virtual void ShowBuySell(std::string_view code) = 0;
  virtual void ShowOpenClose(std::string_view code) = 0;
  // Double clicks on the buy/sell and open/close controls; false when the
  // style leaves them to the control.
  virtual bool ToggleBuySell() { return false; }
  virtual bool ToggleOpenClose() { return false; }
  // A digit key in a control; true when the panel took it. In the buy/sell
  // and open/close controls the shortcut digits pick a side or an
  // open/close choice and any other digit does nothing.
  virtual bool TakeDigit(PanelControl control, int digit);
  // Whether the open/close control offers close today now.
  virtual bool OffersCloseToday() const { return closeToday_; }
  // A key the style handles before the focus chain; true when taken.
  virtual bool TakeKey(PanelControl, int) { return false; }
  // The controls whose leaving refreshes the closeable volumes.
  virtual bool RefreshesOnLeaving(PanelControl control) const = 0;
  // The style's part of the input (price type, deal attribute, trigger).
  virtual void AddStyleInput(OrderFormInput&) const {}
  virtual void ShowClosableVolumes(const engine::QuantityRecord&) {}
  // A contract was chosen (the price edit steps by its tick already).
  virtual void OnContractApplied(double) {}
  // The close-today flag changed by a contract the program put in.
  virtual void OnCloseTodayRecomputed() {}
  // After a record filled the form, and after ClearForm.
  virtual void AfterFill() {}
  // The volume labels of style 1 back to their first texts.
  virtual void ResetVolumeLabels() {}

  bool MoveFocusTo(PanelControl control);
  void FocusNextField(PanelControl from);
  void FocusPreviousField(PanelControl from);
  bool CanFocus(PanelControl control) const;
  void RefreshClosableVolumes();
  ShortcutKeys Keys() const { return ShortcutKeysOf(*context_.settings); }
  InputSequence Sequence() const;
  void ShowMessage(const std::string& text);
  // Outside multi-account mode the customer combo and its label go: the
  // customer is the logged-in account's.
  void HideCustomerOutsideMultiAccount();
  // The hedge box shows, and keeps its check, only with "ShowHedge".
  bool ShowHedgeBySettings();

  bool eventFilter(QObject* watched, QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

  OrderPanelContext context_;
  // The controls every style has.
  QLabel* customerLabel_;
  gridctl::CTqComboBox* customer_;
  QLabel* contractLabel_;
  gridctl::CTqContractEdit* contract_;
  QLabel* volumeLabel_;
  gridctl::CTqEdit* volume_;
  QLabel* priceLabel_;
  gridctl::CTqEditPrice* price_;
  QCheckBox* hedge_;
  QPushButton* send_;
  // The short contract rows of the engine, as the last reload took them.
  backend::CxDataSet contracts_;
  // The contract last chosen in the contract edit.
  std::string currentContract_;

 private:
  OrderFormInput ReadInput() const;
  bool OnKey(PanelControl control, int key, Qt::KeyboardModifiers modifiers);
  void OnEntered(PanelControl control);
  void OnLeft(PanelControl control);
  void MatchContractText();
  void ApplyContract(const engine::ReducedContractRow& row);
  void OnContractTextChanged();
  void FillCustomerCombo();

  PanelStyle style_;
  bool closeToday_ = false;
  std::map<PanelControl, QWidget*> controls_;
  std::map<const QObject*, PanelControl> controlOf_;
};

}  // namespace tradeviews
